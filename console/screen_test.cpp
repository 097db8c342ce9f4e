#include "console/screen.h"

#include "console/console_fixture.h"
#include "platform/cp850.h"

namespace talmidor {
namespace {

class ScreenTest : public ConsoleTest {};

TEST_F(ScreenTest, ColourClassCodesSelectTheirClassAndColour) {
  // Five distinct colour pairs so that each class shows as its own attribute.
  int16_t pairs[5][2] = {{15, 0}, {7, 1}, {0, 7}, {14, 4}, {1, 3}};
  for (int c = 0; c < 5; ++c) {
    session().colourPairs[c][0] = pairs[c][0];
    session().colourPairs[c][1] = pairs[c][1];
  }
  struct Case {
    const char* code;
    int16_t cls;
  } cases[] = {{"n", 1},  {"h", 0}, {"rh", 2}, {"r", 2}, {"RN", 3},
               {"nu", 4}, {"u", 4}, {"x", 0},  {"N", 1}, {"Hr", 2}};
  for (const Case& c : cases) {
    setColourClass("u");  // something else first
    setColourClass("n");
    setColourClass(c.code);
    EXPECT_EQ(colourState().currentClass, c.cls) << c.code;
    EXPECT_EQ(console.screen().attribute(), pairs[c.cls][0] + 16 * pairs[c.cls][1]) << c.code;
  }
}

TEST_F(ScreenTest, BlankCodeChangesNothing) {
  setColourClass("+u");
  for (const char* code : {"", "   "}) {
    setColourClass(code);
    EXPECT_EQ(colourState().currentClass, 4);
    EXPECT_EQ(colourState().classStack, std::string(1, '\0'));
    EXPECT_EQ(console.screen().attribute(), 0x70);
  }
}

TEST_F(ScreenTest, SavedClassesComeBackInReverseOrder) {
  setColourClass("h");
  setColourClass("+u");
  setColourClass("-");
  EXPECT_EQ(colourState().currentClass, 0);
  EXPECT_EQ(console.screen().attribute(), 0x0F);

  setColourClass("n");
  setColourClass("+rh");
  setColourClass("+u");
  setColourClass("+");  // saves and selects class 0
  EXPECT_EQ(colourState().currentClass, 0);
  setColourClass("-");
  EXPECT_EQ(colourState().currentClass, 4);
  setColourClass("-");
  EXPECT_EQ(colourState().currentClass, 2);
  setColourClass("-");
  EXPECT_EQ(colourState().currentClass, 1);
  EXPECT_EQ(console.screen().attribute(), 0x07);
  EXPECT_TRUE(colourState().classStack.empty());
  // A pop with nothing saved selects class 0.
  setColourClass("-u");
  EXPECT_EQ(colourState().currentClass, 0);
}

TEST_F(ScreenTest, ColourNumbersOf16OrMoreKeepThatComponent) {
  session().colourPairs[4][0] = 16;  // foreground left as it is
  session().colourPairs[4][1] = 2;
  setColourClass("h");  // 15 on 0
  setColourClass("u");
  EXPECT_EQ(console.screen().attribute(), 0x2F);
}

TEST_F(ScreenTest, CoordinatesAreRelativeToTheInnermostWindow) {
  int16_t row = 0, column = 0;
  locateInWindow(5, 10);
  console.cursorPosition(row, column);
  EXPECT_EQ(row, 5);
  EXPECT_EQ(column, 10);
  EXPECT_EQ(windowFirstRow(), 1);
  EXPECT_EQ(windowFirstColumn(), 1);
  EXPECT_EQ(windowLastColumn(), 80);

  windowFrame() = WindowFrame{1, 4, 1, 20, 60};
  locateInWindow(5, 10);
  console.cursorPosition(row, column);
  EXPECT_EQ(row, 9);
  EXPECT_EQ(column, 11);
  EXPECT_EQ(windowFirstRow(), 5);
  EXPECT_EQ(windowFirstColumn(), 2);
  EXPECT_EQ(windowLastColumn(), 59);
  EXPECT_EQ(screenRows(), 25);
  EXPECT_EQ(screenColumns(), 80);
}

TEST_F(ScreenTest, FramesInEachStyleFillTheInteriorWithBlanks) {
  struct Case {
    int16_t style;
    std::string_view top, middle, bottom;
  } cases[] = {
      {1, "┌───┐"_cp, "│   │"_cp, "└───┘"_cp},
      {2, "╔═══╗"_cp, "║   ║"_cp, "╚═══╝"_cp},
      {0, "     ", "     ", "     "},
  };
  for (const Case& c : cases) {
    console.clear();
    printAt(3, 3, "xxx");
    windowFrame() = WindowFrame{1, 2, 2, 5, 6};
    setColourClass("rh");
    drawFrame(c.style);
    EXPECT_EQ(cells(2, 2, 5), c.top) << c.style;
    EXPECT_EQ(cells(3, 2, 5), c.middle) << c.style;
    EXPECT_EQ(cells(4, 2, 5), c.middle) << c.style;
    EXPECT_EQ(cells(5, 2, 5), c.bottom) << c.style;
    EXPECT_EQ(console.attributes(3).substr(2, 10), "7070707070") << c.style;
    EXPECT_EQ(console.line(1), "");
    EXPECT_EQ(console.line(6), "");
    int16_t row = 0, column = 0;
    console.cursorPosition(row, column);
    EXPECT_EQ(row, 5);
    EXPECT_EQ(column, 7);
  }
}

TEST_F(ScreenTest, FrameNeedsAnOpenWindowAndANarrowOneIsOnlyCorners) {
  drawFrame(2);
  for (const std::string& line : console.lines()) EXPECT_EQ(line, "");

  windowFrame() = WindowFrame{1, 2, 10, 3, 11};
  drawFrame(1);
  EXPECT_EQ(console.line(2), "         ┌┐"_cp);
  EXPECT_EQ(console.line(3), "         └┘"_cp);
}

TEST_F(ScreenTest, ScrollingMovesOnlyTheRectangleAndBlanksInTheCurrentColour) {
  for (int16_t r = 1; r <= 5; ++r) printAt(r, 1, std::string(6, static_cast<char>('0' + r)));
  setColourClass("rh");
  scrollRegion(2, 2, 4, 4, 1);
  EXPECT_EQ(console.line(1), "111111");
  EXPECT_EQ(console.line(2), "233322");
  EXPECT_EQ(console.line(3), "344433");
  EXPECT_EQ(console.line(4), "4   44");
  EXPECT_EQ(console.line(5), "555555");
  EXPECT_EQ(console.attributes(4).substr(0, 12), "077070700707");

  scrollRegion(2, 2, 4, 4, -2);
  EXPECT_EQ(console.line(2), "2   22");
  EXPECT_EQ(console.line(3), "3   33");
  EXPECT_EQ(console.line(4), "433344");
}

}  // namespace
}  // namespace talmidor
