// Lookup windows on the real terminal: the buildings list with paging and the code typed back
// into the field, the units list limited to the building of the field beside it, and the
// remittances list of a remittance code field.

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

// The list lines of a lookup window: screen rows first..last, columns from..from+width-1.
std::vector<std::string> listLines(const ModuleRun& run, int first, int last, int from, int width) {
  std::vector<std::string> lines;
  std::vector<std::string> rows = run.screen();
  for (int r = first; r <= last; ++r) {
    std::string line = columnsOf(rows[static_cast<size_t>(r - 1)], from, width);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

int leadingCode(const std::string& line) {
  return std::stoi(line.substr(0, 3));
}

TEST(Lookups, BuildingsPageAndTypeTheCodeUnitsStayInTheirBuildingRemittancesList) {
  if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
  DemoInstallation installation;
  ASSERT_TRUE(installation.ok()) << installation.log();
  ModuleRun run(installation);
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitFor("CONCEPTES A EMETRE :")) << run.screenText();
  run.keys({"Down"});
  ASSERT_TRUE(run.waitForCursor({5, 33}));

  // Buildings (rows 8 to 22, columns 39 to 78), fifteen to a page in code order.
  run.keys({"F4"});
  ASSERT_TRUE(run.waitForRow(7, "╔══ Finques ═")) << run.screenText();
  const std::regex building("\\d{3}  C\\. .+, \\d+|\\d{3}  (Pg|Av|Pl|Rbla|Ctra|Rda)\\. .+, \\d+");
  ASSERT_TRUE(run.waitForRow(22, "015  "));
  std::vector<std::string> lines = listLines(run, 8, 22, 39, 40);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(leadingCode(lines[i]), static_cast<int>(i) + 1) << lines[i];
    EXPECT_TRUE(std::regex_match(lines[i], building)) << lines[i];
  }
  run.keys({"NPage"});
  ASSERT_TRUE(run.waitForRow(8, "016  ")) << run.screenText();
  EXPECT_EQ(leadingCode(listLines(run, 8, 22, 39, 40).back()), 30);
  run.keys({"Down", "Down", "Enter"});

  // Enter types the chosen code and moves on to the unit of that building.
  ASSERT_TRUE(run.waitForCursor({5, 60}));
  EXPECT_EQ(columnsOf(run.row(5), 33, 3), " 18");
  EXPECT_EQ(run.row(7), "") << "the window is closed and the screen beneath restored";

  // Units (rows 8 to 22, columns 29 to 78): only those of building 18, numbered from 1.
  run.keys({"F4"});
  ASSERT_TRUE(run.waitForRow(7, "╔══ Departaments de la finca inicial ═")) << run.screenText();
  ASSERT_TRUE(run.waitForRow(8, "001  "));
  const std::regex unit(
      "\\d{3}  (Local \\d+|Pis \\d+(r|n|t|è) \\d+a|Pàrquing \\d+) +(Local|Habitatge|Pàrquing)");
  std::vector<std::string> units;
  for (;;) {
    lines = listLines(run, 8, 22, 29, 50);
    size_t before = units.size();
    for (const std::string& line : lines) {
      if (!line.empty()) units.push_back(line);
    }
    if (units.size() - before < lines.size()) break;  // blank lines: the list has ended
    ASSERT_LT(units.size(), 2000u);
    std::string top = lines.front();
    run.keys({"NPage"});
    bool turned = run.waitUntil(
        [&](const std::vector<std::string>& rows) {
          return columnsOf(rows[7], 29, 50).rfind(top, 0) != 0;
        },
        std::chrono::milliseconds(3000));
    if (!turned) break;  // the last page was full
  }
  ASSERT_FALSE(units.empty());
  for (size_t i = 0; i < units.size(); ++i) {
    EXPECT_EQ(leadingCode(units[i]), static_cast<int>(i) + 1)
        << "a unit of another building: " << units[i];
    EXPECT_TRUE(std::regex_match(units[i], unit)) << units[i];
  }
  run.keys({"Enter"});
  ASSERT_TRUE(run.waitForCursor({6, 33}));

  // Remittances (rows 3 to 16, columns 13 to 70) from a remittance code field.
  run.keys({"Down", "Down", "Down", "Down"});
  ASSERT_TRUE(run.waitForCursor({11, 33}));
  run.keys({"F4"});
  ASSERT_TRUE(run.waitForRow(2, "╔══ Remeses ═")) << run.screenText();
  ASSERT_TRUE(run.waitForRow(14, "12  "));
  lines = listLines(run, 3, 16, 13, 58);
  const std::regex remittance("\\d\\d  \\d{20}  .+ - .+");
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(std::stoi(lines[i].substr(0, 2)), static_cast<int>(i) + 1) << lines[i];
    EXPECT_TRUE(std::regex_match(lines[i], remittance)) << lines[i];
  }
  EXPECT_EQ(lines[12], "");
  run.keys({"Down", "Enter"});
  ASSERT_TRUE(run.waitForCursor({11, 39}));
  EXPECT_EQ(columnsOf(run.row(11), 33, 2), " 2");

  run.keys({"Escape"});
  quitFromPageOne(run);
}

}  // namespace
}  // namespace talmidor
