#include "console/editor.h"

#include "console/console_fixture.h"
#include "platform/cp850.h"

namespace talmidor {
namespace {

class EditorTest : public ConsoleTest {
 protected:
  struct Result {
    std::string text;
    int16_t cursor;
    int16_t key;
  };
  // Edits text at (5, 10) with the given keys; the script's end answers Esc.
  Result edit(std::string text, int16_t cursor, int16_t width, const std::vector<int16_t>& keys) {
    for (int16_t k : keys) console.pushKey(k);
    int16_t key = 0;
    editLine(5, 10, width, text, cursor, key);
    return {text, cursor, key};
  }
  int16_t cursorRow() const { return console.screen().cursorRow(); }
  int16_t cursorColumn() const { return console.screen().cursorColumn(); }
};

std::vector<int16_t> typed(const std::string& text) {
  std::vector<int16_t> keys;
  for (char c : text) keys.push_back(static_cast<int16_t>(static_cast<unsigned char>(c)));
  return keys;
}

TEST_F(EditorTest, EditingKeysOnFreeText) {
  struct Case {
    const char* name;
    std::string text;
    int16_t cursor;
    bool insert;
    std::vector<int16_t> keys;
    std::string expectedText;
    int16_t expectedCursor;
  } cases[] = {
      {"insert", "AB  ", 2, true, typed("x"), "AxB ", 3},
      {"insert until full", "AB  ", 2, true, typed("xyz"), "AxyB", 4},
      {"overwrite", "ABCD", 2, false, typed("xy"), "AxyD", 4},
      {"overwrite at the end", "AB", 3, false, typed("x"), "AB", 3},
      {"insert at the end", "A ", 3, true, typed("x"), "A ", 3},
      {"accented and euro", "    ", 1, false, {0x87, kEuro}, "\x87\xD5  ", 3},
      {"backspace", "ABCD", 3, false, {kBackspace}, "ACD ", 2},
      {"backspace at 1", "ABCD", 1, false, {kBackspace}, "ABCD", 1},
      {"delete", "ABCD", 1, false, {kDelete}, "BCD ", 1},
      {"delete at the end", "ABCD", 5, false, {kDelete}, "ABCD", 5},
      {"end", "AB  ", 1, false, {kEnd}, "AB  ", 3},
      {"end of blanks", "    ", 3, false, {kEnd}, "    ", 1},
      {"home", "ABCD", 4, false, {kHome}, "ABCD", 1},
      {"left and right stop", "AB", 1, false, {kLeft, kRight, kRight, kRight}, "AB", 3},
      {"ctrl+home", "ABCD", 3, false, {kCtrlHome}, "    ", 1},
      {"ctrl+y", "ABCD", 3, false, {kCtrlY}, "    ", 1},
      {"word left to a leading blank", " abc", 5, false, {kCtrlLeft}, " abc", 2},
      {"word left", "abc def", 8, false, {kCtrlLeft}, "abc def", 5},
      {"word left twice", "abc,def", 8, false, {kCtrlLeft, kCtrlLeft}, "abc,def", 1},
      {"word right", "abc def", 1, false, {kCtrlRight}, "abc def", 5},
      {"word right to the end", "abc def", 5, false, {kCtrlRight}, "abc def", 8},
      {"clamped cursor", "AB", 9, false, typed("x"), "AB", 3},
      {"clamped cursor low", "AB", -4, false, typed("x"), "xB", 2},
  };
  editKeyTable("a", "1b");
  for (const Case& c : cases) {
    console.setInsertMode(c.insert);
    Result r = edit(c.text, c.cursor, 0, c.keys);
    EXPECT_EQ(r.text, c.expectedText) << c.name;
    EXPECT_EQ(r.cursor, c.expectedCursor) << c.name;
    EXPECT_EQ(r.key, kEsc) << c.name;
  }
}

TEST_F(EditorTest, ShowsTheTextInTheEditColourAndLeavesTheCursorAtTheField) {
  session().colourPairs[4][0] = 14;
  session().colourPairs[4][1] = 1;
  setColourClass("n");
  Result r = edit("AB  ", 3, 0, typed("c"));
  EXPECT_EQ(r.text, "ABc ");
  EXPECT_EQ(console.line(5), "         ABc");
  EXPECT_EQ(console.attributes(5).substr(18, 8), "1E1E1E1E");
  EXPECT_EQ(colourState().currentClass, 0);
  EXPECT_EQ(cursorRow(), 5);
  EXPECT_EQ(cursorColumn(), 10);
  EXPECT_EQ(console.screen().cursorShape(), CursorShape::Hidden);
}

TEST_F(EditorTest, InsertKeyTogglesTheKeyboardStateAndTheCursorShape) {
  console.setInsertMode(false);
  console.pushKey(kInsert);
  console.pushKey('x');
  console.pushKey(kInsert);
  console.pushKey('y');
  console.pushKey(kInsert);
  std::string text = "AB  ";
  int16_t cursor = 1, key = 0;
  editLine(5, 10, 0, text, cursor, key);
  EXPECT_EQ(text, "xyB ");            // x inserted, y overwrote A
  EXPECT_TRUE(console.insertMode());  // carries over to the next field
}

TEST_F(EditorTest, MultiLineFieldCursorAndVerticalMoves) {
  editKeyTable("a", "4800,1b");
  std::string text = "abcdefghij";
  int16_t cursor = 7, key = 0;
  console.pushNothing();  // look at the screen while the editor waits
  console.pushKey(kUp);
  console.pushKey(kUp);
  editLine(5, 10, 5, text, cursor, key);
  EXPECT_EQ(console.line(5), "         abcde");
  EXPECT_EQ(console.line(6), "         fghij");
  EXPECT_EQ(cursor, 2);
  EXPECT_EQ(key, kUp);

  // Up is ignored when not accepted; Down moves a line and then is ignored at the last line.
  editKeyTable("e", "");
  editKeyTable("a", "1b");
  Result r = edit(text, 2, 5, {kUp, kDown, kDown});
  EXPECT_EQ(r.cursor, 7);
  EXPECT_EQ(r.key, kEsc);
}

TEST_F(EditorTest, CursorCellOnMultiLineFields) {
  struct Case {
    int16_t cursor;
    int16_t row, column;
  } cases[] = {{7, 6, 11}, {1, 5, 10}, {5, 5, 14}, {6, 6, 10}, {11, 6, 15}};
  for (const Case& c : cases) {
    ProbeConsole probe;
    platform().console = &probe;
    std::string text = "abcdefghij";
    int16_t cursor = c.cursor, key = 0;
    editLine(5, 10, 5, text, cursor, key);
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(probe.seen[0].row, c.row) << c.cursor;
    EXPECT_EQ(probe.seen[0].column, c.column) << c.cursor;
    EXPECT_EQ(probe.seen[0].shape, CursorShape::Full) << c.cursor;
  }
}

TEST_F(EditorTest, OneLineFieldCursorAfterTheLastCharacterAndInInsertMode) {
  ProbeConsole probe;
  platform().console = &probe;
  probe.setInsertMode(true);
  std::string text = "abcd";
  int16_t cursor = 5, key = 0;
  editLine(5, 10, 0, text, cursor, key);
  EXPECT_EQ(probe.seen[0].row, 5);
  EXPECT_EQ(probe.seen[0].column, 14);
  EXPECT_EQ(probe.seen[0].shape, CursorShape::Half);
}

TEST_F(EditorTest, PositionsAreWindowRelativeAndZeroTakesTheCursor) {
  windowFrame() = WindowFrame{1, 4, 1, 20, 60};
  std::string text = "ab";
  int16_t cursor = 1, key = 0;
  editLine(2, 3, 0, text, cursor, key);
  EXPECT_EQ(console.line(6), "   ab");

  console.moveCursor(12, 30);
  editLine(0, 0, 0, text, cursor, key);
  EXPECT_EQ(cells(12, 30, 2), "ab");
}

TEST_F(EditorTest, ClipboardCopyAndPaste) {
  console.setClipboard(" 12\t3 ");
  Result r = edit("ABCDE", 2, 0, {kCtrlV});
  EXPECT_EQ(r.text, "A123E");
  EXPECT_EQ(r.cursor, 2);

  console.setClipboard("\x01xyz\x7F\xFF");
  r = edit("ABCDE", 4, 0, {kCtrlV});
  EXPECT_EQ(r.text, "ABCxy");  // as far as the text reaches

  console.setClipboard("");
  r = edit("ABCDE", 1, 0, {kCtrlV});
  EXPECT_EQ(r.text, "ABCDE");

  r = edit("  AB C  ", 1, 0, {kCtrlC});
  EXPECT_EQ(console.clipboard(), "AB C");
}

TEST_F(EditorTest, EndingKeysAndTheirSubstitutions) {
  struct Case {
    const char* name;
    std::string accepted;
    std::vector<int16_t> keys;
    int16_t expected;
  } cases[] = {
      {"empty list ends on any non-editing key", "", {kF5}, kF5},
      {"empty list: Tab becomes Enter", "", {kTab}, kEnter},
      {"F5 not listed is ignored", "1b", {kF5}, kEsc},
      {"F5 listed", "3f00,1b", {kF5}, kF5},
      {"translation", "3f00=d", {kF5}, kEnter},
      {"Tab with Enter accepted", "d", {kTab}, kEnter},
      {"Tab with Enter and End accepted", "d,4f00", {kTab}, kEnter},
      {"Enter with End accepted", "d,4f00", {kEnter}, kEnd},
      {"Enter without End", "d", {kEnter}, kEnter},
      {"Shift+Tab as Up", "4800", {kShiftTab}, kUp},
      {"Ctrl+F4 as Esc", "1b", {kCtrlF4}, kEsc},
      {"Alt+F4 as Esc", "", {kAltF4}, kEsc},
      {"Ctrl+Left at the start", "7300", {kCtrlLeft}, kCtrlLeft},
      {"F11 not listed ends like a click", "1b", {kF11}, kF11},
      {"F11 listed with a translation", "8500=2", {kF11}, 2},
      {"Down on a one-line field", "5000", {kDown}, kDown},
      {"Ctrl+Right at the end", "7400", {kRight, kRight, kRight, kCtrlRight}, kCtrlRight},
  };
  for (const Case& c : cases) {
    resetKeyTable();
    editKeyTable("a", c.accepted);
    Result r = edit("ab", 1, 0, c.keys);
    EXPECT_EQ(r.key, c.expected) << c.name;
  }
}

TEST_F(EditorTest, MouseClicks) {
  console.setMouseButtons(2);
  editKeyTable("a", "1b");
  // Inside a two-line field of width 5 at (5, 10): the cursor moves to the clicked character.
  console.pushMouseRelease(1, 6, 12);
  console.pushText("Z");
  console.pushMouseRelease(1, 9, 40);  // another field
  std::string text = "abcdefghij";
  int16_t cursor = 1, key = 0;
  editLine(5, 10, 5, text, cursor, key);
  EXPECT_EQ(text, "abcdefgZij");
  EXPECT_EQ(cursor, 9);
  EXPECT_EQ(key, -(40 * 100 + 9));

  // The row right of the field, and the line below it, are outside.
  for (auto [row, column] : {std::pair{5, 15}, std::pair{7, 10}, std::pair{4, 12}}) {
    console.pushMouseRelease(1, static_cast<int16_t>(row), static_cast<int16_t>(column));
    cursor = 1;
    editLine(5, 10, 5, text, cursor, key);
    EXPECT_EQ(key, -(column * 100 + row)) << row << "," << column;
  }
}

TEST_F(EditorTest, EchoCharacterHidesTheText) {
  editKeyTable("h", "");
  editKeyTable("a", "1b");
  Result r = edit("      ", 1, 0, typed("secret"));
  EXPECT_EQ(r.text, "secret");
  EXPECT_EQ(console.line(5), "         XXXXXX");
  editKeyTable("v", "");
  r = edit(r.text, 1, 0, {});
  EXPECT_EQ(console.line(5), "         secret");
}

TEST_F(EditorTest, HotKeyToolLeavingTheTableEmptyEndsTheEdit) {
  setHotKeyTools(
      [] {
        editKeyTable("+e", "");  // saves nothing: the field's table already holds the copy
        editKeyTable("-", "");   // restores the table of before the field
        return std::string("42");
      },
      nullptr);
  editKeyTable("+ea", "d");  // the field's table, saving an empty one
  Result r = edit("     ", 1, 0, {kAltX});
  EXPECT_EQ(r.key, kAltX);
  // The tool's result arrives as typed keys at the next read.
  EXPECT_EQ(inputState().typeahead, "42");
}

TEST_F(EditorTest, ChoiceListSelector) {
  setFieldChoices("|1,Red|2,Green|3,Blue");
  editKeyTable("a", "1b,d");
  struct Case {
    const char* name;
    std::string text;
    std::vector<int16_t> keys;
    std::string expectedText;
    std::string shown;
  } cases[] = {
      {"starts on the matching entry", "2", {}, "2", "Green"},
      {"right", "2", {kRight}, "3", "Blue "},
      {"right wraps", "2", {kRight, kRight}, "1", "Red  "},
      {"space as right", "1", {kSpace}, "2", "Green"},
      {"left wraps", "1", {kLeft}, "3", "Blue "},
      {"initial letter", "1", typed("b"), "3", "Blue "},
      {"initial letter without a match", "1", typed("z"), "1", "Red  "},
      {"no match takes the first", "7", {}, "1", "Red  "},
      {"the whole text is compared", "2 ", {}, "1 ", "Red  "},
      {"editing keys do nothing", "2", {kBackspace, kDelete, kCtrlY, kCtrlV}, "2", "Green"},
  };
  for (const Case& c : cases) {
    for (int16_t k : c.keys) console.pushKey(k);
    std::string text = c.text;
    int16_t cursor = 1, key = 0;
    console.pushKey(kEnter);
    editLine(5, 10, 0, text, cursor, key);
    EXPECT_EQ(text, c.expectedText) << c.name;
    EXPECT_EQ(cells(5, 10, 5), c.shown) << c.name;
    EXPECT_EQ(key, kEnter) << c.name;
    // The arrows are blanked when the edit ends.
    EXPECT_EQ(cells(5, 9, 1), " ") << c.name;
    EXPECT_EQ(cells(5, 15, 1), " ") << c.name;
  }
  EXPECT_FALSE(plainFoldMode());
}

TEST_F(EditorTest, ChoiceListArrowsClicksAndAccents) {
  setFieldChoices("x|A,\x90pic|B,\x82pic|C,Other|");
  editKeyTable("a", "1b");
  ProbeConsole probe;
  platform().console = &probe;
  probe.setMouseButtons(2);
  probe.watchRow = 5;
  probe.pushMouseRelease(1, 5, 15);  // on the right arrow: next entry
  probe.pushMouseRelease(1, 5, 12);  // between the arrows: nothing
  probe.pushKey('e');                // finds "\x90pic" past "Other" and the empty entry
  probe.pushKey(kLeft);              // wraps to the empty entry at the end
  probe.pushMouseRelease(1, 5, 16);  // beyond the arrow: ends the edit
  std::string text = "B";
  int16_t cursor = 1, key = 0;
  editLine(5, 10, 0, text, cursor, key);

  std::vector<std::string> shown;
  for (const std::string& row : probe.watched) shown.push_back(row.substr(8, 7));
  EXPECT_EQ(shown, (std::vector<std::string>{"\x11\x82pic \x10", "\x11Other\x10", "\x11Other\x10",
                                             "\x11\x90pic \x10", "\x11     \x10"}));
  EXPECT_EQ(probe.seen[0].shape, CursorShape::Hidden);
  EXPECT_EQ(text, " ");
  EXPECT_EQ(key, -(16 * 100 + 5));
  EXPECT_EQ(probe.line(5), "");
}

TEST_F(EditorTest, ClickOutsideAChoiceLineEndsTheEdit) {
  console.setMouseButtons(2);
  setFieldChoices("|1,Red|2,Green");
  editKeyTable("a", "1b");
  console.pushMouseRelease(1, 6, 12);
  std::string text = "1";
  int16_t cursor = 1, key = 0;
  editLine(5, 10, 0, text, cursor, key);
  EXPECT_EQ(key, -(12 * 100 + 6));
  // Copy takes the description.
  console.pushKey(kCtrlC);
  editLine(5, 10, 0, text, cursor, key);
  EXPECT_EQ(console.clipboard(), "Red");
}

}  // namespace
}  // namespace talmidor
