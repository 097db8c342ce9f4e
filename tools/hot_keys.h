#pragma once
// Connects the pop-up tools to the key layer: Alt+X opens the calculator and Alt+C the
// calendar from inside any key read, and their results come back as typed characters.

namespace talmidor {

// Registers runCalculator and runCalendar on the key layer's hot-key hook. Called once at
// start-up (and by test fixtures that exercise the hot keys).
void registerHotKeyTools();

}  // namespace talmidor
