#include "console/screen_stack.h"

namespace talmidor {

void pushScreen(int16_t, int16_t, int16_t, int16_t) {}
void popScreen() {}
void clearStaleScreenStack() {}

}  // namespace talmidor
