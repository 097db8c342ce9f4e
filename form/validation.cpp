#include "form/validation.h"

namespace talmidor {

int16_t validateField(int16_t, std::string, int16_t, int16_t) {
  return 0;
}
int16_t checkPageExit(int16_t, int16_t) {
  return 0;
}
void applyLookupChoice(int16_t, int16_t, int16_t) {}
std::string lookupRowText(int16_t) {
  return "";
}

}  // namespace talmidor
