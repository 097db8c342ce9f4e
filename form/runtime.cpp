#include "form/runtime.h"

namespace talmidor {

void runFormPage(int16_t, int16_t&) {}
void drawFormPage(int16_t) {}
void showFieldValue(int16_t, int16_t) {}

}  // namespace talmidor
