#include "tools/calculator.h"

#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "platform/cp850.h"
#include "platform/platform.h"
#include "tools/calculator_state.h"
#include "tools/tape_file.h"

namespace talmidor {

namespace {

// The box spans screen rows 1 to 25: tape lines on rows 2..22, its rule on row 23, the display
// on row 24 and the bottom frame on row 25.
constexpr int16_t kRuleRow = 23;
constexpr int16_t kDisplayRow = 24;
constexpr int16_t kBottomRow = 25;

std::string ruleLine(std::string_view left, std::string_view right) {
  return std::string(left) + std::string(kCalculatorWidth - 2, "─"_cp[0]) + std::string(right);
}

std::string boxed(const std::string& inner) {
  return std::string("│"_cp) + inner + std::string("│"_cp);
}

// The tape lines on show, the frame line above them, the rule under them and the bottom.
// Rows above the frame line keep what the box covers.
void drawTape(const CalculatorState& state) {
  int16_t column = state.boxColumn;
  bool shown = state.firstTapeRow < kNoTapeShown;
  if (shown)
    printAt(static_cast<int16_t>(state.firstTapeRow - 1), column, ruleLine("┌"_cp, "┐"_cp));
  for (int16_t row = state.firstTapeRow; row < kNoTapeShown; ++row) {
    const TapeEntry& entry = state.tape[static_cast<size_t>(row - 1)];
    printAt(row, column,
            boxed(calculatorValueText(entry.value, entry.decimalMode, entry.decimals) + " " +
                  std::string(1, entry.op)));
  }
  printAt(kRuleRow, column, shown ? ruleLine("├"_cp, "┤"_cp) : ruleLine("┌"_cp, "┐"_cp));
  printAt(kBottomRow, column, ruleLine("└"_cp, "┘"_cp));
}

void drawDisplay(const CalculatorState& state) {
  printAt(kDisplayRow, state.boxColumn,
          boxed(calculatorValueText(state.display, state.decimalMode, state.decimals) + "  "));
}

// Saves the screen under the box and draws it; false when the screen is too small for it
// (nothing was saved then, and nothing is to be restored).
bool openBox(const CalculatorState& state) {
  int16_t depth = windowFrame().depth;
  pushScreen(1, state.boxColumn, kBottomRow,
             static_cast<int16_t>(state.boxColumn + kCalculatorWidth - 1));
  if (windowFrame().depth == depth) return false;
  drawTape(state);
  return true;
}

}  // namespace

// The key table is saved whole and put back whole, rather than through the key table's one
// saved copy: the calculator is opened from fields whose page already holds that copy, and
// the field must get its own keys back, not the ones from before its page.
std::string runCalculator() {
  KeyTable fieldKeys = keyTable();
  editKeyTable("e", "");
  setColourClass("+n");
  Console& console = *platform().console;
  console.setCursorShape(CursorShape::Hidden);

  // A tape file that cannot be read starts the calculator from its initial state.
  CalculatorState state;
  loadTapeFile(state);
  int16_t lastColumn = static_cast<int16_t>(screenColumns() - kCalculatorWidth + 1);
  if (state.boxColumn > lastColumn) state.boxColumn = lastColumn < 1 ? 1 : lastColumn;

  std::string result;
  bool open = openBox(state);
  while (open) {
    drawDisplay(state);
    CalculatorAction action = applyCalculatorKey(state, waitKey(), screenColumns());
    if (action == CalculatorAction::kFinish) {
      result = calculatorResult(state);
      break;
    }
    if (action == CalculatorAction::kCancel) break;
    if (action == CalculatorAction::kDrawTape) drawTape(state);
    if (action == CalculatorAction::kRedrawBox) {
      popScreen();
      open = openBox(state);
    }
    if (action == CalculatorAction::kRefused) console.beep();
  }
  if (open) popScreen();

  // The value is handed back even when the tape file cannot be written.
  saveTapeFile(state);
  console.setCursorShape(console.insertMode() ? CursorShape::Half : CursorShape::Full);
  setColourClass("-");
  keyTable() = fieldKeys;
  return result;
}

}  // namespace talmidor
