#include "console/screen_stack.h"

#include <filesystem>

#include "console/console_fixture.h"
#include "platform/platform.h"

namespace talmidor {
namespace {

class ScreenStackTest : public ConsoleTest {
 protected:
  // Fills the screen with a pattern of characters and colours that differ cell by cell.
  void paintPattern() {
    for (int16_t r = 1; r <= console.rows(); ++r) {
      for (int16_t c = 1; c <= console.columns(); ++c) {
        console.setColour(static_cast<int16_t>((r + c) % 16), static_cast<int16_t>(r % 8));
        console.moveCursor(r, c);
        console.writeText(std::string(1, static_cast<char>('A' + (r * 7 + c) % 26)));
      }
    }
  }
  std::vector<Cell> snapshot() const {
    std::vector<Cell> cells;
    const ScreenBuffer& screen = console.screen();
    for (int16_t r = 1; r <= screen.rows(); ++r) {
      for (int16_t c = 1; c <= screen.columns(); ++c) cells.push_back(screen.cell(r, c));
    }
    return cells;
  }
  bool stackExists() const { return std::filesystem::exists(dir() + "WinPush.tmp"); }
  std::string stack() const { return readFile("WinPush.tmp"); }
  static int32_t header(const std::string& bytes) {
    return static_cast<int32_t>(
        static_cast<uint8_t>(bytes[0]) | (static_cast<uint8_t>(bytes[1]) << 8) |
        (static_cast<uint8_t>(bytes[2]) << 16) | (static_cast<uint8_t>(bytes[3]) << 24));
  }
};

TEST_F(ScreenStackTest, PushWritesTheRecordAsLaidOut) {
  paintPattern();
  console.moveCursor(7, 12);
  pushScreen(4, 1, 22, 80);

  std::string bytes = stack();
  ASSERT_EQ(bytes.size(), 4u + 3065u);
  EXPECT_EQ(header(bytes), 3070);
  EXPECT_EQ(bytes.substr(4, 20), "07120000000004012280");
  // First cells: row 4, columns 1 and 2, character then attribute.
  EXPECT_EQ(bytes[24], static_cast<char>(console.screen().cell(4, 1).character));
  EXPECT_EQ(bytes[25], static_cast<char>(console.screen().cell(4, 1).attribute));
  EXPECT_EQ(bytes[26], static_cast<char>(console.screen().cell(4, 2).character));
  // Last cell: row 22, column 80.
  EXPECT_EQ(bytes[4 + 20 + 2 * 1519], static_cast<char>(console.screen().cell(22, 80).character));
  EXPECT_EQ(bytes.substr(bytes.size() - 5), "03065");

  EXPECT_EQ(windowFrame().depth, 1);
  EXPECT_EQ(windowFirstRow(), 5);
  EXPECT_EQ(windowFirstColumn(), 2);
  EXPECT_EQ(windowLastColumn(), 79);
}

TEST_F(ScreenStackTest, OneCellRegionMakesA27ByteRecord) {
  pushScreen(3, 3, 3, 3);
  std::string bytes = stack();
  ASSERT_EQ(bytes.size(), 4u + 27u);
  EXPECT_EQ(header(bytes), 32);
  EXPECT_EQ(bytes.substr(4 + 22, 5), "00027");
}

TEST_F(ScreenStackTest, PushThenPopRestoresCellsCursorAndLeavesNoFile) {
  paintPattern();
  console.moveCursor(7, 12);
  std::vector<Cell> before = snapshot();
  pushScreen(4, 10, 12, 50);
  setColourClass("rh");
  drawFrame(2);
  locateInWindow(1, 1);
  printText("inside");
  popScreen();

  EXPECT_EQ(snapshot(), before);
  int16_t row = 0, column = 0;
  console.cursorPosition(row, column);
  EXPECT_EQ(row, 7);
  EXPECT_EQ(column, 12);
  EXPECT_EQ(windowFrame().depth, 0);
  EXPECT_FALSE(stackExists());
  // The colour left is that of the last restored cell.
  EXPECT_EQ(console.screen().attribute(), console.screen().cell(12, 50).attribute);
}

TEST_F(ScreenStackTest, NestedWindowsComeBackInReverseOrder) {
  paintPattern();
  std::vector<Cell> original = snapshot();
  pushScreen(2, 2, 10, 40);
  drawFrame(1);
  std::vector<Cell> withFirst = snapshot();
  pushScreen(5, 20, 20, 70);
  drawFrame(2);
  EXPECT_EQ(windowFrame().depth, 2);

  popScreen();
  EXPECT_EQ(snapshot(), withFirst);
  EXPECT_EQ(header(stack()), 5 + 20 + 2 * 9 * 39 + 5);
  EXPECT_EQ(windowFrame().depth, 1);
  EXPECT_EQ(windowFrame().top, 2);
  EXPECT_EQ(windowFrame().left, 2);
  EXPECT_EQ(windowFrame().bottom, 10);
  EXPECT_EQ(windowFrame().right, 40);

  popScreen();
  EXPECT_EQ(snapshot(), original);
  EXPECT_EQ(windowFrame().depth, 0);
  EXPECT_FALSE(stackExists());
}

TEST_F(ScreenStackTest, BoundsOutsideTheScreenDoNothing) {
  struct Case {
    int16_t top, left, bottom, right;
  } cases[] = {{4, 0, 10, 20}, {0, 1, 10, 20}, {4, 1, 26, 20}, {4, 1, 10, 81}, {26, 1, 3, 20}};
  for (const Case& c : cases) {
    pushScreen(c.top, c.left, c.bottom, c.right);
    EXPECT_FALSE(stackExists()) << c.top << "," << c.left << "," << c.bottom << "," << c.right;
    EXPECT_EQ(windowFrame().depth, 0);
  }
}

TEST_F(ScreenStackTest, PopWithoutAStackChangesNothing) {
  paintPattern();
  std::vector<Cell> before = snapshot();
  popScreen();
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(stackExists());

  // A header alone (3 bytes or less) is removed.
  writeFile("WinPush.tmp", "abc");
  popScreen();
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(stackExists());
}

TEST_F(ScreenStackTest, DamagedStackIsDroppedWithoutPainting) {
  paintPattern();
  std::vector<Cell> before = snapshot();
  pushScreen(2, 2, 3, 3);
  std::string bytes = stack();
  bytes.replace(bytes.size() - 5, 5, "9x999");  // length digits spoilt
  writeFile("WinPush.tmp", bytes);
  popScreen();
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(stackExists());
}

TEST_F(ScreenStackTest, StaleStackOfAnEarlierRunIsCleared) {
  paintPattern();
  pushScreen(2, 2, 3, 3);  // left behind by a run that ended with a window open
  resetScreenState();
  resetScreenStack();
  clearStaleScreenStack();
  EXPECT_FALSE(stackExists());

  std::vector<Cell> before = snapshot();
  pushScreen(5, 5, 6, 6);
  EXPECT_EQ(stack().size(), 4u + 33u);
  popScreen();
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(stackExists());
}

TEST_F(ScreenStackTest, ColumnsBeyond99ComeBackOnAWideTerminal) {
  MemoryConsole wide(30, 132);
  platform().console = &wide;
  wide.moveCursor(3, 120);
  wide.writeText("under");
  pushScreen(2, 100, 20, 132);
  EXPECT_EQ(stack().substr(4, 20), "03250000000002002032");
  drawFrame(2);
  popScreen();
  EXPECT_EQ(wide.line(3), std::string(119, ' ') + "under");
  EXPECT_EQ(wide.line(2), "");
  int16_t row = 0, column = 0;
  wide.cursorPosition(row, column);
  EXPECT_EQ(column, 125);
  EXPECT_FALSE(stackExists());
}

}  // namespace
}  // namespace talmidor
