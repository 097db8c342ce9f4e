#include "form/lookup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "config/packed.h"
#include "form/form_fixture.h"
#include "form/runtime.h"
#include "keyed/records.h"
#include "platform/cp850.h"

namespace talmidor {
namespace {

constexpr int16_t kUnitsFile = 507;
constexpr int kTop = 5;  // every window's frame row; list line r is screen row kTop + r

std::string unitName(int unit) {
  return fitText("Unitat " + std::to_string(unit), 30);
}

// The units file: units 1..3 of building 11, 1..25 of building 12 and 1..5 of building 13.
std::vector<std::string> unitRecords() {
  std::vector<std::string> records;
  auto add = [&](int building, int unit) {
    char code[9];
    std::snprintf(code, sizeof code, "%04d%04d", building, unit);
    records.push_back(packDigits(code) + "    " + unitName(unit) + "Escala A  ");
  };
  for (int u = 1; u <= 3; ++u) add(11, u);
  for (int u = 25; u >= 1; --u) add(12, u);  // inserted out of order: the key orders them
  for (int u = 1; u <= 5; ++u) add(13, u);
  return records;
}

std::string trimmed(const std::string& text) {
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

std::string unitLine(int unit) {
  char code[4];
  std::snprintf(code, sizeof code, "%03d", unit);
  return std::string(code) + "  " + unitName(unit) + "  Escala A";
}

class LookupTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    platform().console = &screen;
    makeDataFile(dir() + "DADES/DepartaV.dat", 448, 4, unitRecords());
    int16_t status = 0;
    openKeyedFile(kUnitsFile, dir() + "DADES\\DepartaV", units, status);
    ASSERT_EQ(status, 0);

    std::vector<PageSpec> pages = modulePages();
    pages[0].keys += ",3e00";
    pages[0].fields[1].lookupNo = 6;  // field 2
    std::vector<LookupSpec> lookups = {
        {0, 0, kTop, 10, 16, 61, 0, "Finques", 0},
        {kUnitsFile, 0, kTop, 10, 16, 61, 0, "AB CD", 0},  // D = 10, H = 50
        {kUnitsFile, 0, kTop, 10, 16, 31, 0, "__ABC", 0},  // H = 20
        {0, 0, kTop, 10, 16, 61, 2, "Filtre", 0},          // filter page: the confirmation
        {0, 0, kTop, 10, 16, 61, 0, "Sense fitxer", 0},
        {0, 0, kTop, 10, 16, 61, 0, "Exterior", 2},  // F4 opens lookup 2
    };
    useForm(pages, lookups);
    storeFieldValue(field(1, 2), "12");
    storeFieldValue(field(1, 4), "12");

    screen.onKey = [this] {
      KeySeen seen;
      seen.browseEntries = browseEntries();
      for (int r = 1; r <= 10; ++r) {
        if (screen.attributes(static_cast<int16_t>(kTop + r)).substr(20, 2) == "70") {
          seen.highlighted = r;
        }
        seen.lines.push_back(listLine(r));
      }
      seen.title = screen.line(kTop);
      seen.title = seen.title.substr(std::min<size_t>(9, seen.title.size()));
      keysSeen.push_back(seen);
    };
  }

  // Whatever the window makes of its list, every key is preceded by enough empty polls for
  // the lines it produces (each production looks for a waiting Esc once).
  void press(std::initializer_list<int16_t> codes) {
    for (int16_t code : codes) {
      for (int i = 0; i < 12; ++i) screen.pushNothing();
      screen.pushKey(code);
    }
  }
  void pressRepeated(int16_t code, int times) {
    for (int i = 0; i < times; ++i) press({code});
  }

  int16_t open(int16_t lookupNo) {
    int16_t result = 99;
    openLookup(lookupNo, result);
    return result;
  }

  // The chosen unit's number, from the record area.
  int chosenUnit() const { return std::stoi(unpackDigits(std::string(units, 4)).substr(4)); }

  std::string listLine(int r) const {
    std::string row = screen.screen().rowText(static_cast<int16_t>(kTop + r));
    std::string text = row.substr(10, 50);
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }

  // Entries of Browse.tmp, walked forwards by their lengths; -1 when there is no file.
  int browseEntries() const {
    if (!std::filesystem::exists(dir() + "Browse.tmp")) return -1;
    std::string bytes = readFile("Browse.tmp");
    int count = 0;
    for (size_t at = 0; at + 10 <= bytes.size(); ++count) {
      size_t length = static_cast<unsigned char>(bytes[at + 8]) +
                      256 * static_cast<unsigned char>(bytes[at + 9]);
      at += 10 + length;
    }
    return count;
  }

  struct KeySeen {
    int browseEntries = 0;
    int highlighted = 0;
    std::vector<std::string> lines;
    std::string title;
  };
  std::vector<KeySeen> keysSeen;
  RecordingConsole screen;
  char units[448] = {};
};

TEST_F(LookupTest, ListsOneRecordAtATimeAndScrollsBackWithoutReading) {
  pressRepeated(kDown, 10);
  pressRepeated(kUp, 10);
  press({kEnter});
  EXPECT_EQ(open(2), 0);
  ASSERT_EQ(keysSeen.size(), 21u);

  // First page: units 1..10 of building 12, ten entries produced.
  EXPECT_EQ(keysSeen[0].browseEntries, 10);
  for (int r = 1; r <= 10; ++r) EXPECT_EQ(keysSeen[0].lines[r - 1], unitLine(r)) << r;
  EXPECT_EQ(keysSeen[0].highlighted, 1);
  // Nine Downs move the cursor; the tenth scrolls the list up and produces one entry.
  EXPECT_EQ(keysSeen[9].highlighted, 10);
  EXPECT_EQ(keysSeen[9].browseEntries, 10);
  EXPECT_EQ(keysSeen[10].browseEntries, 11);
  EXPECT_EQ(keysSeen[10].lines.front(), unitLine(2));
  EXPECT_EQ(keysSeen[10].lines.back(), unitLine(11));
  // Back up to the top: nothing more is read.
  EXPECT_EQ(keysSeen[20].browseEntries, 11);
  EXPECT_EQ(keysSeen[20].lines.front(), unitLine(1));
  EXPECT_EQ(keysSeen[20].highlighted, 1);

  EXPECT_EQ(chosenUnit(), 1);
  EXPECT_FALSE(std::filesystem::exists(dir() + "Browse.tmp"));
  EXPECT_EQ(keyedFileTable().lockModeStack, "") << "the lock mode is restored";
  EXPECT_EQ(screen.line(kTop), "") << "the window's screen is restored";
}

TEST_F(LookupTest, BrowseFileHoldsBackwardChainedEntries) {
  std::string bytes;
  screen.onKey = [&] { bytes = readFile("Browse.tmp"); };
  press({kEsc});
  EXPECT_EQ(open(2), -1);
  size_t at = 0;
  int32_t previousStart = 0;
  for (int unit = 1; unit <= 10; ++unit) {
    SCOPED_TRACE(unit);
    ASSERT_LE(at + 10, bytes.size());
    auto number = [&](size_t offset, int width) {
      uint32_t value = 0;
      for (int i = width - 1; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(bytes[at + offset + i]);
      }
      return value;
    };
    EXPECT_EQ(number(0, 4), static_cast<uint32_t>(previousStart));
    EXPECT_NE(number(4, 4), 0u);
    std::string line = unitLine(unit);
    EXPECT_EQ(number(8, 2), line.size());
    EXPECT_EQ(bytes.substr(at + 10, line.size()), line);
    previousStart = static_cast<int32_t>(at + 1);
    at += 10 + line.size();
  }
  EXPECT_EQ(at, bytes.size());
}

// Each row: keys in the window, then Enter; the page and the cursor line at the Enter, and
// the unit chosen.
TEST_F(LookupTest, PagesUpAndDown) {
  struct Case {
    const char* what;
    std::vector<std::pair<int16_t, int>> keys;  // key, times
    int firstShown;
    int cursorLine;
    int chosen;
    int blankFrom;  // first blank list line; 11 when the page is full
  };
  const Case cases[] = {
      {"PgDn", {{kPgDn, 1}}, 11, 1, 11, 11},
      {"PgDn twice", {{kPgDn, 2}}, 21, 1, 21, 6},
      {"PgDn twice from line 8", {{kDown, 7}, {kPgDn, 2}}, 21, 5, 25, 6},
      {"Down past the end is ignored", {{kPgDn, 2}, {kDown, 9}}, 21, 5, 25, 6},
      {"PgUp from a page at entry 4, line 8", {{kDown, 12}, {kUp, 2}, {kPgUp, 1}}, 1, 1, 1, 11},
      {"PgUp from a page at entry 4, line 10", {{kDown, 12}, {kPgUp, 1}}, 1, 3, 3, 11},
      {"PgUp from a page at entry 21", {{kPgDn, 2}, {kPgUp, 1}}, 11, 1, 11, 11},
      {"PgUp from a page at entry 21, line 3", {{kPgDn, 2}, {kDown, 2}, {kPgUp, 1}}, 11, 3, 13, 11},
      {"Up and PgUp at the top do nothing", {{kUp, 1}, {kPgUp, 1}}, 1, 1, 1, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    keysSeen.clear();
    for (const auto& [key, times] : c.keys) pressRepeated(key, times);
    press({kEnter});
    EXPECT_EQ(open(2), 0);
    const KeySeen& atEnter = keysSeen.back();
    EXPECT_EQ(atEnter.lines.front(), unitLine(c.firstShown));
    EXPECT_EQ(atEnter.highlighted, c.cursorLine);
    EXPECT_EQ(chosenUnit(), c.chosen);
    for (int r = c.blankFrom; r <= 10; ++r) EXPECT_EQ(atEnter.lines[r - 1], "") << r;
    if (c.blankFrom == 6) {
      EXPECT_EQ(atEnter.lines[4], unitLine(25));
    }
  }
}

TEST_F(LookupTest, ScrollsSidewaysAndDrawsTheTitleLine) {
  // Lines of 45 characters in a 20-character window: Right is taken while the first column
  // shown is within the 25 characters of overflow.
  press({kRight, kRight, kRight, kRight, kRight, kLeft, kEsc});
  EXPECT_EQ(open(3), -1);
  const std::string line = unitLine(1);
  auto title = [](std::string_view left, const std::string& middle, std::string_view right) {
    return std::string(left) + middle + std::string(right);
  };
  std::string rule;
  for (int i = 0; i < 20; ++i) rule += "═"_cp;
  std::string ruleAfterTitle;
  for (int i = 0; i < 15; ++i) ruleAfterTitle += "═"_cp;
  const struct {
    std::string title;
    std::string firstLine;
  } expected[] = {
      {title("╔"_cp, "  ABC" + ruleAfterTitle, "►"_cp), line.substr(0, 20)},
      {title("◄"_cp, rule, "►"_cp), line.substr(8, 20)},
      {title("◄"_cp, rule, "►"_cp), line.substr(16, 20)},
      {title("◄"_cp, rule, "►"_cp), line.substr(24, 20)},
      {title("◄"_cp, rule, "╗"_cp), line.substr(32)},
      {title("◄"_cp, rule, "╗"_cp), line.substr(32)},  // Right refused
      {title("◄"_cp, rule, "►"_cp), line.substr(24, 20)},
  };
  ASSERT_EQ(keysSeen.size(), 7u);
  for (size_t k = 0; k < keysSeen.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(keysSeen[k].title, expected[k].title);
    EXPECT_EQ(trimmed(keysSeen[k].lines[0].substr(0, 20)), trimmed(expected[k].firstLine));
  }

  // A blank inside a title is drawn as the frame line.
  keysSeen.clear();
  press({kEsc});
  open(2);
  std::string wide;
  for (int i = 0; i < 45; ++i) wide += "═"_cp;
  EXPECT_EQ(keysSeen[0].title, title("╔"_cp, "AB" + std::string("═"_cp) + "CD" + wide, "╗"_cp));
}

TEST_F(LookupTest, StartKeyAndEscWhileProducingLimitTheList) {
  // No unit of building 50: one blank line, and Enter chooses nothing.
  storeFieldValue(field(1, 2), "50");
  press({kEnter});
  EXPECT_EQ(open(2), -1);
  EXPECT_EQ(keysSeen.back().lines.front(), "");
  EXPECT_EQ(keysSeen.back().highlighted, 1);

  // Building 13 through lookup 3, whose start key comes from field 4: five units.
  keysSeen.clear();
  storeFieldValue(field(1, 4), "13");
  press({kPgDn, kEnter});
  EXPECT_EQ(open(3), 0);
  EXPECT_EQ(trimmed(keysSeen.front().lines[4].substr(0, 20)), trimmed(unitLine(5).substr(0, 20)));
  EXPECT_EQ(trimmed(keysSeen.front().lines[5].substr(0, 20)), "");
  EXPECT_EQ(std::stoi(unpackDigits(std::string(units, 4))), 130001);

  // An Esc waiting while the fourth line is produced ends the list there.
  keysSeen.clear();
  storeFieldValue(field(1, 2), "12");
  for (int i = 0; i < 3; ++i) screen.pushNothing();
  screen.pushKey(kEsc);
  pressRepeated(kDown, 5);
  press({kEnter});
  EXPECT_EQ(open(2), 0);
  // keysSeen[0] is the Esc taken by the list; keysSeen[1] the first Down.
  ASSERT_EQ(keysSeen.size(), 7u);
  EXPECT_EQ(keysSeen[1].browseEntries, 4);
  EXPECT_EQ(keysSeen[1].lines[3], unitLine(4));
  EXPECT_EQ(keysSeen[1].lines[4], "");
  EXPECT_EQ(chosenUnit(), 4);
}

TEST_F(LookupTest, WindowsWithoutDataFileFilterPagesAndF4) {
  press({kEnter});
  EXPECT_EQ(open(5), 0) << "Enter in a window without a data file";
  press({kF4});
  EXPECT_EQ(open(5), -1) << "F4 where no nested window is declared";

  // A filter page left with Esc: the window does not open.
  screen.screens.clear();
  press({kEsc});
  EXPECT_EQ(open(4), -1);
  for (const std::string& s : screen.screens) {
    EXPECT_EQ(s.find("Filtre"), std::string::npos) << s;
  }
  // Answered, the window opens after it.
  keysSeen.clear();
  screen.pushText("S");
  press({kEnter, kEnter});
  EXPECT_EQ(open(4), 0);
  EXPECT_NE(keysSeen.back().title.find("Filtre"), std::string::npos);
}

// F4 inside a window opens its nested window; a record chosen there is typed into the field
// on which the first F4 was pressed, as the nested window's code.
TEST_F(LookupTest, NestedChoiceGoesToTheFieldWhereF4WasPressed) {
  screen.pushKey(kDown);  // to field 2, whose lookup is window 6
  screen.pushKey(kF4);
  press({kF4});  // in window 6: opens window 2 over it
  pressRepeated(kDown, 4);
  press({kEnter});
  screen.pushText("7");  // the cursor moved on to field 3
  screen.pushKey(kEsc);
  screen.pushKey(kEsc);
  int16_t key = 0;
  runFormPage(1, key);
  EXPECT_EQ(key, kEsc);
  EXPECT_EQ(field(1, 2).value, "005");
  EXPECT_EQ(chosenUnit(), 5);
  EXPECT_EQ(field(1, 3).value, "   ") << "Esc dropped the edit of field 3";
  EXPECT_FALSE(std::filesystem::exists(dir() + "Browse.tmp"));
}

}  // namespace
}  // namespace talmidor
