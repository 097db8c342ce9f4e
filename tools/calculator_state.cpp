#include "tools/calculator_state.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "console/keys.h"
#include "text/number.h"

namespace talmidor {

namespace {

// Powers of ten up to 10^22 are exact doubles.
double pow10(int exponent) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (exponent >= 0 && exponent <= 22) return kPowers[exponent];
  return std::pow(10.0, exponent);
}

// A negative zero would show as "-0" in the tape file.
double withoutNegativeZero(double value) {
  return value == 0 ? 0.0 : value;
}

// Digits before the decimal point of a magnitude; 0 below 1.
int integerDigits(double magnitude) {
  int digits = 0;
  while (digits < 400 && magnitude >= pow10(digits)) ++digits;
  return digits;
}

// The whole number a typed value holds with its decimals shown (1.25 with 2 decimals is 125),
// taken from the double without the small errors of binary fractions.
// Kept in a double: a number of 15 digits is a whole double exactly, and a larger display
// (a result read from a tape file) only loses precision instead of overflowing.
double typedDigits(double magnitude, int16_t decimals) {
  return std::round(magnitude * pow10(decimals));
}

void startNumber(CalculatorState& state) {
  state.display = 0;
  state.decimalMode = 0;
  state.decimals = 0;
}

// Digits extend the magnitude of the number being typed, so that after "T" (change of sign)
// further digits still grow the number away from zero: 5 T 3 is -53. A digit that would take
// the number past 15 digits is ignored: a double holds no more exactly.
void typeDigit(CalculatorState& state, int digit) {
  if (state.typing == 0) startNumber(state);
  double sign = state.display < 0 ? -1.0 : 1.0;
  double magnitude = std::fabs(state.display);
  if (state.decimalMode == 0) {
    double next = 10 * magnitude + digit;
    if (integerDigits(next) > kMaxTypedDigits) return;
    state.display = withoutNegativeZero(sign * next);
  } else {
    if (integerDigits(magnitude) + state.decimals + 1 > kMaxTypedDigits) return;
    double whole = typedDigits(magnitude, state.decimals) * 10 + digit;
    state.decimals = static_cast<int16_t>(state.decimals + 1);
    state.display = withoutNegativeZero(sign * (whole / pow10(state.decimals)));
  }
  state.typing = -1;
}

void typePoint(CalculatorState& state) {
  if (state.typing == 0) startNumber(state);
  if (state.decimalMode == 0) {
    state.decimalMode = -1;
    state.decimals = 0;
  }
  state.typing = -1;
}

// Drops the last digit shown; in decimal mode the last decimal, and once none is left the
// decimal point itself.
void backspace(CalculatorState& state) {
  if (state.decimalMode == 0) {
    state.display = withoutNegativeZero(std::trunc(state.display / 10));
  } else if (state.decimals == 0) {
    state.decimalMode = 0;
  } else {
    double sign = state.display < 0 ? -1.0 : 1.0;
    double whole = std::trunc(typedDigits(std::fabs(state.display), state.decimals) / 10);
    state.decimals = static_cast<int16_t>(state.decimals - 1);
    state.display = withoutNegativeZero(sign * (whole / pow10(state.decimals)));
  }
  if (state.display == 0) state.typing = 0;
}

// Entry 22 is the newest; the oldest falls off the top. firstTapeRow follows the tape up to
// row 2 so that every line added since the tape was last hidden shows.
void addTapeLine(CalculatorState& state) {
  if (state.firstTapeRow > 2) state.firstTapeRow = static_cast<int16_t>(state.firstTapeRow - 1);
  for (int i = 0; i + 1 < kTapeEntries; ++i) state.tape[i] = state.tape[i + 1];
  TapeEntry& entry = state.tape[kTapeEntries - 1];
  entry.value = state.display;
  entry.decimalMode = state.decimalMode;
  entry.decimals = state.decimals;
  entry.op = state.lastKey.empty() ? ' ' : state.lastKey[0];
}

// C: first the entry (back to the running total), then everything but the pending operator,
// then the tape lines on screen. An error on the display is always cleared whole.
CalculatorAction clearStep(CalculatorState& state) {
  if (displayHasError(state)) {
    state.typing = 0;
    clearCalculator(state);
    return CalculatorAction::kNone;
  }
  if (state.typing != 0) {
    state.typing = 0;
    state.display = state.accumulator;
    state.lastKey = state.pendingOperator;
    // The running total is shown with the decimals it has, not cut to a whole number.
    normaliseDisplay(state);
    return CalculatorAction::kNone;
  }
  if (state.cleared == 0) {
    clearCalculator(state);
    return CalculatorAction::kNone;
  }
  state.firstTapeRow = kNoTapeShown;
  return CalculatorAction::kRedrawBox;
}

// R rounds the display to hundredths. A result (not typing) becomes the running total, as the
// operator sees it; a number being typed is only the entry, and rounding it leaves the total
// alone, so 12 + 5.555 R = gives 17.56.
CalculatorAction roundStep(CalculatorState& state) {
  state.display = roundToHundredths(state.display);
  if (state.typing == 0) state.accumulator = state.display;
  state.decimalMode = -1;
  state.decimals = 2;
  addTapeLine(state);
  return CalculatorAction::kDrawTape;
}

// % turns the entry into a percentage of the running total while adding or subtracting
// (200 + 10 % = is 220), and into a hundredth otherwise (200 * 10 % = is 20).
CalculatorAction percentStep(CalculatorState& state) {
  addTapeLine(state);
  if (state.pendingOperator == "+" || state.pendingOperator == "-") {
    state.display = state.accumulator / 100 * state.display;
  } else {
    state.display = state.display / 100;
  }
  normaliseDisplay(state);
  return CalculatorAction::kDrawTape;
}

CalculatorAction applyOperator(CalculatorState& state, char op) {
  if (state.pendingOperator == "+") {
    state.accumulator += state.display;
  } else if (state.pendingOperator == "-") {
    state.accumulator -= state.display;
  } else if (state.pendingOperator == "*") {
    state.accumulator *= state.display;
  } else if (state.pendingOperator == "/") {
    state.accumulator /= state.display;
  } else {
    state.accumulator = state.display;
  }
  addTapeLine(state);
  state.display = state.accumulator;
  normaliseDisplay(state);
  if (op == '=') {
    state.lastKey.clear();
    addTapeLine(state);
  }
  state.typing = 0;
  state.cleared = 0;
  state.pendingOperator = state.lastKey;
  return CalculatorAction::kDrawTape;
}

CalculatorAction operatorStep(CalculatorState& state, char op) {
  state.lastKey = std::string(1, op);
  switch (op) {
    case 'C':
      return clearStep(state);
    case 'R':
      return roundStep(state);
    case '%':
      return percentStep(state);
    default:
      return applyOperator(state, op);
  }
}

int16_t upperCased(int16_t key) {
  return key >= 'a' && key <= 'z' ? static_cast<int16_t>(key - 'a' + 'A') : key;
}

}  // namespace

void clearCalculator(CalculatorState& state) {
  state.display = 0;
  state.accumulator = 0;
  state.decimalMode = 0;
  state.decimals = 0;
  state.lastKey.clear();
  state.cleared = -1;
}

bool displayHasError(const CalculatorState& state) {
  return !std::isfinite(state.display);
}

void normaliseDisplay(CalculatorState& state) {
  if (!std::isfinite(state.display)) {
    state.decimalMode = 0;
    state.decimals = 0;
    return;
  }
  // Digits of the magnitude, so that a negative value keeps 15 digits like a positive one.
  int limit = kMaxTypedDigits - integerDigits(std::fabs(state.display));
  if (limit < 0) limit = 0;
  int decimals = 0;
  while (decimals < limit) {
    double scaled = state.display * pow10(decimals);
    if (scaled == std::trunc(scaled)) break;
    ++decimals;
  }
  double whole = std::round(state.display * pow10(decimals));
  while (decimals > 0 && std::fmod(whole, 10) == 0) {
    whole /= 10;
    --decimals;
  }
  state.display = withoutNegativeZero(whole / pow10(decimals));
  state.decimals = static_cast<int16_t>(decimals);
  state.decimalMode = decimals > 0 ? -1 : 0;
}

// Rounds the value's own 15 significant digits, so that 1.015 (stored a little below) is still
// an exact half and goes to 1.02.
double roundToHundredths(double value) {
  if (!std::isfinite(value) || value == 0) return value;
  double magnitude = std::fabs(value);
  char buffer[40];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
  if (error != std::errc()) return value;
  // buffer holds "d.dddddddddddddde[+-]xx": 15 digits and the exponent of the first one.
  std::string digits;
  const char* p = buffer;
  for (; p < end && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits += *p;
  }
  int exponent = p < end ? std::atoi(p + 1) : 0;
  // Digits that stand for whole hundredths.
  int wholeCount = exponent + 3;
  if (wholeCount >= static_cast<int>(digits.size())) return value;
  long long whole = 0;
  for (int i = 0; i < wholeCount; ++i) whole = whole * 10 + (digits[i] - '0');
  std::string fraction =
      wholeCount >= 0 ? digits.substr(wholeCount) : std::string(-wholeCount, '0') + digits;
  int first = fraction[0] - '0';
  bool restZero = fraction.find_first_not_of('0', 1) == std::string::npos;
  if (first > 5 || (first == 5 && (!restZero || whole % 2 == 1))) ++whole;
  double rounded = static_cast<double>(whole) / 100;
  return withoutNegativeZero(value < 0 ? -rounded : rounded);
}

std::string calculatorValueText(double value, int16_t decimalMode, int16_t decimals) {
  constexpr size_t kWidth = 22;
  if (!std::isfinite(value)) return std::string(kWidth, '!');
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxTypedDigits) decimals = kMaxTypedDigits;
  std::string picture = "Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9";
  if (decimalMode != 0) picture += '.';
  picture += std::string(static_cast<size_t>(decimals), '9');
  return formatNumber("-" + picture.substr(picture.size() - (kWidth - 1)), value);
}

std::string calculatorResult(const CalculatorState& state) {
  double value = state.typing != 0 ? state.display : state.accumulator;
  if (displayHasError(state) || !std::isfinite(value)) return "";
  int places = state.decimals > 2 ? state.decimals : 2;
  double scaled = std::round(std::fabs(value) * pow10(places));
  char buffer[400];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, scaled, std::chars_format::fixed, 0);
  if (error != std::errc()) return "";
  std::string digits(buffer, end);
  // At least one digit before the point: 0.001 is a tenth of a hundredth, "0.1".
  size_t minimum = static_cast<size_t>(places - 1);
  if (digits.size() < minimum) digits.insert(0, minimum - digits.size(), '0');
  if (places > 2) {
    digits.insert(digits.end() - static_cast<std::ptrdiff_t>(places - 2), '.');
  }
  return digits;
}

CalculatorAction applyCalculatorKey(CalculatorState& state, int16_t key, int16_t screenColumns) {
  int16_t lastColumn = static_cast<int16_t>(screenColumns - kCalculatorWidth + 1);
  if (lastColumn < 1) lastColumn = 1;
  key = upperCased(key);
  switch (key) {
    case kLeft:
    case kCtrlLeft:
      state.boxColumn =
          state.boxColumn <= 1 ? lastColumn : static_cast<int16_t>(state.boxColumn - 1);
      return CalculatorAction::kRedrawBox;
    case kRight:
    case kCtrlRight:
      state.boxColumn =
          state.boxColumn >= lastColumn ? 1 : static_cast<int16_t>(state.boxColumn + 1);
      return CalculatorAction::kRedrawBox;
    case 'F':
    case kAltF:
      return CalculatorAction::kFinish;
    case kEsc:
      return CalculatorAction::kCancel;
    case 'C':
      return operatorStep(state, 'C');
    default:
      break;
  }
  if (displayHasError(state)) return CalculatorAction::kRefused;
  if (key >= '0' && key <= '9') {
    typeDigit(state, key - '0');
    return CalculatorAction::kNone;
  }
  switch (key) {
    case '.':
      typePoint(state);
      return CalculatorAction::kNone;
    case kBackspace:
      backspace(state);
      return CalculatorAction::kNone;
    case '+':
    case '-':
    case '*':
    case '/':
    case '%':
    case 'R':
      return operatorStep(state, static_cast<char>(key));
    case '=':
    case kEnter:
      if (state.typing == 0) return CalculatorAction::kNone;
      return operatorStep(state, '=');
    case 'T':
      state.display = withoutNegativeZero(-state.display);
      return CalculatorAction::kNone;
    default:
      return CalculatorAction::kNone;
  }
}

}  // namespace talmidor
