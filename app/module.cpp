#include "app/module.h"

#include "platform/platform.h"

namespace talmidor {

namespace {
ModuleData data;
}

ModuleData& moduleData() {
  return data;
}
void resetModuleData() {
  data = ModuleData();
}
void runModule() {
  platform().system->endProcess(0);
}
void runMainLoop() {}
void openModuleData() {}
void closeModuleData() {}
void decideSingleCustomerVariant() {}
bool writeHandOffFile() {
  return true;
}
bool runFollowOnProgram() {
  return true;
}

}  // namespace talmidor
