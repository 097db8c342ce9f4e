#include "console/keys.h"

namespace talmidor {

namespace {
KeyTable theKeyTable{};
InputState theInputState{};
}  // namespace

KeyTable& keyTable() {
  return theKeyTable;
}
void resetKeyTable() {
  theKeyTable = KeyTable{};
}
void editKeyTable(const std::string&, const std::string&) {}
void readKeyEvent(int16_t& key, int16_t& button, int16_t& mouseRow, int16_t& mouseColumn) {
  key = button = mouseRow = mouseColumn = 0;
}
int16_t waitKey() {
  return kEsc;
}
InputState& inputState() {
  return theInputState;
}
void setHotKeyTools(HotKeyTool calculator, HotKeyTool calendar) {
  theInputState.calculator = calculator;
  theInputState.calendar = calendar;
}
void resetInput() {
  theInputState = InputState{};
  resetKeyTable();
}

}  // namespace talmidor
