#pragma once
// The calculator's tape file ZUBCALC.TMP in the terminal directory: 25 lines ending in CR LF,
// fields separated by commas, numbers in plain decimal with at most 15 significant digits,
// texts in double quotes.
//   line 1      boxColumn, firstTapeRow, display, accumulator
//   line 2      cleared, typing, decimalMode, decimals
//   line 3      "lastKey", "pendingOperator"
//   lines 4-25  tape entry 1 (oldest) to 22: value, decimalMode, decimals, "operator"
// Other programs of the suite share the file on the same terminal, so only plain numbers go
// into it: an error (infinite or not-a-number) on the display is written as the state after a
// full clear, and an error line of the tape as 0 with the operator "!", which reads back as
// the error line.

#include <string>

#include "tools/calculator_state.h"

namespace talmidor {

// Host path of the tape file: session().terminalDir + "ZUBCALC.TMP".
std::string tapeFilePath();

// The 25 lines of the file for a state.
std::string tapeFileText(const CalculatorState& state);

// Reads the fields in order as one stream of comma-separated items (line ends separate items
// too). Reading stops at the first item that should be a number and is not, or at the end of
// the text: what was read is kept, the rest keeps its value in state (the initial one for a
// fresh state). A field out of its range (a box column below 1, a tape row outside 2..23, a
// decimals count outside 0..15, an unknown pending operator) takes its initial value. Items
// after the 22nd tape entry are ignored.
void parseTapeFileText(const std::string& text, CalculatorState& state);

// Creates the file when it is missing and reads it into state, which starts from the initial
// state. False when the file could not be read; state is then the initial state.
bool loadTapeFile(CalculatorState& state);

// Replaces the file's contents with the state; false when it could not be written.
bool saveTapeFile(const CalculatorState& state);

}  // namespace talmidor
