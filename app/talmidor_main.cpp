// The module TALMIDOR: fills the platform record with the real system and the terminal, then
// runs the module, which ends the process itself.

#include <cstdio>
#include <exception>
#include <memory>

#include "app/module.h"
#include "platform/platform.h"
#include "platform/real_system.h"
#include "platform/terminal_console.h"

int main() {
  using namespace talmidor;
  RealSystem system;
  platform().system = &system;
  try {
    // A missing or too small terminal is reported here and ends the program with status 1.
    std::unique_ptr<TerminalConsole> console = TerminalConsole::openOrExit();
    platform().console = console.get();
    runModule();
  } catch (const std::exception& error) {
    // The terminal was given back when the console went out of scope.
    resetPlatform();
    std::fprintf(stderr, "TALMIDOR: %s\n", error.what());
    return 1;
  }
  return 0;
}
