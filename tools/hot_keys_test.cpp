#include "tools/hot_keys.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/packed.h"
#include "tools/tools_fixture.h"

namespace talmidor {
namespace {

// A field being edited with editLine while the operator opens the tools with their hot keys.
class HotKeysTest : public ToolsTest {
 protected:
  void SetUp() override {
    ToolsTest::SetUp();
    registerHotKeyTools();
    session().workDate = packDigits("20250331");
  }
  // Alt+X and Alt+C come with the Alt key held, as the terminal reports them.
  void pushHotKey(int16_t key) { screen.pushKey(key, kLeftAlt); }
  // Edits a 12-character field at row 5, column 10 until a key of the key table.
  std::string editField(int16_t& key) {
    std::string text(12, ' ');
    int16_t cursor = 1;
    editLine(5, 10, 0, text, cursor, key);
    return text;
  }
};

TEST_F(HotKeysTest, TheCalculatorsValueIsTypedIntoTheField) {
  editKeyTable("ea", "d,1b");
  KeyTable fieldKeys = keyTable();
  screen.pushText("4");
  pushHotKey(kAltX);
  screen.pushText("12+5=F");
  screen.pushKey(kEnter);
  int16_t key = 0;
  EXPECT_EQ(editField(key), "41700       ");
  EXPECT_EQ(key, kEnter);
  EXPECT_EQ(keyTable().acceptedCodes, fieldKeys.acceptedCodes);
  EXPECT_EQ(keyTable().translations, fieldKeys.translations);
  EXPECT_EQ(inputState().calculatorRunning, 0);
  EXPECT_FALSE(screen.scriptExhausted());
}

TEST_F(HotKeysTest, TheCalendarsDateIsTypedIntoTheField) {
  editKeyTable("ea", "d,1b");
  KeyTable fieldKeys = keyTable();
  pushHotKey(kAltC);
  screen.pushKey(kRight);
  screen.pushText("F");
  screen.pushKey(kEnter);
  int16_t key = 0;
  EXPECT_EQ(editField(key), "1/4/2025    ");
  EXPECT_EQ(key, kEnter);
  EXPECT_EQ(keyTable().acceptedCodes, fieldKeys.acceptedCodes);
  EXPECT_EQ(inputState().calendarRunning, 0);
  EXPECT_FALSE(screen.scriptExhausted());
}

// A form page saves the key table before it installs its own; the tools must give the field
// the page's keys back, not the ones from before the page.
TEST_F(HotKeysTest, AFieldOfAPageKeepsItsKeysAfterATool) {
  editKeyTable("ea", "d");
  editKeyTable("+ea", "d,1b,3b00");  // the page's keys plus F1, saving the table before
  KeyTable pageKeys = keyTable();
  pushHotKey(kAltX);
  screen.pushText("7F");
  pushHotKey(kAltC);
  screen.pushText("F");
  screen.pushKey(kF1);
  int16_t key = 0;
  EXPECT_EQ(editField(key), "70031/3/2025");  // the date is cut at the field's end
  EXPECT_EQ(key, kF1);
  EXPECT_EQ(keyTable().acceptedCodes, pageKeys.acceptedCodes);
  EXPECT_TRUE(keyTable().hasSavedCopy);
  editKeyTable("-", "");
  EXPECT_EQ(keyTable().acceptedCodes, std::vector<int16_t>{kEnter});
}

TEST_F(HotKeysTest, EachToolOpensTheOtherButNotItself) {
  editKeyTable("ea", "d,1b");
  // Alt+X inside the calculator opens nothing; Alt+C opens the calendar, whose Escape closes
  // only the calendar. The calculator then hands back 7.
  pushHotKey(kAltX);
  pushHotKey(kAltX);
  screen.pushText("7");
  pushHotKey(kAltC);
  screen.pushKey(kEsc);
  screen.pushText("F");
  screen.pushKey(kEnter);
  int16_t key = 0;
  EXPECT_EQ(editField(key), "700         ");
  EXPECT_EQ(key, kEnter);

  // Alt+C inside the calendar opens nothing; Alt+X opens the calculator, whose Escape closes
  // only the calculator. The calendar then hands back the day after the working date.
  pushHotKey(kAltC);
  pushHotKey(kAltC);
  screen.pushKey(kRight);
  pushHotKey(kAltX);
  screen.pushKey(kEsc);
  screen.pushText("F");
  screen.pushKey(kEnter);
  EXPECT_EQ(editField(key), "1/4/2025    ");
  EXPECT_EQ(key, kEnter);
  EXPECT_FALSE(screen.scriptExhausted());
  EXPECT_FALSE(std::filesystem::exists(dir() + "WinPush.tmp"));
}

}  // namespace
}  // namespace talmidor
