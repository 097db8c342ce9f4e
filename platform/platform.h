#pragma once
// The one record through which everything above platform/ reaches the operating system.
// main fills it with the real implementations, test fixtures with the test ones; until then
// it holds null objects that do nothing, so no caller checks for "not set up".

#include "platform/console.h"
#include "platform/system.h"

namespace talmidor {

struct Platform {
  System* system;
  Console* console;
};

Platform& platform();
// Puts the null objects back.
void resetPlatform();

}  // namespace talmidor
