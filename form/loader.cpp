#include "form/loader.h"

namespace talmidor {

void loadFormDefinition() {}
std::string formFilePath() {
  return "";
}
std::string readFormDefinition(const std::string&) {
  return "";
}
void applyPageOneDefaults() {}

}  // namespace talmidor
