// The module TALMIDOR: fills the platform record with the real system and the terminal, then
// runs the module, which ends the process.

#include <exception>
#include <iostream>

#include "app/module.h"
#include "platform/platform.h"
#include "platform/real_system.h"

int main() {
  using namespace talmidor;
  static RealSystem system;
  platform().system = &system;
  try {
    runModule();
  } catch (const std::exception& error) {
    std::cerr << "talmidor: " << error.what() << "\n";
    return 1;
  }
}
