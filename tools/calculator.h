#pragma once
// The desk calculator with its paper tape, opened with Alt+X from any field. Its whole state
// (box position, display, running total, pending operator and tape) lives between calls in
// the tape file ZUBCALC.TMP of the terminal directory.

#include <string>

namespace talmidor {

// A division by zero (or a result beyond the floating-point range) puts the calculator in an
// error state: the display and the tape line show a row of "!", every key but C, F, Escape and
// sliding is refused with a beep, F hands back "", and C clears everything. Closing clears the
// error too; its tape line keeps showing it.
//
// Runs the calculator until F (or Alt+F) or Escape. F gives the value in hundredths as a digit
// text without sign ("1700" for 17, "123.45" for 1.2345 typed with four decimals); Escape
// gives "". Both save the state to the tape file; a tape file that cannot be written loses
// the state but not the value.
std::string runCalculator();

}  // namespace talmidor
