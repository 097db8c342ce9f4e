// The whole road of a run on the real terminal: page 1 as drawn, moving and typing through the
// fields, a switch covering its codes, the confirmation, the hand-off file and the follow-on
// program, the form shown again with its values, and Esc ending the program.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "e2e/module_run.h"
#include "e2e/screen_picture.h"

namespace talmidor {
namespace {

using Position = ModuleRun::Position;

std::string repeated(const std::string& text, int times) {
  std::string line;
  for (int i = 0; i < times; ++i) line += text;
  return line;
}

std::string handOffFile(const std::vector<std::string>& values) {
  std::string bytes;
  for (const std::string& value : values) bytes += value + "\r\n";
  return bytes;
}

TEST(FormFlow, PageOneIsFilledAcceptedHandedOffAndShownAgain) {
  if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
  DemoInstallation installation;
  ASSERT_TRUE(installation.ok()) << installation.log();
  ModuleRun run(installation);
  // A shell stays in the pane after the program, to show how the program left the terminal.
  ASSERT_TRUE(run.startCommand(TmuxSession::shellQuote(talmidorProgram()) +
                               "; echo \"talmidor ended with status $?\"; read -r line; "
                               "echo \"read: $line\""));

  // Page 1 with the title, the headings, the defaults and the concept names of the data file;
  // field 1 is under edit, so it shows the work date as typed digits.
  const std::vector<std::string> pageOne = catalanPageOne("150326", 3).rows();
  ASSERT_TRUE(run.waitUntil([&](const std::vector<std::string>& rows) { return rows == pageOne; }))
      << "expected:\n"
      << numberedScreen(pageOne) << "shown:\n"
      << run.screenText();
  EXPECT_EQ(run.cursor(), (Position{3, 33}));

  // A new date sets the month field to its month.
  run.text("010426");
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForRow(8, "Mes dels rebuts ........... :  4")) << run.screenText();
  EXPECT_EQ(columnsOf(run.row(3), 33, 10), "1/4/2026  ");

  // Codes of the range: code fields start blank, and a blank entry keeps the value.
  ASSERT_TRUE(run.waitForCursor({5, 33}));
  run.text("2");
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForCursor({5, 60}));
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForCursor({6, 33}));
  run.text("35");
  run.keys({"Tab"});
  ASSERT_TRUE(run.waitForCursor({6, 60}));
  run.keys({"Up"});
  ASSERT_TRUE(run.waitForCursor({6, 33}));
  run.keys({"Down"});
  ASSERT_TRUE(run.waitForCursor({6, 60}));
  run.keys({"Down"});
  ASSERT_TRUE(run.waitForCursor({8, 33}));
  run.keys({"Down", "Down"});  // over the first switch to its first remittance code
  ASSERT_TRUE(run.waitForCursor({11, 33}));
  run.text("1");
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForCursor({11, 39}));
  run.text("12");
  run.keys({"Enter"});

  // The second switch set to "N" covers its two codes, and the cursor passes over them.
  ASSERT_TRUE(run.waitForRow(10, "Transferència ◄Sí►")) << run.screenText();
  run.text("N");
  ASSERT_TRUE(run.waitForRow(10, "Transferència ◄No►"));
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitUntil([](const std::vector<std::string>& rows) {
    return columnsOf(rows[10], 52, 8) == "--  a --" &&
           rows[9].find("Comptant      ◄Sí►") != std::string::npos;
  })) << run.screenText();
  EXPECT_EQ(columnsOf(run.row(10), 58, 3), "No ");
  run.keys({"Down"});
  ASSERT_TRUE(run.waitForCursor({11, 71})) << "field 14 follows field 13";

  // PgDn to the last concept, which is switched off; PgUp back to the first field.
  run.keys({"NPage"});
  ASSERT_TRUE(run.waitForRow(20, "14 - Altres..............◄Sí►"));
  run.text("n");
  ASSERT_TRUE(run.waitForRow(20, "14 - Altres..............◄No►"));
  run.keys({"PPage"});
  ASSERT_TRUE(run.waitForCursor({3, 33}));
  EXPECT_EQ(columnsOf(run.row(20), 69, 3), "No ");

  // F10 accepts the page: the confirmation window opens with "No" as its answer.
  run.keys({"F10"});
  ASSERT_TRUE(run.waitFor("Són correctes totes les dades ? ◄No►")) << run.screenText();
  EXPECT_EQ(columnsOf(run.row(10), 14, 53), "╔" + repeated("═", 51) + "╗");
  run.text("S");
  ASSERT_TRUE(run.waitFor("Són correctes totes les dades ? ◄Sí►"));
  run.keys({"Enter"});

  // The follow-on program shows the values the hand-off file holds, one per line.
  ASSERT_TRUE(run.waitFor("Premeu Retorn per tornar a TALMIDOR.")) << run.screenText();
  std::vector<std::string> values = {"010426    ", "2  ", "0  ", "35 ", "999", "4 ", "S", "1 ",
                                     "12",         "N",   "  ",  "99",  "S",   "  ", "99"};
  for (int code = 1; code <= 13; ++code) values.push_back("S");
  values.push_back("N");  // concept 14
  values.push_back("S");  // the confirmation
  EXPECT_EQ(installation.readFile("T01/pent.tmp"), handOffFile(values));
  auto twoValues = [](const std::string& left, const std::string& right) {
    return left + std::string(40 - left.size(), ' ') + right;
  };
  EXPECT_EQ(run.row(3), twoValues(" 1 [010426    ]", "16 [S]"));
  EXPECT_EQ(run.row(17), twoValues("15 [99]", "30 [S]"));

  // Back on page 1 with the values kept.
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForCursor({3, 33}));
  ASSERT_TRUE(run.waitFor("CONCEPTES A EMETRE :")) << run.screenText();
  EXPECT_EQ(columnsOf(run.row(3), 33, 10), "010426    ");
  EXPECT_EQ(columnsOf(run.row(5), 33, 3), "  2");
  EXPECT_EQ(columnsOf(run.row(6), 33, 3), " 35");
  EXPECT_EQ(columnsOf(run.row(8), 33, 2), " 4");
  EXPECT_EQ(columnsOf(run.row(10), 58, 3), "No ");
  EXPECT_EQ(columnsOf(run.row(11), 52, 8), "--  a --");
  EXPECT_EQ(columnsOf(run.row(20), 69, 3), "No ");

  std::string log = installation.readFile("T01/TALMIDO1.log");
  EXPECT_TRUE(std::regex_match(
      log, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d TALMIDO1 30 valors: "
                      "010426\\|2\\|0\\|35\\|999\\|4\\|S\\|1\\|12\\|N\\|\\|99\\|S\\|\\|99"
                      "(\\|S){13}\\|N\\|S\n")))
      << log;

  // Esc on the first field ends the program, and the terminal is given back as it was: main
  // screen, cursor shown, no mouse reporting, and lines typed, echoed and ended by Enter.
  run.keys({"Escape"});
  ASSERT_TRUE(run.waitFor("talmidor ended with status 0")) << run.screenText();
  EXPECT_EQ(run.paneFormat("#{alternate_on} #{cursor_flag} #{mouse_any_flag}"), "0 1 0");
  run.text("ok");
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitFor("read: ok")) << run.screenText();
  EXPECT_TRUE(run.waitUntil([](const std::vector<std::string>& rows) {
    for (const std::string& row : rows) {
      if (row == "ok") return true;
    }
    return false;
  })) << "the typed line is echoed\n"
      << run.screenText();
  ASSERT_TRUE(run.waitForExit());
}

}  // namespace
}  // namespace talmidor
