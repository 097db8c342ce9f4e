#include "tools/calculator_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "console/keys.h"
#include "tools/tools_fixture.h"

namespace talmidor {
namespace {

using CalculatorStateTest = ToolsTest;

// Each byte of keys is one key ("\b" Backspace, "\r" Enter).
CalculatorAction press(CalculatorState& state, const std::string& keys) {
  CalculatorAction last = CalculatorAction::kNone;
  for (char c : keys) last = applyCalculatorKey(state, static_cast<unsigned char>(c), 80);
  return last;
}

CalculatorState after(const std::string& keys) {
  CalculatorState state;
  press(state, keys);
  return state;
}

TEST_F(CalculatorStateTest, TwelvePlusFiveEqualsSeventeenWithThreeTapeLines) {
  CalculatorState state = after("12+5=");
  EXPECT_EQ(state.display, 17);
  EXPECT_EQ(state.accumulator, 17);
  EXPECT_EQ(state.typing, 0);
  EXPECT_EQ(state.pendingOperator, "");
  EXPECT_EQ(state.firstTapeRow, 20);
  EXPECT_EQ(state.tape[19].value, 12);
  EXPECT_EQ(state.tape[19].op, '+');
  EXPECT_EQ(state.tape[20].value, 5);
  EXPECT_EQ(state.tape[20].op, '=');
  EXPECT_EQ(state.tape[21].value, 17);
  EXPECT_EQ(state.tape[21].op, ' ');
  EXPECT_EQ(calculatorResult(state), "1700");

  // = or Enter right after a result does nothing.
  CalculatorState again = state;
  press(again, "=\r");
  EXPECT_EQ(again.firstTapeRow, 20);
  EXPECT_EQ(again.display, 17);
}

// The display after a run of keys, its decimals, and the text F hands back.
TEST_F(CalculatorStateTest, KeySequences) {
  struct Case {
    const char* keys;
    double display;
    int16_t decimals;
    const char* result;
  } cases[] = {
      {"200+10%=", 220, 0, "22000"},  // percentage of the running total
      {"200-10%=", 180, 0, "18000"},
      {"200*10%=", 20, 0, "2000"},  // a hundredth otherwise
      {"3*C5=", 0, 0, "0"},         // "*" survives the full clear; the total is 0
      {"1/3=", 0.333333333333333, 15, "33.3333333333333"},
      {"2/3=", 0.666666666666667, 15, "66.6666666666667"},
      {"0.1+0.2=", 0.3, 1, "30"},
      {"12345.1T-0.2=", -12345.3, 1, "1234530"},  // negatives keep 15 digits, no noise
      {"1.2345", 1.2345, 4, "123.45"},            // typed: handed back in hundredths with a point
      {"0.001", 0.001, 3, "0.1"},
      {"5T", -5, 0, "500"},              // handed back without its sign
      {"5T3", -53, 0, "5300"},           // digits after T grow the number away from zero
      {"1.5+2C", 1.5, 1, "150"},         // C on the entry shows the total with its decimals
      {"12+5.555R=", 17.56, 2, "1756"},  // R on an entry rounds the entry, not the total
      {"1234567890123456789", 123456789012345, 0, "12345678901234500"},  // 15 digits at most
      {"0.1234567890123456", 0.123456789012345, 15, "12.3456789012345"},
      {"", 0, 0, "0"},
  };
  for (const Case& c : cases) {
    CalculatorState state = after(c.keys);
    EXPECT_DOUBLE_EQ(state.display, c.display) << c.keys;
    EXPECT_EQ(state.decimals, c.decimals) << c.keys;
    EXPECT_EQ(state.decimalMode, c.decimals > 0 ? -1 : 0) << c.keys;
    EXPECT_EQ(calculatorResult(state), c.result) << c.keys;
  }
}

TEST_F(CalculatorStateTest, RoundingGoesHalfToEvenAndNegativesAsTheirMagnitude) {
  struct Case {
    double value, rounded;
  } cases[] = {
      {0.125, 0.12}, {0.375, 0.38},         {0.126, 0.13}, {-0.375, -0.38}, {-0.376, -0.38},
      {-0.999, -1},  {1.015, 1.02},         {2.675, 2.68}, {0.005, 0},      {0.015, 0.02},
      {0.004, 0},    {12345.675, 12345.68}, {0.12, 0.12},  {1e20, 1e20},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(roundToHundredths(c.value), c.rounded) << c.value;
  }
  // R on a result rounds the running total, adds an "R" line and shows two decimals.
  CalculatorState state = after("1/8=R");
  EXPECT_EQ(state.display, 0.12);
  EXPECT_EQ(state.accumulator, 0.12);
  EXPECT_EQ(state.decimals, 2);
  EXPECT_EQ(state.tape[21].op, 'R');
  EXPECT_EQ(calculatorResult(state), "12");
}

TEST_F(CalculatorStateTest, ThreeLevelsOfClear) {
  CalculatorState state = after("12+5");
  EXPECT_EQ(press(state, "C"), CalculatorAction::kNone);
  EXPECT_EQ(state.display, 12);  // the entry gives way to the running total
  EXPECT_EQ(state.typing, 0);
  EXPECT_EQ(state.cleared, 0);
  EXPECT_EQ(state.pendingOperator, "+");

  EXPECT_EQ(press(state, "c"), CalculatorAction::kNone);
  EXPECT_EQ(state.display, 0);
  EXPECT_EQ(state.accumulator, 0);
  EXPECT_EQ(state.cleared, -1);
  EXPECT_EQ(state.pendingOperator, "+");  // stays
  EXPECT_EQ(state.firstTapeRow, 22);

  EXPECT_EQ(press(state, "C"), CalculatorAction::kRedrawBox);
  EXPECT_EQ(state.firstTapeRow, kNoTapeShown);
  EXPECT_EQ(state.tape[21].value, 12);  // hidden, not erased
}

TEST_F(CalculatorStateTest, BackspaceDropsDigitsThenTheDecimalPoint) {
  CalculatorState whole = after("123\b");
  EXPECT_EQ(whole.display, 12);

  CalculatorState state = after("1.25\b");
  EXPECT_DOUBLE_EQ(state.display, 1.2);
  EXPECT_EQ(state.decimals, 1);
  press(state, "\b");
  EXPECT_EQ(state.display, 1);
  EXPECT_EQ(state.decimalMode, -1);  // "1." still in decimal mode
  EXPECT_EQ(state.decimals, 0);
  press(state, "\b");
  EXPECT_EQ(state.decimalMode, 0);
  press(state, "5");
  EXPECT_EQ(state.display, 15);

  // Digits typed as decimals come back exactly: 4.35 is not cut to 4.34.
  CalculatorState exact = after("4.350\b\b");
  EXPECT_DOUBLE_EQ(exact.display, 4.3);
  CalculatorState toZero = after("7\b");
  EXPECT_EQ(toZero.typing, 0);
}

TEST_F(CalculatorStateTest, SlidingWrapsAtBothEdges) {
  CalculatorState state;
  EXPECT_EQ(applyCalculatorKey(state, kLeft, 80), CalculatorAction::kRedrawBox);
  EXPECT_EQ(state.boxColumn, 55);
  EXPECT_EQ(applyCalculatorKey(state, kRight, 80), CalculatorAction::kRedrawBox);
  EXPECT_EQ(state.boxColumn, 1);
  applyCalculatorKey(state, kCtrlRight, 80);
  EXPECT_EQ(state.boxColumn, 2);
  applyCalculatorKey(state, kCtrlLeft, 80);
  EXPECT_EQ(state.boxColumn, 1);
  // A wider screen lets the box go further right.
  applyCalculatorKey(state, kLeft, 132);
  EXPECT_EQ(state.boxColumn, 107);
}

TEST_F(CalculatorStateTest, FinishAndCancelKeys) {
  CalculatorState state;
  for (int16_t key : {int16_t{'F'}, int16_t{'f'}, kAltF}) {
    EXPECT_EQ(applyCalculatorKey(state, key, 80), CalculatorAction::kFinish) << key;
  }
  EXPECT_EQ(applyCalculatorKey(state, kEsc, 80), CalculatorAction::kCancel);
  EXPECT_EQ(applyCalculatorKey(state, 'x', 80), CalculatorAction::kNone);
  EXPECT_EQ(applyCalculatorKey(state, kF1, 80), CalculatorAction::kNone);
}

TEST_F(CalculatorStateTest, DivisionByZeroIsAnErrorThatOnlyClearGoesAway) {
  for (const char* keys : {"5/0=", "0/0=", "5/0+"}) {
    CalculatorState state = after(keys);
    EXPECT_TRUE(displayHasError(state)) << keys;
    EXPECT_EQ(calculatorValueText(state.display, state.decimalMode, state.decimals),
              std::string(22, '!'))
        << keys;
    // Numbers and operators are refused; F hands back nothing.
    EXPECT_EQ(press(state, "7"), CalculatorAction::kRefused) << keys;
    EXPECT_EQ(press(state, "+"), CalculatorAction::kRefused) << keys;
    EXPECT_EQ(press(state, "R"), CalculatorAction::kRefused) << keys;
    EXPECT_EQ(calculatorResult(state), "") << keys;
    // Sliding still works.
    EXPECT_EQ(applyCalculatorKey(state, kRight, 80), CalculatorAction::kRedrawBox) << keys;

    press(state, "C");
    EXPECT_FALSE(displayHasError(state)) << keys;
    EXPECT_EQ(state.accumulator, 0) << keys;
    press(state, "2+3=");
    EXPECT_EQ(state.display, 5) << keys;
  }
  // The result line of "=" holds the error and shows as "!".
  CalculatorState state = after("5/0=");
  EXPECT_FALSE(std::isfinite(state.tape[21].value));
  EXPECT_EQ(state.tape[20].value, 0);
  EXPECT_EQ(state.tape[20].op, '=');
}

TEST_F(CalculatorStateTest, ValueTextUsesTheMaskOfItsDecimals) {
  struct Case {
    double value;
    int16_t decimalMode, decimals;
    const char* text;
  } cases[] = {
      {17, 0, 0, "                    17"},
      {-1234567.5, -1, 2, "-         1.234.567'50"},
      {1, -1, 0, "                    1'"},
      {0.333333333333333, -1, 15, "     0'333333333333333"},
      {1234567890123456, 0, 0, " 1.234.567.890.123.456"},
      {std::numeric_limits<double>::infinity(), 0, 0, "!!!!!!!!!!!!!!!!!!!!!!"},
      {std::nan(""), -1, 2, "!!!!!!!!!!!!!!!!!!!!!!"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(calculatorValueText(c.value, c.decimalMode, c.decimals), c.text) << c.value;
  }
}

}  // namespace
}  // namespace talmidor
