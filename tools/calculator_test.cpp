#include "tools/calculator.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/cp850.h"
#include "tools/tools_fixture.h"

namespace talmidor {
namespace {

class CalculatorTest : public ToolsTest {
 protected:
  // The box's lines as code page 850 text.
  static std::string rule(std::string_view left, std::string_view right) {
    return std::string(left) + std::string(24, "─"_cp[0]) + std::string(right);
  }
  static std::string boxed(const std::string& inner) {
    return std::string("│"_cp) + inner + std::string("│"_cp);
  }
  // A tape or display line: the value right-aligned in 22 columns, then the operator.
  static std::string valueLine(const std::string& value, char op) {
    return boxed(std::string(22 - value.size(), ' ') + value + " " + op);
  }
  std::string runWith(const std::string& keys) {
    screen.forgetSnapshot();
    screen.pushText(keys);
    return runCalculator();
  }
};

TEST_F(CalculatorTest, FirstCallShowsAnEmptyBoxAndEscapeLeavesATwentyFiveLineTape) {
  paintBackground();
  std::string backgroundRow22 = screen.line(22).substr(0, 26);
  EXPECT_EQ(runWith(""), "");

  EXPECT_EQ(shownCells(22, 1, 26), backgroundRow22);  // nothing above the box's rule
  EXPECT_EQ(shownCells(23, 1, 26), rule("┌"_cp, "┐"_cp));
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("0", ' '));
  EXPECT_EQ(shownCells(25, 1, 26), rule("└"_cp, "┘"_cp));
  std::string normal;
  for (int i = 0; i < 26; ++i) normal += "07";  // colour class "n": light grey on black
  EXPECT_EQ(screen.shownAttributes(24).substr(0, 52), normal);

  std::string tape = readFile("ZUBCALC.TMP");
  size_t lines = 0;
  for (size_t at = tape.find("\r\n"); at != std::string::npos; at = tape.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, 25u);
  EXPECT_EQ(tape.substr(tape.size() - 2), "\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir() + "WinPush.tmp"));
}

TEST_F(CalculatorTest, TwelvePlusFiveShowsItsTapeAndAFollowingCallHandsBack1700) {
  EXPECT_EQ(runWith("12+5="), "");
  EXPECT_EQ(shownCells(19, 1, 26), rule("┌"_cp, "┐"_cp));
  EXPECT_EQ(shownCells(20, 1, 26), valueLine("12", '+'));
  EXPECT_EQ(shownCells(21, 1, 26), valueLine("5", '='));
  EXPECT_EQ(shownCells(22, 1, 26), valueLine("17", ' '));
  EXPECT_EQ(shownCells(23, 1, 26), rule("├"_cp, "┤"_cp));
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("17", ' '));
  EXPECT_EQ(shownCells(18, 1, 26), std::string(26, ' '));

  // The next call opens with the same tape and total; F hands the total back in hundredths.
  runWith("");
  EXPECT_EQ(shownCells(20, 1, 26), valueLine("12", '+'));
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("17", ' '));
  EXPECT_EQ(runWith("F"), "1700");
}

TEST_F(CalculatorTest, StateCarriesOverBetweenCalls) {
  EXPECT_EQ(runWith("12+"), "");
  EXPECT_EQ(runWith("5=F"), "1700");
  EXPECT_EQ(runWith("*2"), "");  // typing survives too
  runWith("");
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("2", ' '));
  EXPECT_EQ(runWith("=F"), "3400");
}

TEST_F(CalculatorTest, DecimalsAndTheRoundingLineOnTheTape) {
  runWith("1/3=");
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("0'333333333333333", ' '));
  runWith("R");
  EXPECT_EQ(shownCells(22, 1, 26), valueLine("0'33", 'R'));
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("0'33", ' '));
}

TEST_F(CalculatorTest, TheThirdClearHidesTheTapeAndShowsWhatLiesUnder) {
  paintBackground();
  std::string row21 = screen.line(21).substr(0, 26);
  std::string row22 = screen.line(22).substr(0, 26);
  runWith("12+5=CC");
  EXPECT_EQ(shownCells(21, 1, 26), row21);
  EXPECT_EQ(shownCells(22, 1, 26), row22);
  EXPECT_EQ(shownCells(23, 1, 26), rule("┌"_cp, "┐"_cp));
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("0", ' '));
  // A new line shows the tape again from row 22.
  runWith("7+");
  EXPECT_EQ(shownCells(21, 1, 26), rule("┌"_cp, "┐"_cp));
  EXPECT_EQ(shownCells(22, 1, 26), valueLine("7", '+'));
}

TEST_F(CalculatorTest, SlidingMovesTheBoxAndWrapsAtTheEdges) {
  paintBackground();
  std::string left = screen.line(24).substr(0, 26);
  screen.pushKey(kLeft);
  runCalculator();
  EXPECT_EQ(shownCells(24, 55, 26), valueLine("0", ' '));
  EXPECT_EQ(shownCells(24, 1, 26), left);
  EXPECT_EQ(readFile("ZUBCALC.TMP").substr(0, 3), "55,");

  // The next call opens at column 55; Right wraps to 1, and Right again moves to 2.
  screen.forgetSnapshot();
  screen.pushKey(kRight);
  screen.pushKey(kCtrlRight);
  runCalculator();
  EXPECT_EQ(shownCells(24, 2, 26), valueLine("0", ' '));
  EXPECT_EQ(shownCells(24, 55, 26), screen.line(24).substr(54, 26));
}

TEST_F(CalculatorTest, EscapeRestoresTheScreenExactly) {
  paintBackground();
  ScreenCopy before = copyScreen();
  for (const char* keys : {"", "12+5=", "1/0=", "12+5=CC"}) {
    EXPECT_EQ(runWith(keys), "") << keys;
    EXPECT_TRUE(copyScreen() == before) << keys;
  }
  screen.pushKey(kLeft);
  screen.pushText("3*4=");
  screen.pushKey(kRight);
  screen.pushKey(kRight);
  runCalculator();
  EXPECT_TRUE(copyScreen() == before);
  EXPECT_FALSE(std::filesystem::exists(dir() + "WinPush.tmp"));
}

TEST_F(CalculatorTest, DivisionByZeroShowsARowOfExclamationMarksUntilCleared) {
  runWith("5/0=7");
  std::string errorText(22, '!');
  EXPECT_EQ(shownCells(22, 1, 26), boxed(errorText + "  "));
  EXPECT_EQ(shownCells(24, 1, 26), boxed(errorText + "  "));
  EXPECT_EQ(screen.beeps(), 1);  // the 7 was refused

  // Closing clears the error; its tape line keeps showing it.
  runWith("");
  EXPECT_EQ(shownCells(22, 1, 26), boxed(errorText + "  "));
  EXPECT_EQ(shownCells(24, 1, 26), valueLine("0", ' '));
  EXPECT_EQ(runWith("F"), "0");
  EXPECT_EQ(runWith("5/0=F"), "");
}

TEST_F(CalculatorTest, AValueIsHandedBackWhenTheTapeFileCannotBeWritten) {
  session().terminalDir = dir() + "missing/";
  EXPECT_EQ(runWith("12+5=F"), "1700");
  EXPECT_FALSE(std::filesystem::exists(dir() + "missing"));
}

TEST_F(CalculatorTest, ADamagedTapeFileOpensWhatCanBeRead) {
  writeFile("ZUBCALC.TMP", "10,22,42,42\r\n0,0,0,0\r\n\"\",\"\"\r\n" + std::string(21, '\n') +
                               "42,0,0,\"+\"\r\nthis is not a number\r\n");
  runWith("");
  EXPECT_EQ(shownCells(22, 10, 26), valueLine("0", ' '));  // entry 22: the file stopped before it
  EXPECT_EQ(shownCells(24, 10, 26), valueLine("42", ' '));
  EXPECT_EQ(runWith("F"), "4200");
}

TEST_F(CalculatorTest, TheCallersKeyTableColourAndCursorComeBack) {
  editKeyTable("+ea", "d,1b,3b00");
  setColourClass("h");
  setColourClass("+u");
  KeyTable keys = keyTable();
  ColourState colours = colourState();
  runWith("12+5=");
  EXPECT_EQ(keyTable().acceptedCodes, keys.acceptedCodes);
  EXPECT_EQ(keyTable().translations, keys.translations);
  EXPECT_EQ(keyTable().hasSavedCopy, keys.hasSavedCopy);
  EXPECT_EQ(keyTable().savedCodes, keys.savedCodes);
  EXPECT_EQ(colourState().currentClass, colours.currentClass);
  EXPECT_EQ(colourState().classStack, colours.classStack);
  EXPECT_NE(screen.screen().cursorShape(), CursorShape::Hidden);
}

}  // namespace
}  // namespace talmidor
