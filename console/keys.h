#pragma once
// Keyboard and mouse input: key codes, the key table that decides which keys end a field
// edit, the typeahead fed by the hot-key tools, and the reading of events.

#include <cstdint>
#include <string>
#include <vector>

namespace talmidor {

// Key codes: a character key gives its code page 850 code, an extended key its scan code x 256.
// Codes of 0x8000 and above are negative as int16_t.
constexpr int16_t keyCode(unsigned value) {
  return static_cast<int16_t>(value & 0xFFFF);
}

constexpr int16_t kCtrlC = 3;
constexpr int16_t kBackspace = 8;
constexpr int16_t kTab = 9;
constexpr int16_t kEnter = 13;
constexpr int16_t kCtrlV = 22;
constexpr int16_t kCtrlY = 25;
constexpr int16_t kEsc = 27;
constexpr int16_t kSpace = 32;
constexpr int16_t kEuro = 213;  // Alt+E: the euro sign of code page 858
constexpr int16_t kShiftTab = 0x0F00;
constexpr int16_t kAltE = 0x1200;
constexpr int16_t kAltF = 0x2100;
constexpr int16_t kAltX = 0x2D00;  // calculator
constexpr int16_t kAltC = 0x2E00;  // calendar
constexpr int16_t kF1 = 0x3B00;
constexpr int16_t kF2 = 0x3C00;
constexpr int16_t kF3 = 0x3D00;
constexpr int16_t kF4 = 0x3E00;
constexpr int16_t kF5 = 0x3F00;
constexpr int16_t kF10 = 0x4400;
constexpr int16_t kHome = 0x4700;
constexpr int16_t kUp = 0x4800;
constexpr int16_t kPgUp = 0x4900;
constexpr int16_t kLeft = 0x4B00;
constexpr int16_t kKeypad5 = 0x4C00;
constexpr int16_t kRight = 0x4D00;
constexpr int16_t kEnd = 0x4F00;
constexpr int16_t kDown = 0x5000;
constexpr int16_t kPgDn = 0x5100;
constexpr int16_t kInsert = 0x5200;
constexpr int16_t kDelete = 0x5300;
constexpr int16_t kShiftF1 = 0x5400;
constexpr int16_t kCtrlF1 = 0x5E00;
constexpr int16_t kCtrlF4 = 0x6100;
constexpr int16_t kAltF1 = 0x6800;
constexpr int16_t kAltF4 = 0x6B00;
constexpr int16_t kCtrlLeft = 0x7300;
constexpr int16_t kCtrlRight = 0x7400;
constexpr int16_t kCtrlHome = 0x7700;
constexpr int16_t kF11 = keyCode(0x8500);
constexpr int16_t kF12 = keyCode(0x8600);
constexpr int16_t kShiftF11 = keyCode(0x8700);
constexpr int16_t kCtrlF11 = keyCode(0x8900);
constexpr int16_t kAltF11 = keyCode(0x8B00);

// The keys that end a field edit and the code each one is reported as (parallel lists), with
// room for one saved copy; echoChar, when not 0, is shown in place of typed text.
struct KeyTable {
  std::vector<int16_t> acceptedCodes, translations, savedCodes, savedTranslations;
  bool hasSavedCopy;
  int16_t echoChar;
};
KeyTable& keyTable();
void resetKeyTable();

// Applies the command letters one by one: "E" empties the lists, "A" appends the items of list
// ("d,1b,4800" or "d=4f00": hexadecimal codes, each optionally "=" its translation), "+" saves
// a copy when none is held, "-" restores and drops the held copy, "H" sets echoChar to "X",
// "V" clears it. Other characters are ignored.
void editKeyTable(const std::string& commands, const std::string& list);

// Never waits. key 0 and button 0: nothing happened. button 1 or 2 is a mouse button release
// at (mouseRow, mouseColumn). Typeahead characters come first; modifiers, Alt+keypad digits
// and the hot keys are applied here.
void readKeyEvent(int16_t& key, int16_t& button, int16_t& mouseRow, int16_t& mouseColumn);
// Waits for a key or a button release and returns it, never 0; a release at (row, column) is
// column x 256 + button x 64 + row. Between polls it sleeps in the console's input wait.
int16_t waitKey();

// What the hot keys need between reads: the typeahead, one guard per tool, the mouse state
// (0 not set up, 1 reporting on, 2 mouse present and reporting off, 3 no mouse) and the latest
// mouse position.
using HotKeyTool = std::string (*)();
struct InputState {
  std::string typeahead;
  int16_t calculatorRunning, calendarRunning, mouseState;
  int16_t mouseRow, mouseColumn;
  HotKeyTool calculator, calendar;
};
InputState& inputState();

// Registers the tools that Alt+X and Alt+C open; until then the hot key is only returned as a
// key. Their result text is queued as typed characters.
void setHotKeyTools(HotKeyTool calculator, HotKeyTool calendar);

// Empty typeahead, guards off, mouse not set up, no hot-key tools, and an empty key table.
void resetInput();

}  // namespace talmidor
