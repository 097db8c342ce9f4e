// The operator's tools on the real terminal: Alt+C types a date from the calendar, Alt+X types
// a calculator result, and F1 shows the option's help, the general help on top of it, and Esc
// puts the form back as it was.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "e2e/installation.h"
#include "e2e/module_run.h"
#include "e2e/screen_picture.h"

namespace talmidor {
namespace {

using Position = ModuleRun::Position;

// The lines of a help source of the demo as the viewer shows them: emphasis marks take no
// column.
std::vector<std::string> helpLines(const std::string& topic) {
  std::ifstream in(sourceTree() + "/demo/help/" + topic + ".txt");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    for (const char* mark : {"{h}", "{u}", "{r}"}) {
      for (size_t at; (at = line.find(mark)) != std::string::npos;) line.erase(at, 3);
    }
    lines.push_back(line);
  }
  return lines;
}

// Whether the help window (rows 5 to 21, text from column 3) shows the lines from first on.
bool showsHelpFrom(const std::vector<std::string>& rows, const std::vector<std::string>& lines,
                   size_t first) {
  for (size_t k = 0; k < 17; ++k) {
    const std::string& row = rows[4 + k];
    std::string text = first - 1 + k < lines.size() ? lines[first - 1 + k] : "";
    if (row.rfind("║", 0) != 0 || columnsOf(row, 3, 76) != columnsOf(text, 1, 76)) return false;
  }
  return true;
}

TEST(Tools, CalendarAndCalculatorTypeIntoFieldsAndHelpComesAndGoes) {
  if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
  DemoInstallation installation;
  ASSERT_TRUE(installation.ok()) << installation.log();
  ModuleRun run(installation);
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitFor("CONCEPTES A EMETRE :")) << run.screenText();
  ASSERT_TRUE(run.waitForCursor({3, 33}));

  // Alt+C: the quarter of the work date; PgDn to the next quarter, F types the date.
  run.keys({"M-c"});
  ASSERT_TRUE(run.waitFor("DL DT DC DJ DV DS DG")) << run.screenText();
  ASSERT_TRUE(run.waitFor("MARÇ"));
  EXPECT_NE(run.row(1).find(" 2026 "), std::string::npos) << run.row(1);
  run.keys({"NPage"});
  ASSERT_TRUE(run.waitFor("JUNY")) << run.screenText();
  run.text("F");
  ASSERT_TRUE(run.waitForRow(3, "Data de treball ........... : 15/6/2026")) << run.screenText();
  EXPECT_EQ(run.row(2), "") << "the calendar is closed";
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForRow(8, "Mes dels rebuts ........... :  6")) << run.screenText();
  ASSERT_TRUE(run.waitForCursor({5, 33}));

  // Alt+X: 1.25 * 4 = 5 (the tape shows the installation's decimal comma), F types 500, the
  // value in hundredths.
  run.keys({"M-x"});
  ASSERT_TRUE(run.waitForRow(25, "└────")) << run.screenText();
  run.text("1.25*4=");
  ASSERT_TRUE(run.waitFor("1,25 *")) << run.screenText();
  ASSERT_TRUE(run.waitForRow(24, "5  │")) << run.screenText();
  run.text("F");
  ASSERT_TRUE(run.waitUntil([](const std::vector<std::string>& rows) {
    return rows[24].empty() && columnsOf(rows[4], 33, 3) == "500";
  })) << run.screenText();
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForCursor({5, 60}));
  EXPECT_EQ(columnsOf(run.row(5), 33, 3), "500");

  // F1: the option's help; PgDn a page on; F1 the general help on top; Esc back to the same
  // place; Esc back to the form exactly as it was.
  const std::vector<std::string> form = run.screen();
  const std::vector<std::string> help = helpLines("EMIREBUT");
  const std::vector<std::string> general = helpLines("PORVAXEN");
  ASSERT_GT(help.size(), 34u) << "the help is longer than two screens";
  run.keys({"F1"});
  ASSERT_TRUE(run.waitUntil([&](const auto& rows) { return showsHelpFrom(rows, help, 1); }))
      << run.screenText();
  run.keys({"NPage"});
  ASSERT_TRUE(run.waitUntil([&](const auto& rows) { return showsHelpFrom(rows, help, 18); }))
      << run.screenText();
  run.keys({"F1"});
  ASSERT_TRUE(run.waitUntil([&](const auto& rows) { return showsHelpFrom(rows, general, 1); }))
      << run.screenText();
  run.keys({"Escape"});
  ASSERT_TRUE(run.waitUntil([&](const auto& rows) { return showsHelpFrom(rows, help, 18); }))
      << run.screenText();
  run.keys({"Escape"});
  ASSERT_TRUE(run.waitUntil([&](const auto& rows) { return rows == form; }))
      << "expected:\n"
      << numberedScreen(form) << "shown:\n"
      << run.screenText();

  run.keys({"Escape"});
  quitFromPageOne(run);
}

}  // namespace
}  // namespace talmidor
