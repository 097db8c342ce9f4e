#include "tools/calendar.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/packed.h"
#include "platform/cp850.h"
#include "tools/calendar_date.h"
#include "tools/tools_fixture.h"

namespace talmidor {
namespace {

class CalendarTest : public ToolsTest {
 protected:
  void startAt(const char* digits) { session().workDate = packDigits(digits); }
  std::string runWith(const std::vector<int16_t>& keys) {
    screen.forgetSnapshot();
    for (int16_t key : keys) screen.pushKey(key);
    return runCalendar();
  }
  // The window's row (0 is the top frame line) as shown, inside the frame: 20 columns from
  // screen column 60.
  std::string inner(int16_t row) { return shownCells(static_cast<int16_t>(row + 1), 60, 20); }
  // Attributes of the window's inner cells of a row, two hex digits per cell.
  std::string innerColours(int16_t row) {
    return screen.shownAttributes(static_cast<int16_t>(row + 1)).substr(59 * 2, 40);
  }
};

TEST(CalendarDateTest, MovesAcrossMonthQuarterAndYearEnds) {
  struct Case {
    CalendarDate from;
    int16_t key;
    CalendarDate to;
  } cases[] = {
      {{2025, 1, 1}, kUp, {2024, 12, 25}},
      {{2024, 12, 25}, kDown, {2025, 1, 1}},
      {{2024, 12, 31}, kRight, {2025, 1, 1}},
      {{2025, 1, 1}, kLeft, {2024, 12, 31}},
      {{2025, 3, 31}, kRight, {2025, 4, 1}},
      {{2025, 6, 30}, kRight, {2025, 7, 1}},
      {{2024, 3, 1}, kLeft, {2024, 2, 29}},
      {{2024, 2, 28}, kDown, {2024, 3, 6}},
      {{2023, 2, 28}, kDown, {2023, 3, 7}},
      {{2024, 3, 3}, kUp, {2024, 2, 25}},
      {{2024, 5, 31}, kPgUp, {2024, 2, 29}},
      {{2025, 5, 31}, kPgUp, {2025, 2, 28}},
      {{2024, 11, 30}, kPgDn, {2025, 2, 28}},
      {{2025, 1, 15}, kPgUp, {2024, 10, 15}},
      {{2025, 10, 31}, kHome, {2025, 1, 31}},
      {{2025, 2, 10}, kHome, {2025, 1, 10}},
      {{2025, 8, 20}, kEnd, {2025, 12, 20}},
      {{1900, 2, 28}, kRight, {1900, 3, 1}},   // not a leap year
      {{2000, 2, 28}, kRight, {2000, 2, 29}},  // a leap year
  };
  for (const Case& c : cases) {
    CalendarDate date = c.from;
    EXPECT_TRUE(moveCalendarDate(date, c.key))
        << c.from.year << "-" << c.from.month << "-" << c.from.day << " key " << c.key;
    EXPECT_EQ(date, c.to) << c.from.year << "-" << c.from.month << "-" << c.from.day << " key "
                          << c.key;
  }
  // Keys that do not move, and moves past the years the calendar can show.
  for (auto [from, key] :
       {std::pair{CalendarDate{2025, 5, 5}, kEnter},
        std::pair{CalendarDate{2025, 5, 5}, int16_t{'x'}}, std::pair{CalendarDate{1, 1, 1}, kLeft},
        std::pair{CalendarDate{1, 2, 1}, kPgUp}, std::pair{CalendarDate{9999, 12, 31}, kRight},
        std::pair{CalendarDate{9999, 11, 30}, kPgDn}}) {
    CalendarDate date = from;
    EXPECT_FALSE(moveCalendarDate(date, key)) << from.year << " key " << key;
    EXPECT_EQ(date, from);
  }
}

TEST_F(CalendarTest, StartsAtTheWorkingDateOrElseToday) {
  struct Case {
    std::string workDate;
    CalendarDate start;
  } cases[] = {
      {packDigits("20250101"), {2025, 1, 1}},
      {packDigits("20240229"), {2024, 2, 29}},
      {"", {2026, 3, 15}},                      // no working date: today
      {packDigits("20251301"), {2026, 3, 15}},  // month 13
      {packDigits("20230229"), {2026, 3, 15}},  // 29 February of a common year
      {packDigits("00000000"), {2026, 3, 15}},
      {"2025", {2026, 3, 15}},  // not packed digits
      {packDigits("202501"), {2026, 3, 15}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(calendarStartDate(c.workDate), c.start) << unpackDigits(c.workDate);
  }
  session().workDate = "";
  EXPECT_EQ(runWith({'F'}), "15/3/2026 ");
}

TEST_F(CalendarTest, DrawsTheQuarterOfTheWorkingDateInCatalan) {
  startAt("20250101");
  EXPECT_EQ(runWith({}), "");
  EXPECT_EQ(shownCells(1, 59, 22),
            std::string("┌───────"_cp) + " 2025 " + std::string("───────┐"_cp));
  EXPECT_EQ(inner(1), "DL DT DC DJ DV DS DG");
  EXPECT_EQ(inner(2), "       GENER        ");
  EXPECT_EQ(inner(3), "       1  2  3  4  5");
  EXPECT_EQ(inner(4), " 6  7  8  9 10 11 12");
  EXPECT_EQ(inner(7), "27 28 29 30 31      ");
  EXPECT_EQ(inner(8), "                    ");
  EXPECT_EQ(inner(9), "       FEBRER       ");
  EXPECT_EQ(inner(16), "        MARÇ        "_cp);
  EXPECT_EQ(inner(21), "24 25 26 27 28 29 30");
  EXPECT_EQ(inner(22), "31                  ");  // 31 March: Monday of the sixth week row
  EXPECT_EQ(shownCells(24, 59, 22), "└────────────────────┘"_cp);
  // Names in class "n", the grid in class "h", the current day in class "u".
  EXPECT_EQ(innerColours(2).substr(0, 2), "07");
  // The columns between day cells keep the frame's blanks, in class "n".
  EXPECT_EQ(innerColours(3).substr(0, 12), "0F0F070F0F07");
  EXPECT_EQ(innerColours(3).substr(12, 4), "7070");
  EXPECT_EQ(innerColours(3).substr(16, 4), "070F");
}

TEST_F(CalendarTest, TheFirstOfAMonthOnASundayHasSixBlankCellsBeforeIt) {
  startAt("20250601");  // Sunday
  runWith({});
  EXPECT_EQ(inner(16), "        JUNY        ");
  EXPECT_EQ(inner(17), "                   1");
  EXPECT_EQ(inner(18), " 2  3  4  5  6  7  8");
  // The six blank cells are part of the grid (class "h"); the 1st is highlighted.
  EXPECT_EQ(innerColours(17).substr(0, 2 * 18), "0F0F070F0F070F0F070F0F070F0F070F0F07");
  EXPECT_EQ(innerColours(17).substr(36, 4), "7070");
}

TEST_F(CalendarTest, WeekdayHeadsAndMonthNamesFollowTheLanguage) {
  struct Case {
    const char* language;
    std::string heads, january;
  } cases[] = {
      {"SPA", " L  M  X  J  V  S  D", "       ENERO        "},
      {"GLG", " L  M  X  J  V  S  D", "      JANEIRO       "},
      {"OCI", "DL DT DC DJ DD DS DG", std::string("        GÈR         "_cp)},
      {"CAT", "DL DT DC DJ DV DS DG", "       GENER        "},
      {"   ", "DL DT DC DJ DV DS DG", "       GENER        "},
  };
  startAt("20250115");
  for (const Case& c : cases) {
    session().language = c.language;
    runWith({});
    EXPECT_EQ(inner(1), c.heads) << c.language;
    EXPECT_EQ(inner(2), c.january) << c.language;
  }
}

TEST_F(CalendarTest, UpFromTheFirstOfJanuaryRedrawsTheLastQuarterOfTheYearBefore) {
  startAt("20250101");
  runWith({kUp});
  EXPECT_EQ(shownCells(1, 67, 6), " 2024 ");
  EXPECT_EQ(inner(2), "      OCTUBRE       ");
  EXPECT_EQ(inner(9), "      NOVEMBRE      ");
  EXPECT_EQ(inner(16), "      DESEMBRE      ");
  // 1 December 2024 is a Sunday; the 25th is a Wednesday of the fifth week row.
  EXPECT_EQ(inner(21), "23 24 25 26 27 28 29");
  EXPECT_EQ(innerColours(21).substr(12, 4), "7070");

  // And back down across the year into the first quarter of 2025.
  runWith({kUp, kDown, kRight});
  EXPECT_EQ(shownCells(1, 67, 6), " 2025 ");
  EXPECT_EQ(innerColours(3).substr(18, 4), "7070");  // Thursday 2 January
}

TEST_F(CalendarTest, ChoosingHandsBackTheDateAndOtherKeysDoNothing) {
  startAt("20250331");
  EXPECT_EQ(runWith({kRight, 'F'}), "1/4/2025  ");
  EXPECT_EQ(runWith({kRight, 'f'}), "1/4/2025  ");
  EXPECT_EQ(runWith({kRight, kAltF}), "1/4/2025  ");
  EXPECT_EQ(runWith({kEnter, kTab, '5', 'F'}), "31/3/2025 ");
  EXPECT_EQ(runWith({kPgUp, kPgUp, 'F'}), "30/9/2024 ");
  EXPECT_EQ(runWith({kHome, kEnd, kPgDn, 'F'}), "31/3/2026 ");
  EXPECT_EQ(runWith({kDown, kEsc}), "");
}

TEST_F(CalendarTest, EscapeRestoresTheScreenExactly) {
  paintBackground();
  ScreenCopy before = copyScreen();
  startAt("20250101");
  editKeyTable("+ea", "d,1b,3e00");
  KeyTable keys = keyTable();
  EXPECT_EQ(runWith({kUp, kPgDn, kPgDn, kEsc}), "");
  EXPECT_TRUE(copyScreen() == before);
  EXPECT_FALSE(std::filesystem::exists(dir() + "WinPush.tmp"));
  EXPECT_EQ(keyTable().acceptedCodes, keys.acceptedCodes);
  EXPECT_EQ(keyTable().hasSavedCopy, keys.hasSavedCopy);
  EXPECT_EQ(colourState().classStack, "");
  EXPECT_NE(screen.screen().cursorShape(), CursorShape::Hidden);
}

}  // namespace
}  // namespace talmidor
