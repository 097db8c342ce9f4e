#include "config/ini.h"

namespace talmidor {

std::string readIniValue(const std::string&, const std::string&, const std::string&) {
  return "";
}

}  // namespace talmidor
