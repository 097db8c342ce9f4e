#pragma once
// The calculator's arithmetic without the screen: its state, the step each key makes, the
// display's number form and the value handed back. runCalculator draws what these leave.

#include <array>
#include <cstdint>
#include <string>

namespace talmidor {

// One line of the paper tape: the value, how it was shown, and the operator pressed with it
// ("+", "-", "*", "/", "=", "%", "R", or a space for a result line).
struct TapeEntry {
  double value = 0;
  int16_t decimalMode = 0;
  int16_t decimals = 0;
  char op = ' ';
};

constexpr int16_t kTapeEntries = 22;
// Screen row of the tape's newest entry; entry k sits on row k.
constexpr int16_t kNoTapeShown = 23;
// Width of the box in columns, frame included.
constexpr int16_t kCalculatorWidth = 26;
// Most digits a typed number may have, integer and decimal places together: what a double
// holds exactly and what the display's mask shows.
constexpr int16_t kMaxTypedDigits = 15;

struct CalculatorState {
  int16_t boxColumn = 1;  // screen column of the box's left edge
  int16_t firstTapeRow = kNoTapeShown;
  double display = 0;       // the number being typed or the last result
  double accumulator = 0;   // the running total
  int16_t cleared = -1;     // -1 after a full clear and at first use
  int16_t typing = 0;       // -1 while a number is being typed
  int16_t decimalMode = 0;  // -1 when the display has a decimal part or "." was typed
  int16_t decimals = 0;     // decimals shown
  std::string lastKey;
  std::string pendingOperator;                 // "+", "-", "*", "/" or ""
  std::array<TapeEntry, kTapeEntries> tape{};  // tape[21] is the newest
};

// What runCalculator has to do after a key.
enum class CalculatorAction {
  kNone,       // the key was ignored, or only the display line changed
  kDrawTape,   // a tape line was added
  kRedrawBox,  // the box moved or the tape was hidden: close it and open it again
  kFinish,     // F: hand the value back
  kCancel,     // Escape: hand back nothing
  kRefused,    // the display holds an error and only C, F, Escape and sliding work
};

// Applies one key (as waitKey gives it) to the state. screenColumns bounds the sliding: the
// box's left edge goes from 1 to screenColumns - 25 and wraps round.
CalculatorAction applyCalculatorKey(CalculatorState& state, int16_t key, int16_t screenColumns);

// Back to a first use: display, running total, decimals and last key; the pending operator,
// the typing flag and the tape stay.
void clearCalculator(CalculatorState& state);

// True while the display holds the result of an impossible operation (division by zero, or a
// result beyond the floating-point range): an infinite or not-a-number value. Only C clears it.
bool displayHasError(const CalculatorState& state);

// Brings a computed display value to at most 15 digits and the fewest decimals that show it,
// setting decimals and decimalMode to match.
void normaliseDisplay(CalculatorState& state);

// value rounded to hundredths: an exact half goes to the even hundredth, and a negative value
// rounds as its magnitude does (-0.375 gives -0.38), so a rounded amount keeps its size.
double roundToHundredths(double value);

// A value as the box shows it: 22 characters through the mask "-Z,ZZZ,...,ZZ9" with its "."
// and one "9" per decimal; an infinite or not-a-number value as 22 "!".
std::string calculatorValueText(double value, int16_t decimalMode, int16_t decimals);

// The value F hands back: the digits of the value in hundredths (more places after a "." when
// more than two decimals are shown), without sign; "" while the display holds an error.
std::string calculatorResult(const CalculatorState& state);

}  // namespace talmidor
