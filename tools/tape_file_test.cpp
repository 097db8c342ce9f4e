#include "tools/tape_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tools/tools_fixture.h"

namespace talmidor {
namespace {

using TapeFileTest = ToolsTest;

CalculatorState after(const std::string& keys) {
  CalculatorState state;
  for (char c : keys) applyCalculatorKey(state, static_cast<unsigned char>(c), 80);
  return state;
}

std::vector<std::string> fileLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void expectSameState(const CalculatorState& a, const CalculatorState& b, const std::string& what) {
  EXPECT_EQ(a.boxColumn, b.boxColumn) << what;
  EXPECT_EQ(a.firstTapeRow, b.firstTapeRow) << what;
  EXPECT_DOUBLE_EQ(a.display, b.display) << what;
  EXPECT_DOUBLE_EQ(a.accumulator, b.accumulator) << what;
  EXPECT_EQ(a.cleared, b.cleared) << what;
  EXPECT_EQ(a.typing, b.typing) << what;
  EXPECT_EQ(a.decimalMode, b.decimalMode) << what;
  EXPECT_EQ(a.decimals, b.decimals) << what;
  EXPECT_EQ(a.lastKey, b.lastKey) << what;
  EXPECT_EQ(a.pendingOperator, b.pendingOperator) << what;
  for (size_t i = 0; i < a.tape.size(); ++i) {
    EXPECT_EQ(std::isfinite(a.tape[i].value), std::isfinite(b.tape[i].value)) << what << i;
    if (std::isfinite(a.tape[i].value)) {
      EXPECT_NEAR(a.tape[i].value, b.tape[i].value, std::fabs(a.tape[i].value) * 1e-14)
          << what << " entry " << i + 1;
    }
    EXPECT_EQ(a.tape[i].decimalMode, b.tape[i].decimalMode) << what << " entry " << i + 1;
    EXPECT_EQ(a.tape[i].decimals, b.tape[i].decimals) << what << " entry " << i + 1;
    EXPECT_EQ(a.tape[i].op, b.tape[i].op) << what << " entry " << i + 1;
  }
}

TEST_F(TapeFileTest, TwentyFiveLinesOfCommaSeparatedFields) {
  CalculatorState state = after("12+5.5=");
  state.boxColumn = 30;
  std::vector<std::string> lines = fileLines(tapeFileText(state));
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[0], "30,20,17.5,17.5");
  EXPECT_EQ(lines[1], "0,0,-1,1");
  EXPECT_EQ(lines[2], "\"\",\"\"");
  for (size_t entry = 1; entry <= 19; ++entry) EXPECT_EQ(lines[entry + 2], "0,0,0,\" \"");
  EXPECT_EQ(lines[22], "12,0,0,\"+\"");
  EXPECT_EQ(lines[23], "5.5,-1,1,\"=\"");
  EXPECT_EQ(lines[24], "17.5,-1,1,\" \"");
}

TEST_F(TapeFileTest, NumbersArePlainDecimalsThatReadBack) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {17, "17"},
      {-1234.5, "-1234.5"},
      {0.333333333333333, "0.333333333333333"},
      {1.0 / 3, "0.333333333333333"},
      {1e-20, "0.00000000000000000001"},
      {1e20, "100000000000000000000"},
      {123456789012345678.0, "123456789012346000"},
  };
  for (const Case& c : cases) {
    CalculatorState state;
    state.display = c.value;
    std::string text = tapeFileText(state);
    EXPECT_EQ(fileLines(text)[0], std::string("1,23,") + c.text + ",0") << c.value;
    CalculatorState back;
    parseTapeFileText(text, back);
    EXPECT_NEAR(back.display, c.value, std::fabs(c.value) * 1e-14) << c.value;
  }
}

TEST_F(TapeFileTest, StateSurvivesTheFile) {
  for (const char* keys : {"12+5=", "1/3=2*", "200+10%", "1.25\b", "5T3", "3*C", "0.125R",
                           "1+2+3+4+5+6+7+8+9+10+11+12+13="}) {
    CalculatorState state = after(keys);
    state.boxColumn = 42;
    ASSERT_TRUE(saveTapeFile(state)) << keys;
    CalculatorState back;
    ASSERT_TRUE(loadTapeFile(back)) << keys;
    expectSameState(state, back, keys);
  }
}

TEST_F(TapeFileTest, AnErrorComesBackClearedWithItsTapeLineMarked) {
  CalculatorState state = after("5/0=");
  std::vector<std::string> lines = fileLines(tapeFileText(state));
  EXPECT_EQ(lines[0], "1,20,0,0");
  EXPECT_EQ(lines[1], "-1,0,0,0");
  EXPECT_EQ(lines[24], "0,0,0,\"!\"");
  CalculatorState back;
  parseTapeFileText(tapeFileText(state), back);
  EXPECT_FALSE(displayHasError(back));
  EXPECT_FALSE(std::isfinite(back.tape[21].value));
  EXPECT_EQ(back.tape[21].op, ' ');
  EXPECT_EQ(back.tape[20].value, 0);
  EXPECT_EQ(back.tape[20].op, '=');
}

// Damaged files: what was read in step is kept, the rest keeps its initial value.
TEST_F(TapeFileTest, DamagedFilesGiveTheInitialStateForWhatIsMissing) {
  const std::string header = "30,20,17,12\r\n0,-1,-1,2\r\n\"+\",\"+\"\r\n";
  struct Case {
    const char* what;
    std::string text;
    int16_t boxColumn, firstTapeRow;
    double display, accumulator;
    int16_t cleared, decimals;
    std::string pending;
    double entry1;
    char entry1Op;
  } cases[] = {
      {"empty", "", 1, 23, 0, 0, -1, 0, "", 0, ' '},
      {"whole header", header, 30, 20, 17, 12, 0, 2, "+", 0, ' '},
      {"one entry", header + "4.5,0,0,\"*\"\r\n", 30, 20, 17, 12, 0, 2, "+", 4.5, '*'},
      {"cut after line 1", "30,20,17,12\r\n", 30, 20, 17, 12, -1, 0, "", 0, ' '},
      {"cut inside a line", "30,20,1", 30, 20, 1, 0, -1, 0, "", 0, ' '},
      {"no line ends", "30,20,17,12,0,-1,-1,2,\"+\",\"+\",4.5,0,0,\"*\"", 30, 20, 17, 12, 0, 2, "+",
       4.5, '*'},
      {"text for a number", "30,abc,17,12\r\n0,-1,-1,2\r\n", 30, 23, 0, 0, -1, 0, "", 0, ' '},
      {"quoted number", "\"30\",20,17,12\r\n", 1, 23, 0, 0, -1, 0, "", 0, ' '},
      {"inf and nan", "30,20,inf,nan\r\n", 30, 20, 0, 0, -1, 0, "", 0, ' '},
      {"hex", "30,20,0x10,1\r\n", 30, 20, 0, 0, -1, 0, "", 0, ' '},
      {"out of range", "0,1,17,12\r\n0,0,-1,99\r\n\"+\",\"?\"\r\n", 1, 23, 17, 12, 0, 0, "", 0,
       ' '},
      {"garbage entry", header + "x,y,z\r\n", 30, 20, 17, 12, 0, 2, "+", 0, ' '},
      {"blank lines", "\r\n30,20,17,12\r\n\r\n\n0,-1,-1,2\n", 30, 20, 17, 12, 0, 2, "", 0, ' '},
      {"binary", std::string("\x00\xff\x1a,\"\r\n,,,", 9), 1, 23, 0, 0, -1, 0, "", 0, ' '},
  };
  for (const Case& c : cases) {
    CalculatorState state;
    parseTapeFileText(c.text, state);
    EXPECT_EQ(state.boxColumn, c.boxColumn) << c.what;
    EXPECT_EQ(state.firstTapeRow, c.firstTapeRow) << c.what;
    EXPECT_EQ(state.display, c.display) << c.what;
    EXPECT_EQ(state.accumulator, c.accumulator) << c.what;
    EXPECT_EQ(state.cleared, c.cleared) << c.what;
    EXPECT_EQ(state.decimals, c.decimals) << c.what;
    EXPECT_EQ(state.pendingOperator, c.pending) << c.what;
    EXPECT_EQ(state.tape[0].value, c.entry1) << c.what;
    EXPECT_EQ(state.tape[0].op, c.entry1Op) << c.what;
    EXPECT_EQ(state.tape[1].value, 0) << c.what;
  }
}

TEST_F(TapeFileTest, LinesBeyondTheTwentySecondEntryAreIgnored) {
  CalculatorState state = after("1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20+21+22+23+");
  std::string text = tapeFileText(state) + "99,0,0,\"+\"\r\n98,0,0,\"+\"\r\n";
  CalculatorState back;
  parseTapeFileText(text, back);
  expectSameState(state, back, "extra lines");
  EXPECT_EQ(back.tape[0].value, 2);
  EXPECT_EQ(back.tape[21].value, 23);
}

TEST_F(TapeFileTest, MissingUnreadableAndUnwritableFiles) {
  // Missing: created empty, initial state.
  CalculatorState state = after("12+");
  ASSERT_TRUE(loadTapeFile(state));
  expectSameState(state, CalculatorState{}, "missing");
  EXPECT_TRUE(std::filesystem::exists(dir() + "ZUBCALC.TMP"));
  EXPECT_EQ(readFile("ZUBCALC.TMP"), "");

  // A directory in the file's place can be neither read nor written.
  std::filesystem::remove(dir() + "ZUBCALC.TMP");
  std::filesystem::create_directory(dir() + "ZUBCALC.TMP");
  state = after("12+");
  EXPECT_FALSE(loadTapeFile(state));
  expectSameState(state, CalculatorState{}, "unreadable");
  EXPECT_FALSE(saveTapeFile(after("1+")));

  // A terminal directory that does not exist.
  session().terminalDir = dir() + "nowhere/";
  EXPECT_FALSE(saveTapeFile(after("1+")));
  EXPECT_FALSE(loadTapeFile(state));
}

TEST_F(TapeFileTest, TheTerminalDirectoryIsWrittenTheSuitesWay) {
  std::filesystem::create_directory(dir() + "T01");
  session().terminalDir = dir() + "t01\\";
  ASSERT_TRUE(saveTapeFile(after("1+")));
  EXPECT_TRUE(std::filesystem::exists(dir() + "T01/ZUBCALC.TMP"));
}

}  // namespace
}  // namespace talmidor
