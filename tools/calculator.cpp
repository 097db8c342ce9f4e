#include "tools/calculator.h"

namespace talmidor {

std::string runCalculator() {
  return "";
}

}  // namespace talmidor
