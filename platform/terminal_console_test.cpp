// The terminal console on a real terminal: the test program terminal_echo runs inside a
// private tmux server, which types keys into it and reads its screen back.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/test_environment.h"
#include "testing/tmux_session.h"

namespace talmidor {
namespace {

using std::chrono::milliseconds;

const std::string kFrameTop = "╔" + [] {
  std::string line;
  for (int i = 0; i < 41; ++i) line += "═";
  return line;
}() + "╗";
const std::string kFrameText = "║ Núm. d'edifici: çàèéíòóú ÇÀÈÉÑ ñ ·  ► ◄ ║";

class TerminalEcho : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
    program_ = buildDirectory() + "/terminal_echo";
    ASSERT_TRUE(std::filesystem::exists(program_)) << program_;
  }

  // Starts terminal_echo and waits for its first screen.
  void start(TmuxSession::Options options = {}) {
    ASSERT_TRUE(session_.start("exec " + TmuxSession::shellQuote(program_), options));
    ASSERT_TRUE(session_.waitFor("colours=")) << session_.capture();
  }

  // Sends the keys and waits until the echo line numbered `number` appears.
  void expectEcho(const std::vector<std::string>& keys, const std::string& text, int number,
                  const std::string& echo) {
    if (!keys.empty()) session_.sendKeys(keys);
    if (!text.empty()) session_.sendText(text);
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%03d ", number);
    EXPECT_TRUE(session_.waitFor(prefix + echo, milliseconds(8000)))
        << "sent " << (keys.empty() ? text : keys[0]) << "\n"
        << session_.capture();
  }

  bool frameShown() {
    std::string screen = session_.capture();
    return screen.find(kFrameTop) != std::string::npos &&
           screen.find(kFrameText) != std::string::npos;
  }

  std::string program_;
  TmuxSession session_;
};

struct Terminal {
  const char* term;
  // The locale the program starts in: a missing UTF-8 locale must be made up for.
  const char* locale;
  int colours;
};

void PrintTo(const Terminal& terminal, std::ostream* out) {
  *out << "TERM=" << terminal.term << " LC_ALL=" << terminal.locale;
}

class TerminalEchoOnTerm : public TerminalEcho, public ::testing::WithParamInterface<Terminal> {};

TEST_P(TerminalEchoOnTerm, ShowsCodePage850GlyphsAndPcColours) {
  TmuxSession::Options options;
  options.term = GetParam().term;
  options.environment = {std::string("LC_ALL=") + GetParam().locale};
  start(options);
  std::vector<std::string> lines = session_.captureLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], kFrameTop);
  EXPECT_EQ(lines[1], kFrameText);
  EXPECT_NE(lines[4].find("colours=" + std::to_string(GetParam().colours)), std::string::npos)
      << lines[4];

  // PC colour 1 is blue and 4 red; bright colours are the bright set on a 16-colour
  // terminal and bold on an 8-colour one.
  std::string colours = session_.captureLines(true)[3];
  EXPECT_NE(colours.find("\x1b[34mblue"), std::string::npos) << colours;
  EXPECT_NE(colours.find("\x1b[31mred"), std::string::npos) << colours;
  if (GetParam().colours >= 16) {
    EXPECT_NE(colours.find("\x1b[93myellow"), std::string::npos) << colours;
    EXPECT_NE(colours.find("\x1b[97m\x1b[44mwhite-on-blue"), std::string::npos) << colours;
  } else {
    EXPECT_NE(colours.find("\x1b[1m\x1b[33myellow"), std::string::npos) << colours;
    EXPECT_NE(colours.find("\x1b[1m\x1b[44mwhite-on-blue"), std::string::npos) << colours;
  }
}

TEST_P(TerminalEchoOnTerm, DecodesTheKeysTmuxSends) {
  TmuxSession::Options options;
  options.term = GetParam().term;
  options.environment = {std::string("LC_ALL=") + GetParam().locale};
  start(options);
  struct Case {
    std::vector<std::string> keys;
    std::string text;
    std::string echo;
  };
  const Case cases[] = {
      {{"F5"}, "", "key=3F00 mod=00"},     {{"S-F5"}, "", "key=3F00 mod=10"},
      {{"C-Left"}, "", "key=4B00 mod=08"}, {{"M-x"}, "", "key=2D00 mod=02"},
      {{"BTab"}, "", "key=0F00 mod=10"},   {{"IC"}, "", "key=5200 mod=00"},
      {{"Escape"}, "", "key=001B mod=00"}, {{}, "ç", "key=0087 mod=00 ç"},
      {{}, "à", "key=0085 mod=00 à"},      {{}, "Ñ", "key=00A5 mod=00 Ñ"},
      {{"F1"}, "", "key=3B00 mod=00"},     {{"C-F12"}, "", "key=8600 mod=08"},
      {{"M-F1"}, "", "key=3B00 mod=02"},   {{"C-Home"}, "", "key=4700 mod=08"},
      {{"End"}, "", "key=4F00 mod=00"},    {{"PPage"}, "", "key=4900 mod=00"},
      {{"DC"}, "", "key=5300 mod=00"},     {{"BSpace"}, "", "key=0008 mod=00"},
      {{"Enter"}, "", "key=000D mod=00"},  {{"C-v"}, "", "key=0016 mod=08"},
  };
  int number = 0;
  for (const auto& c : cases) expectEcho(c.keys, c.text, ++number, c.echo);
  // Nothing else was decoded on the way.
  EXPECT_EQ(session_.capture().find(std::to_string(1000 + number + 1).substr(1) + " key"),
            std::string::npos);

  session_.sendKeys({"C-q"});
  ASSERT_TRUE(session_.waitForExit());
  EXPECT_EQ(session_.exitCode(), 0);
  EXPECT_EQ(session_.format("#{alternate_on} #{mouse_any_flag}"), "0 0");
}

INSTANTIATE_TEST_SUITE_P(Terms, TerminalEchoOnTerm,
                         ::testing::Values(Terminal{"screen", "C", 8},
                                           Terminal{"tmux-256color", "C.UTF-8", 16}),
                         [](const auto& info) {
                           return std::string(info.param.colours >= 16 ? "Tmux256" : "Screen");
                         });

TEST_F(TerminalEcho, ReportsMouseButtonReleasesWithTheirPosition) {
  start();
  // The program asked for button reports in the SGR form, which tmux honours.
  EXPECT_EQ(session_.format("#{mouse_any_flag} #{mouse_sgr_flag}"), "1 1");
  // A click as the terminal reports it: press and release at column 10, row 5, then the
  // right button at the bottom-right corner.
  expectEcho({}, "\x1b[<0;10;5M\x1b[<0;10;5m", 1, "release=1 row=5 col=10");
  expectEcho({}, "\x1b[<2;80;25M\x1b[<2;80;25m", 2, "release=2 row=25 col=80");
}

TEST_F(TerminalEcho, RepaintsAfterResizesAndAfterAProgramSharingTheTerminal) {
  start();
  session_.resize(100, 30);
  expectEcho({"F5"}, "", 1, "key=3F00 mod=00");
  EXPECT_TRUE(frameShown()) << session_.capture();

  // Smaller than the form for a while: nothing breaks, and all of it comes back.
  session_.resize(60, 20);
  expectEcho({"F6"}, "", 2, "key=4000 mod=00");
  session_.resize(80, 25);
  EXPECT_TRUE(session_.waitUntil([&](const std::string&) { return frameShown(); }))
      << session_.capture();

  // Ctrl+R runs a command on the released terminal; the screen is painted again after it.
  session_.sendKeys({"C-r"});
  EXPECT_TRUE(session_.waitFor("child ran")) << session_.capture();
  EXPECT_TRUE(session_.waitUntil([&](const std::string& screen) {
    return screen.find("child ran") == std::string::npos && frameShown();
  })) << session_.capture();
  expectEcho({"F7"}, "", 4, "key=4100 mod=00");
  EXPECT_EQ(session_.format("#{alternate_on}"), "1");
}

TEST_F(TerminalEcho, CopiesToTheTerminalClipboardAndKeepsItsOwn) {
  TmuxSession::Options options;
  // No desktop clipboard tools: the console keeps the text itself.
  options.environment = {"DISPLAY=", "WAYLAND_DISPLAY="};
  start(options);
  // tmux takes a clipboard text sent with OSC 52 into a paste buffer.
  ASSERT_EQ(session_.command({"set-option", "-g", "set-clipboard", "on"}), 0);
  expectEcho({"C-k"}, "", 1, "key=000B mod=08");
  EXPECT_TRUE(session_.waitFor("clipboard=Núm. d'edifici: çàèéíòóú")) << session_.capture();
  std::string buffer;
  EXPECT_TRUE(session_.waitUntil([&](const std::string&) {
    session_.command({"show-buffer"}, &buffer);
    return buffer == "Núm. d'edifici: çàèéíòóú";
  })) << buffer;
  expectEcho({"C-p"}, "", 2, "key=0010 mod=08");
  EXPECT_TRUE(session_.waitUntil([](const std::string& screen) {
    size_t first = screen.find("clipboard=Núm.");
    return first != std::string::npos &&
           screen.find("clipboard=Núm.", first + 1) != std::string::npos;
  })) << session_.capture();
}

TEST_F(TerminalEcho, WaitsForKeysWithoutKeepingTheProcessorBusy) {
  start();
  auto cpuTicks = [&] {
    std::ifstream stat("/proc/" + std::to_string(session_.programPid()) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // utime and stime are the 14th and 15th fields, counted after the command's name.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i >= 14) ticks += std::stol(field);
    }
    return ticks;
  };
  long before = cpuTicks();
  std::this_thread::sleep_for(milliseconds(1000));
  // Idle for a second: a loop polling without waiting would use most of it (up to 100 ticks).
  EXPECT_LT(cpuTicks() - before, 10);
}

TEST_F(TerminalEcho, GivesTheTerminalBackWhenEndedBySignals) {
  for (const char* signal : {"TERM", "HUP", "INT", "SEGV", "ABRT"}) {
    TmuxSession session;
    ASSERT_TRUE(session.start("exec " + TmuxSession::shellQuote(program_)));
    ASSERT_TRUE(session.waitFor("colours=")) << signal;
    ASSERT_EQ(session.format("#{alternate_on} #{mouse_any_flag}"), "1 1") << signal;
    ASSERT_TRUE(session.signalProgram(signal)) << signal;
    ASSERT_TRUE(session.waitForExit()) << signal;
    EXPECT_EQ(session.format("#{alternate_on} #{mouse_any_flag}"), "0 0") << signal;
    EXPECT_NE(session.exitCode(), 0) << signal;
  }
}

TEST_F(TerminalEcho, GivesTheTerminalBackWhenEndedThroughExit) {
  start();
  session_.sendKeys({"C-e"});
  ASSERT_TRUE(session_.waitForExit());
  EXPECT_EQ(session_.exitCode(), 3);
  EXPECT_EQ(session_.format("#{alternate_on} #{mouse_any_flag}"), "0 0");
}

TEST_F(TerminalEcho, RefusesATerminalSmallerThan80By25) {
  for (auto [columns, rows] : {std::pair{79, 25}, std::pair{80, 24}}) {
    TmuxSession session;
    TmuxSession::Options options;
    options.columns = columns;
    options.rows = rows;
    ASSERT_TRUE(session.start("exec " + TmuxSession::shellQuote(program_), options));
    ASSERT_TRUE(session.waitForExit());
    EXPECT_EQ(session.exitCode(), 1);
    EXPECT_TRUE(session.waitFor("Terminal too small: " + std::to_string(columns) + " x " +
                                std::to_string(rows)))
        << session.capture();
  }
}

}  // namespace
}  // namespace talmidor
