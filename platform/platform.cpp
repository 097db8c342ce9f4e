#include "platform/platform.h"

#include <cstdlib>

#include "platform/memory_console.h"

namespace talmidor {

namespace {

NullSystem nullSystem;
// A blank screen that answers Esc to every read: harmless when nothing was set up.
MemoryConsole nullConsole;

Platform thePlatform{&nullSystem, &nullConsole};

}  // namespace

void NullSystem::endProcess(int exitCode) {
  std::exit(exitCode);
}

Platform& platform() {
  return thePlatform;
}

void resetPlatform() {
  thePlatform = Platform{&nullSystem, &nullConsole};
}

}  // namespace talmidor
