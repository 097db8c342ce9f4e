#include "console/keys.h"

#include "console/console_fixture.h"
#include "console/editor.h"

namespace talmidor {
namespace {

class KeysTest : public ConsoleTest {
 protected:
  int16_t readKey() {
    int16_t key = 0, button = 0, row = 0, column = 0;
    readKeyEvent(key, button, row, column);
    return key;
  }
};

TEST_F(KeysTest, TypeaheadComesFirstWithoutTouchingTheConsole) {
  inputState().typeahead = "12,";
  console.pushKey('z');
  EXPECT_EQ(readKey(), 49);
  EXPECT_EQ(readKey(), 50);
  EXPECT_EQ(readKey(), 44);
  EXPECT_EQ(console.pendingEvents(), 1u);
  EXPECT_EQ(readKey(), 'z');
}

TEST_F(KeysTest, ModifiersGiveTheirOwnCodes) {
  struct Case {
    int16_t key;
    uint8_t modifiers;
    int16_t expected;
  } cases[] = {
      {kAltE, kLeftAlt, 213},
      {kAltE, 0, 213},
      {kF1, kLeftAlt, keyCode(0x6800)},
      {kF10, kRightAlt, keyCode(0x7100)},
      {kF11, kLeftAlt, keyCode(0x8B00)},
      {keyCode(0x3F00), kShift, keyCode(0x5800)},  // Shift+F5
      {kF12, kShift, keyCode(0x8800)},
      {kF1, kLeftCtrl, keyCode(0x5E00)},
      {kF12, kRightCtrl, keyCode(0x8A00)},
      {kHome, kLeftCtrl, kCtrlHome},
      {kLeft, kRightCtrl, kCtrlLeft},
      {kRight, kLeftCtrl, kCtrlRight},
      {kEnd, kLeftCtrl, kEnd},                                // Ctrl+End stays End
      {kF1, kLeftAlt | kLeftCtrl | kShift, keyCode(0x6800)},  // Alt wins
      {kF2, kLeftCtrl | kShift, keyCode(0x5F00)},             // then Ctrl
      {'a', kShift, 'a'},
      {kHome, kShift, kHome},
  };
  for (const Case& c : cases) {
    console.pushKey(c.key, c.modifiers);
    EXPECT_EQ(readKey(), c.expected) << std::hex << c.key << " mods " << int(c.modifiers);
  }
}

TEST_F(KeysTest, AltKeypadDigitsComposeACharacter) {
  // Keypad 6 and 5 with left Alt, then Enter without it: "A", and the Enter is dropped.
  console.pushKey(kRight, kLeftAlt);
  console.pushNothing();
  console.pushKey(kKeypad5, kLeftAlt);
  console.pushKey(kEnter);
  console.pushKey('q');
  EXPECT_EQ(readKey(), 65);
  EXPECT_EQ(readKey(), 'q');

  // "300" wraps to 44; a non-keypad key with left Alt ends the digits too and is dropped.
  console.pushKey(kPgDn, kLeftAlt);
  console.pushKey(kInsert, kLeftAlt);
  console.pushKey(kInsert, kLeftAlt);
  console.pushKey(kF1, kLeftAlt);
  EXPECT_EQ(readKey(), 44);
  EXPECT_EQ(console.pendingEvents(), 0u);

  // Without digits the key keeps its meaning; right Alt composes nothing.
  console.pushKey(kF1, kLeftAlt);
  console.pushKey(kRight, kRightAlt);
  EXPECT_EQ(readKey(), keyCode(0x6800));
  EXPECT_EQ(readKey(), kRight);
}

std::string calculatorResult;
int calculatorCalls = 0;
int calendarCalls = 0;
int16_t keySeenInsideCalculator = 0;

std::string fakeCalculator() {
  ++calculatorCalls;
  // From inside itself the hot key is only a key; the calendar may still open.
  platform().console->nextEvent();  // consume nothing special
  int16_t key = 0, button = 0, row = 0, column = 0;
  readKeyEvent(key, button, row, column);
  keySeenInsideCalculator = key;
  readKeyEvent(key, button, row, column);
  return calculatorResult;
}

std::string fakeCalendar() {
  ++calendarCalls;
  return "15/03/26";
}

TEST_F(KeysTest, HotKeysRunTheirToolOnceAndTypeItsResult) {
  calculatorCalls = calendarCalls = 0;
  calculatorResult = "12.5";
  // Until the tools are registered the hot key is just a key.
  console.pushKey(kAltX);
  EXPECT_EQ(readKey(), kAltX);
  EXPECT_TRUE(inputState().typeahead.empty());

  setHotKeyTools(fakeCalculator, fakeCalendar);
  console.pushKey(kAltX);
  console.pushKey('-');    // taken by the fake calculator's nextEvent
  console.pushKey(kAltX);  // inside the calculator: not opened again
  console.pushKey(kAltC);  // inside the calculator: the calendar opens
  EXPECT_EQ(readKey(), kAltX);
  EXPECT_EQ(calculatorCalls, 1);
  EXPECT_EQ(keySeenInsideCalculator, kAltX);
  EXPECT_EQ(calendarCalls, 1);
  EXPECT_EQ(inputState().calculatorRunning, 0);
  EXPECT_EQ(inputState().calendarRunning, 0);
  // The calculator's result replaces what the calendar typed ahead inside it.
  std::string typed;
  for (int i = 0; i < 4; ++i) typed += static_cast<char>(readKey());
  EXPECT_EQ(typed, "12.5");
  EXPECT_TRUE(inputState().typeahead.empty());

  inputState().calendarRunning = -1;
  console.pushKey(kAltC);
  EXPECT_EQ(readKey(), kAltC);
  EXPECT_EQ(calendarCalls, 1);
}

TEST_F(KeysTest, WaitKeyReturnsKeysAndClicksButNeverZero) {
  console.setMouseButtons(2);
  console.pushNothing();
  console.pushMouseMove(3, 4);
  console.pushKey(0);
  console.pushMouseRelease(1, 5, 10);
  console.pushMouseRelease(2, 25, 80);
  console.pushNothing();
  console.pushKey('k');
  EXPECT_EQ(waitKey(), 2629);  // 10 x 256 + 64 + 5
  EXPECT_EQ(waitKey(), keyCode(80 * 256 + 128 + 25));
  EXPECT_EQ(waitKey(), 'k');
  EXPECT_FALSE(console.scriptExhausted());
}

TEST_F(KeysTest, WaitingLoopsSleepInTheConsoleWaitAfterShowingTheScreen) {
  ProbeConsole probe;
  platform().console = &probe;
  for (int i = 0; i < 3; ++i) probe.pushNothing();
  probe.pushKey('k');
  EXPECT_EQ(waitKey(), 'k');
  EXPECT_EQ(probe.waits, 3);
  EXPECT_TRUE(probe.presentedBeforeEachWait);

  // The line editor waits the same way, and so does Alt held on the keypad.
  probe.waits = 0;
  probe.pushNothing();
  probe.pushKey(kRight, kLeftAlt);
  probe.pushNothing();
  probe.pushKey(kKeypad5, kLeftAlt);
  probe.pushKey(kEnter);
  probe.pushKey(kEsc);
  std::string text = " ";
  int16_t cursor = 1, key = 0;
  editLine(1, 1, 0, text, cursor, key);
  EXPECT_EQ(text, "A");
  EXPECT_EQ(probe.waits, 2);
  EXPECT_TRUE(probe.presentedBeforeEachWait);
}

TEST_F(KeysTest, MouseReportingPausesAfterEachKeyOrClick) {
  console.setMouseButtons(2);
  int16_t key = 0, button = 0, row = 0, column = 0;
  console.pushMouseMove(7, 9);
  readKeyEvent(key, button, row, column);
  EXPECT_EQ(inputState().mouseState, 1);
  EXPECT_TRUE(console.mouseReporting());
  EXPECT_EQ(button, 0);
  EXPECT_EQ(row, 7);
  EXPECT_EQ(column, 9);

  console.pushKey('a');
  readKeyEvent(key, button, row, column);
  EXPECT_EQ(key, 'a');
  EXPECT_EQ(row, 7);  // the latest mouse position comes with every event
  EXPECT_EQ(inputState().mouseState, 2);
  EXPECT_FALSE(console.mouseReporting());

  console.pushMouseRelease(2, 4, 6);
  readKeyEvent(key, button, row, column);
  EXPECT_EQ(button, 2);
  EXPECT_EQ(row, 4);
  EXPECT_EQ(column, 6);
  EXPECT_EQ(inputState().mouseState, 2);
}

TEST_F(KeysTest, WithoutAMouseNoButtonIsEverReported) {
  console.pushMouseRelease(1, 5, 10);
  int16_t key = 0, button = 0, row = 0, column = 0;
  readKeyEvent(key, button, row, column);
  EXPECT_EQ(inputState().mouseState, 3);
  EXPECT_EQ(button, 0);
  EXPECT_EQ(row, 0);
}

TEST_F(KeysTest, KeyTableCommands) {
  KeyTable& table = keyTable();
  editKeyTable("a", "d=4f00,1B,4800,,8500=2,x");
  EXPECT_EQ(table.acceptedCodes, (std::vector<int16_t>{13, 27, 0x4800, 0, kF11, 0}));
  EXPECT_EQ(table.translations, (std::vector<int16_t>{kEnd, 27, 0x4800, 0, 2, 0}));

  editKeyTable("E", "");
  EXPECT_TRUE(table.acceptedCodes.empty());
  editKeyTable("a", "");
  EXPECT_TRUE(table.acceptedCodes.empty());

  editKeyTable("h", "");
  EXPECT_EQ(table.echoChar, 88);
  editKeyTable("V?z", "");
  EXPECT_EQ(table.echoChar, 0);
}

TEST_F(KeysTest, OnlyOneCopyOfTheTableIsSaved) {
  KeyTable& table = keyTable();
  editKeyTable("a", "d");
  editKeyTable("+ea", "1b,4800");
  editKeyTable("+ea", "3e00");  // a copy is held: nothing saved
  EXPECT_EQ(table.acceptedCodes, (std::vector<int16_t>{0x3E00}));
  editKeyTable("-", "");
  EXPECT_EQ(table.acceptedCodes, (std::vector<int16_t>{13}));
  EXPECT_EQ(table.translations, (std::vector<int16_t>{13}));
  EXPECT_FALSE(table.hasSavedCopy);
  editKeyTable("-", "");
  EXPECT_EQ(table.acceptedCodes, (std::vector<int16_t>{13}));
}

}  // namespace
}  // namespace talmidor
