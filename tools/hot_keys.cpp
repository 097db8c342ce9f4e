#include "tools/hot_keys.h"

#include "console/keys.h"
#include "tools/calculator.h"
#include "tools/calendar.h"

namespace talmidor {

// The key layer cannot include tools/ (it sits below), so the tools reach it through its hook;
// the guards that stop a tool opening inside itself live there, beside the hook.
void registerHotKeyTools() {
  setHotKeyTools(runCalculator, runCalendar);
}

}  // namespace talmidor
