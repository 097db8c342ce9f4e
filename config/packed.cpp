#include "config/packed.h"

namespace talmidor {

std::string packDigits(const std::string&) {
  return "";
}
std::string unpackDigits(const std::string&) {
  return "";
}
double leadingNumber(const std::string&) {
  return 0;
}

}  // namespace talmidor
