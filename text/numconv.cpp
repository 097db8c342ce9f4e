#include "text/numconv.h"

namespace talmidor {

std::string numberToPlainText(double) {
  return "";
}
std::string zeroPad(double, int16_t width) {
  return std::string(width > 0 ? width : 0, '0');
}
int16_t isInvalidNumberText(const std::string&) {
  return 0;
}
std::string packDottedCode(const std::string&) {
  return "";
}

}  // namespace talmidor
