#include "text/number.h"

namespace talmidor {

std::string formatNumber(const std::string& mask, double) {
  return mask;
}
void resetNumberSettings() {}

}  // namespace talmidor
