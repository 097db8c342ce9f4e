#include "console/keys.h"

#include "platform/console.h"
#include "platform/platform.h"

namespace talmidor {

namespace {

KeyTable theKeyTable{};
InputState theInputState{};

// How long a waiting loop sleeps in the console's input wait before polling again.
constexpr int kPollMilliseconds = 50;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a hexadecimal number from text[i] on, stopping at the first other character. Values
// keep their low 16 bits, so "8500" is F11 (negative as int16_t).
int16_t readHex(const std::string& text, size_t& i) {
  uint32_t value = 0;
  while (i < text.size() && hexDigit(text[i]) >= 0) {
    value = ((value << 4) | static_cast<uint32_t>(hexDigit(text[i]))) & 0xFFFF;
    ++i;
  }
  return static_cast<int16_t>(value);
}

void appendItems(KeyTable& table, const std::string& list) {
  if (list.empty()) return;
  size_t start = 0;
  while (true) {
    size_t comma = list.find(',', start);
    std::string item =
        list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    size_t i = 0;
    int16_t code = readHex(item, i);
    int16_t translation = code;
    size_t equals = item.find('=');
    if (equals != std::string::npos) {
      size_t j = equals + 1;
      translation = readHex(item, j);
    }
    table.acceptedCodes.push_back(code);
    table.translations.push_back(translation);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

// The digit a keypad key gives while left Alt is held, or -1.
int keypadDigit(int16_t key) {
  switch (key) {
    case kInsert:
      return 0;
    case kEnd:
      return 1;
    case kDown:
      return 2;
    case kPgDn:
      return 3;
    case kLeft:
      return 4;
    case kKeypad5:
      return 5;
    case kRight:
      return 6;
    case kHome:
      return 7;
    case kUp:
      return 8;
    case kPgUp:
      return 9;
    default:
      return -1;
  }
}

bool isF1toF10(int16_t key) {
  return key >= kF1 && key <= kF10;
}
bool isF11orF12(int16_t key) {
  return key == kF11 || key == kF12;
}

int16_t plus(int16_t key, int offset) {
  return keyCode(static_cast<uint16_t>(key) + offset);
}

// Adds the modifier combinations the program distinguishes to a key code.
int16_t applyModifiers(int16_t key, uint8_t modifiers) {
  if (key == kAltE) return kEuro;
  if (modifiers & (kRightAlt | kLeftAlt)) {
    if (isF1toF10(key)) return plus(key, 0x2D00);
    if (isF11orF12(key)) return plus(key, 0x600);
  } else if (modifiers & (kRightCtrl | kLeftCtrl)) {
    if (isF1toF10(key)) return plus(key, 0x2300);
    if (isF11orF12(key)) return plus(key, 0x400);
    if (key == kHome) return kCtrlHome;
    if (key == kRight) return kCtrlRight;
    if (key == kLeft) return kCtrlLeft;
  } else if (modifiers & kShift) {
    if (isF1toF10(key)) return plus(key, 0x1900);
    if (isF11orF12(key)) return plus(key, 0x200);
  }
  return key;
}

// Characters typed as a decimal code on the keypad with left Alt held: collects the digits
// while the keypad keys keep coming with left Alt. Returns the event that ended the
// collection, or, when digits were collected, the character they make (the ending event is
// then dropped).
ConsoleEvent composeAltKeypad(Console& console, ConsoleEvent event) {
  bool collected = false;
  int code = 0;
  while (true) {
    if (event.kind == ConsoleEvent::Kind::None) {
      // Alt is still held: wait for the next key without keeping a core busy.
      console.present();
      console.waitForInput(kPollMilliseconds);
      event = console.nextEvent();
      continue;
    }
    if (event.kind != ConsoleEvent::Kind::Key || !(event.modifiers & kLeftAlt)) break;
    int digit = keypadDigit(event.key);
    if (digit < 0) break;
    collected = true;
    code = (code * 10 + digit) % 256;
    event = console.nextEvent();
  }
  if (!collected) return event;
  ConsoleEvent character;
  character.kind = ConsoleEvent::Kind::Key;
  character.key = static_cast<int16_t>(code);
  return character;
}

// Runs a hot-key tool unless it is already running (a tool is never opened from inside
// itself); its result is typed ahead.
void runTool(HotKeyTool tool, int16_t& guard) {
  if (tool == nullptr || guard != 0) return;
  guard = -1;
  std::string result = tool();
  guard = 0;
  theInputState.typeahead = result;
}

}  // namespace

KeyTable& keyTable() {
  return theKeyTable;
}

void resetKeyTable() {
  theKeyTable = KeyTable{};
}

void editKeyTable(const std::string& commands, const std::string& list) {
  KeyTable& table = theKeyTable;
  for (char command : commands) {
    switch (command) {
      case 'e':
      case 'E':
        table.acceptedCodes.clear();
        table.translations.clear();
        break;
      case 'a':
      case 'A':
        appendItems(table, list);
        break;
      case '+':
        if (!table.hasSavedCopy) {
          table.savedCodes = table.acceptedCodes;
          table.savedTranslations = table.translations;
          table.hasSavedCopy = true;
        }
        break;
      case '-':
        if (table.hasSavedCopy) {
          table.acceptedCodes = std::move(table.savedCodes);
          table.translations = std::move(table.savedTranslations);
          table.savedCodes.clear();
          table.savedTranslations.clear();
          table.hasSavedCopy = false;
        }
        break;
      case 'h':
      case 'H':
        table.echoChar = 'X';
        break;
      case 'v':
      case 'V':
        table.echoChar = 0;
        break;
      default:
        break;
    }
  }
}

void readKeyEvent(int16_t& key, int16_t& button, int16_t& mouseRow, int16_t& mouseColumn) {
  InputState& input = theInputState;
  key = button = mouseRow = mouseColumn = 0;
  if (!input.typeahead.empty()) {
    key = static_cast<int16_t>(static_cast<unsigned char>(input.typeahead.front()));
    input.typeahead.erase(0, 1);
    return;
  }
  Console& console = *platform().console;
  if (input.mouseState == 0) {
    console.setMouseReporting(false);
    input.mouseState = console.mouseButtons() == 0 ? 3 : 2;
  }
  if (input.mouseState == 2) {
    console.setMouseReporting(true);
    input.mouseState = 1;
  }

  ConsoleEvent event = console.nextEvent();
  if (event.kind == ConsoleEvent::Kind::Key && (event.modifiers & kLeftAlt)) {
    event = composeAltKeypad(console, event);
  }

  if (event.kind == ConsoleEvent::Kind::Key) {
    key = applyModifiers(event.key, event.modifiers);
  } else if (event.kind == ConsoleEvent::Kind::MouseMove ||
             event.kind == ConsoleEvent::Kind::MouseRelease) {
    input.mouseRow = event.row;
    input.mouseColumn = event.column;
  }
  if (input.mouseState == 1) {
    if (event.kind == ConsoleEvent::Kind::MouseRelease &&
        (event.button == 1 || event.button == 2)) {
      button = event.button;
    }
    mouseRow = input.mouseRow;
    mouseColumn = input.mouseColumn;
  }

  if (key == kAltX) runTool(input.calculator, input.calculatorRunning);
  if (key == kAltC) runTool(input.calendar, input.calendarRunning);

  // Reporting pauses after every key or click and resumes at the next read.
  if (input.mouseState == 1 && (key > 0 || button > 0)) {
    console.setMouseReporting(false);
    input.mouseState = 2;
  }
}

int16_t waitKey() {
  Console& console = *platform().console;
  while (true) {
    int16_t key = 0, button = 0, row = 0, column = 0;
    readKeyEvent(key, button, row, column);
    if (key != 0) return key;
    if (button != 0) {
      return keyCode(static_cast<unsigned>(column) * 256 + static_cast<unsigned>(button) * 64 +
                     static_cast<unsigned>(row));
    }
    console.present();
    console.waitForInput(kPollMilliseconds);
  }
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
