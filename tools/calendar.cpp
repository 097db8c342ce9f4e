#include "tools/calendar.h"

namespace talmidor {

std::string runCalendar() {
  return "";
}

}  // namespace talmidor
