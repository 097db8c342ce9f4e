#pragma once
// The quarter-year calendar date picker, opened with Alt+C from any field.

#include <string>

namespace talmidor {

// Shows the quarter of the working date (today's date when the working date is empty or not
// a real date) at the right edge of the screen and lets the operator move a highlighted day.
// F, f or Alt+F gives the day through formatDate style 0 with the parts "dma" ("5/3/2024  ");
// Escape gives "". The screen under the window is restored either way.
std::string runCalendar();

}  // namespace talmidor
