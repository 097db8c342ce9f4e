#include "console/help.h"

#include <filesystem>

#include "console/console_fixture.h"
#include "platform/cp850.h"

namespace talmidor {
namespace {

namespace fs = std::filesystem;

class HelpTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    platform().console = &probe;
    probe.watchScreen = true;
  }
  // A help file of fixed 80-byte records.
  void writeHelp(const std::string& topic, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += fitText(line, 80);
    writeFile("AJUDA/" + topic + ".HLP", bytes);
  }
  static std::vector<std::string> numberedLines(int count, const std::string& prefix = "line ") {
    std::vector<std::string> lines;
    for (int i = 1; i <= count; ++i) lines.push_back(prefix + std::to_string(i));
    return lines;
  }
  // The first and last help lines shown in the window of a screen, as "line a..line b".
  static std::string visible(const std::vector<std::string>& screen) {
    std::string first, last;
    for (int row = 5; row <= 21; ++row) {
      std::string text = screen[static_cast<size_t>(row - 1)].substr(2, 20);
      text.erase(text.find_last_not_of(' ') + 1);
      if (text.empty()) continue;
      if (first.empty()) first = text;
      last = text;
    }
    return first + ".." + last;
  }
  static std::string range(int first, int last) {
    return "line " + std::to_string(first) + "..line " + std::to_string(last);
  }
  static std::string frameRow(std::string_view sides, const std::string& inside) {
    return std::string(1, sides[0]) + fitText(inside, 78) + sides[1];
  }

  ProbeConsole probe;
};

TEST_F(HelpTest, ShortTextFillsTheWindowAndNoKeyMovesIt) {
  probe.writeText("under the window");
  probe.moveCursor(23, 5);
  probe.writeText("also under");
  writeHelp("TOPIC", numberedLines(5));
  for (int16_t key : {kDown, kPgDn, kEnd, kUp, kPgUp, kHome, kF2}) probe.pushKey(key);
  showHelp("TOPIC");

  ASSERT_EQ(probe.screens.size(), 8u);
  const std::vector<std::string>& first = probe.screens[0];
  EXPECT_EQ(first[0], "under the window");
  EXPECT_EQ(first[3], frameRow("╔╗"_cp, std::string(78, '\xCD')));
  EXPECT_EQ(first[4], frameRow("║║"_cp, " line 1"));
  EXPECT_EQ(first[8], frameRow("║║"_cp, " line 5"));
  EXPECT_EQ(first[9], frameRow("║║"_cp, ""));
  EXPECT_EQ(first[20], frameRow("║║"_cp, ""));
  EXPECT_EQ(first[21], frameRow("╚╝"_cp, std::string(78, '\xCD')));
  for (const auto& screen : probe.screens) EXPECT_EQ(screen, first);
  // Esc (the end of the script) closed the window and the screen under it came back.
  EXPECT_EQ(probe.line(1), "under the window");
  EXPECT_EQ(probe.line(5), "");
  EXPECT_EQ(probe.line(23), "    also under");
  EXPECT_EQ(windowFrame().depth, 0);
  EXPECT_TRUE(colourState().classStack.empty());
  EXPECT_FALSE(fs::exists(dir() + "WinPush.tmp"));
}

TEST_F(HelpTest, PagingThroughALongText) {
  writeHelp("TOPIC", numberedLines(40));
  struct Step {
    int16_t key;
    int first, last;
  } steps[] = {
      {kEnd, 24, 40},  {kPgUp, 8, 24},  {kHome, 1, 17}, {kPgDn, 18, 34}, {kPgDn, 24, 40},
      {kPgDn, 24, 40}, {kDown, 24, 40}, {kUp, 23, 39},  {kUp, 22, 38},   {kDown, 23, 39},
      {kHome, 1, 17},  {kUp, 1, 17},    {kPgUp, 1, 17}, {kDown, 2, 18},  {kPgUp, 1, 17},
  };
  for (const Step& s : steps) probe.pushKey(s.key);
  showHelp("TOPIC");
  ASSERT_EQ(probe.screens.size(), std::size(steps) + 1);
  EXPECT_EQ(visible(probe.screens[0]), range(1, 17));
  for (size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_EQ(visible(probe.screens[i + 1]), range(steps[i].first, steps[i].last))
        << "step " << i << " key " << std::hex << steps[i].key;
  }
}

TEST_F(HelpTest, PartialLastRecordCountsWhenAtLeastHalfThere) {
  std::string bytes;
  for (int i = 1; i <= 17; ++i) bytes += fitText("line " + std::to_string(i), 80);
  struct Case {
    size_t tail;
    int lastAfterDown;
  } cases[] = {{40, 18}, {39, 17}, {0, 17}};
  for (const Case& c : cases) {
    writeFile("AJUDA/PART.HLP", bytes + fitText("line 18", c.tail));
    probe.screens.clear();
    probe.pushKey(kDown);
    showHelp("PART");
    EXPECT_EQ(visible(probe.screens[1]), range(c.lastAfterDown - 16, c.lastAfterDown)) << c.tail;
  }
}

TEST_F(HelpTest, EmphasisCodesSwitchColourClassesAndTakeNoColumn) {
  session().colourPairs[0][0] = 15;  // h
  session().colourPairs[1][0] = 7;   // n
  session().colourPairs[2][0] = 1;   // r
  session().colourPairs[2][1] = 7;
  session().colourPairs[4][0] = 4;  // u
  session().colourPairs[4][1] = 7;
  writeHelp("TOPIC", {"A\x1E"
                      "BC\x1E"
                      "D",
                      "a\x1F"
                      "b\x1E"
                      "c\x1E"
                      "d\x1F"
                      "e\x10"
                      "f\x10"
                      "g",
                      std::string(80, 'w')});
  showHelp("TOPIC");
  ASSERT_EQ(probe.screens.size(), 1u);
  const std::vector<std::string>& text = probe.screens[0];
  const std::vector<std::string>& colour = probe.colours[0];
  EXPECT_EQ(text[4], frameRow("║║"_cp, " ABCD"));
  EXPECT_EQ(colour[4].substr(4, 10), "070F0F0707");
  // Marked b, c, d (a highlight inside a marked passage changes nothing), reversed f.
  EXPECT_EQ(text[5], frameRow("║║"_cp, " abcdefg"));
  EXPECT_EQ(colour[5].substr(4, 14), "07747474077107");
  // At most 76 characters of a line.
  EXPECT_EQ(text[6], frameRow("║║"_cp, " " + std::string(76, 'w')));
}

TEST_F(HelpTest, F1OpensTheGeneralTopicOnTopAndEscReturnsToThePlace) {
  writeHelp("TOPIC", numberedLines(40));
  writeHelp("PORVAXEN", numberedLines(3, "general "));
  probe.pushKey(kPgDn);
  probe.pushKey(kF1);
  probe.pushKey(kF1);  // inside the general topic: ignored
  probe.pushKey(kEsc);
  probe.pushKey(kEnd);
  showHelp("TOPIC");
  ASSERT_EQ(probe.screens.size(), 6u);
  EXPECT_EQ(visible(probe.screens[1]), range(18, 34));
  EXPECT_EQ(probe.screens[2][4], frameRow("║║"_cp, " general 1"));
  EXPECT_EQ(probe.screens[3], probe.screens[2]);
  EXPECT_EQ(probe.screens[4], probe.screens[1]);
  EXPECT_EQ(visible(probe.screens[5]), range(24, 40));
  EXPECT_EQ(windowFrame().depth, 0);
}

TEST_F(HelpTest, MissingFileIsCreatedEmptyOnlyInTheHelpDirectory) {
  // No AJUDA directory: an empty window, and nothing is created.
  showHelp("NOTHERE");
  EXPECT_EQ(probe.screens[0][4], frameRow("║║"_cp, ""));
  EXPECT_FALSE(fs::exists(dir() + "AJUDA"));

  // The directory is found whatever its letter case, and the file is made there.
  fs::create_directories(dir() + "ajuda");
  showHelp("NEW");
  EXPECT_TRUE(fs::exists(dir() + "ajuda/NEW.HLP"));
  EXPECT_EQ(fs::file_size(dir() + "ajuda/NEW.HLP"), 0u);
}

TEST_F(HelpTest, TopicsThatLeadOutOfTheHelpDirectoryShowAnEmptyWindow) {
  writeFile("SECRET.HLP", fitText("secret", 80));
  writeFile("AJUDA/SUB/X.HLP", fitText("nested", 80));
  fs::create_directories(dir() + "AJUDA");
  for (const char* topic : {"..\\SECRET", "../SECRET", "SUB\\X", "SUB/X", "..", "C:X", "A\nB"}) {
    probe.screens.clear();
    showHelp(topic);
    ASSERT_EQ(probe.screens.size(), 1u) << topic;
    EXPECT_EQ(probe.screens[0][4], frameRow("║║"_cp, "")) << topic;
  }
  // Nothing was created anywhere.
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 2u);
}

TEST_F(HelpTest, WindowsModeHandsTheTopicAsOneArgument) {
  session().runMode = "WIN";
  system.env["COMSPEC"] = "C:\\WINDOWS\\SYSTEM32\\CMD.EXE";
  std::string topic = "A&B|C;\"D\" E";
  showHelp(topic);
  ASSERT_EQ(system.commandsRun.size(), 1u);
  EXPECT_EQ(system.commandsRun[0],
            (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32\\CMD.EXE", "/C", "KIVOPEN",
                                      "AJUDA\\A&B|C;\"D\" E.HTM"}));
  EXPECT_TRUE(probe.screens.empty());  // no window, no key read
  EXPECT_EQ(probe.line(4), "");

  // A topic leading out of the help directory, or no interpreter: nothing is run.
  showHelp("..\\X");
  system.env.erase("COMSPEC");
  showHelp("TOPIC");
  EXPECT_EQ(system.commandsRun.size(), 1u);
}

class MessageBoxTest : public ConsoleTest {};

TEST_F(MessageBoxTest, OneLineIsCentredInASingleFrame) {
  session().colourPairs[2][0] = 0;
  session().colourPairs[2][1] = 7;
  setColourClass("n");
  console.moveCursor(12, 30);
  console.writeText("under");
  std::string message(36, 'm');
  showMessageBox(12, message);
  EXPECT_EQ(console.line(8), "");
  std::string indent(20, ' ');
  EXPECT_EQ(console.line(9), indent + "\xDA" + std::string(38, '\xC4') + "\xBF");
  EXPECT_EQ(console.line(10), indent + "\xB3 " + message + " \xB3");
  EXPECT_EQ(console.line(11), indent + "\xC0" + std::string(38, '\xC4') + "\xD9");
  std::string reverse;
  for (int i = 0; i < 40; ++i) reverse += "70";
  EXPECT_EQ(console.attributes(10).substr(38, 82), "07" + reverse);
  // The box stays open as the innermost window, and the colour class is back.
  EXPECT_EQ(windowFrame().depth, 1);
  EXPECT_EQ(windowFirstRow(), 10);
  EXPECT_EQ(windowFirstColumn(), 22);
  EXPECT_EQ(colourState().currentClass, 1);
  popScreen();
  EXPECT_EQ(console.line(10), "");
  EXPECT_EQ(console.line(12), std::string(29, ' ') + "under");
}

TEST_F(MessageBoxTest, BoxHeightAndPlace) {
  auto words = [](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "word ";
    return text;
  };
  struct Case {
    const char* name;
    int16_t row;
    std::string text;
    int16_t top, bottom, left, right;
  } cases[] = {
      {"two lines near the bottom", 24, words(20), 21, 24, 2, 79},
      {"one line at the top", 1, "hello", 1, 3, 36, 44},
      {"empty message: one blank line", 12, "", 9, 11, 39, 42},
      {"too many lines: those that fit", 12, words(400), 1, 25, 2, 79},
  };
  for (const Case& c : cases) {
    console.clear();
    showMessageBox(c.row, c.text);
    EXPECT_EQ(windowFrame().depth, 1) << c.name;
    EXPECT_EQ(windowFrame().top, c.top) << c.name;
    EXPECT_EQ(windowFrame().bottom, c.bottom) << c.name;
    EXPECT_EQ(windowFrame().left, c.left) << c.name;
    EXPECT_EQ(windowFrame().right, c.right) << c.name;
    popScreen();
    EXPECT_EQ(windowFrame().depth, 0) << c.name;
  }
}

}  // namespace
}  // namespace talmidor
