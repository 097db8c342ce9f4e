#include "tools/calendar.h"

#include <array>

#include "config/session.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "platform/platform.h"
#include "text/date.h"
#include "text/texthelp.h"
#include "tools/calendar_date.h"

namespace talmidor {

namespace {

// The window: rows 1 to 24 at the right edge of the screen, 20 columns inside the frame.
constexpr int16_t kTopRow = 1;
constexpr int16_t kBottomRow = 24;
constexpr int16_t kInnerWidth = 20;
constexpr int16_t kMonthRows = 7;  // the name and six week rows

// The moving keys and the two that end the calendar; the line editor sees only these while
// the calendar is open.
constexpr const char* kCalendarKeys = "4d00,4b00,5000,4800,5100,4900,4700,4f00,2100,1b";

std::string weekdayHeads(const std::string& language) {
  if (language == "SPA" || language == "GLG") return " L  M  X  J  V  S  D";
  if (language == "OCI") return "DL DT DC DJ DD DS DG";
  return "DL DT DC DJ DV DS DG";
}

// n right-aligned in width places.
std::string rightAligned(int n, size_t width) {
  std::string digits = std::to_string(n);
  return digits.size() >= width ? digits : std::string(width - digits.size(), ' ') + digits;
}

void printInWindow(int16_t row, int16_t column, const std::string& text) {
  locateInWindow(row, column);
  printText(text);
}

// The quarter on screen: its year and first month, with the weekday (1 Monday .. 7 Sunday) of
// every day of its three months.
struct Quarter {
  int16_t year = 0;
  int16_t firstMonth = 0;
  std::array<std::array<int16_t, 32>, 3> weekdays{};

  int16_t weekday(int16_t month, int16_t day) const {
    return weekdays[static_cast<size_t>(month - firstMonth)][static_cast<size_t>(day)];
  }
  bool shows(const CalendarDate& date) const {
    return date.year == year && quarterStart(date.month) == firstMonth;
  }
};

// Row inside the window of a day of a month on show.
int16_t dayRow(const Quarter& quarter, int16_t month, int16_t day) {
  int16_t first = quarter.weekday(month, 1);
  return static_cast<int16_t>((month - quarter.firstMonth) * kMonthRows + 3 +
                              (first + day - 2) / 7);
}

int16_t dayColumn(const Quarter& quarter, int16_t month, int16_t day) {
  return static_cast<int16_t>(3 * quarter.weekday(month, day) - 2);
}

void drawMonth(const Quarter& quarter, int16_t month) {
  int16_t nameRow = static_cast<int16_t>((month - quarter.firstMonth) * kMonthRows + 2);
  int16_t first = quarter.weekday(month, 1);
  int16_t length = calendarMonthLength(quarter.year, month);

  setColourClass("n");
  printInWindow(nameRow, 1, std::string(kInnerWidth, ' '));
  std::string name = foldAccents(formatDate(packedCalendarDate({quarter.year, month, 1}), 2, "m"));
  printInWindow(nameRow,
                static_cast<int16_t>((kInnerWidth - static_cast<int>(name.size())) / 2 + 1), name);

  setColourClass("h");
  int16_t weekRow = static_cast<int16_t>(nameRow + 1);
  for (int w = 2 - first; w <= 0; ++w) {
    printInWindow(weekRow, static_cast<int16_t>(3 * (w + first) - 5), "  ");
  }
  for (int16_t day = 1; day <= length; ++day) {
    printInWindow(dayRow(quarter, month, day), dayColumn(quarter, month, day),
                  rightAligned(day, 2));
  }
  for (int w = length + 1; w <= 43 - first; ++w) {
    printInWindow(static_cast<int16_t>(weekRow + (first + w - 2) / 7),
                  static_cast<int16_t>(3 * ((first + w - 2) % 7) + 1), "  ");
  }
}

// Draws the quarter that holds date, its year in the top frame line and the weekday heads
// in the operator's language. Leaves colour class "h" (the day grid's) selected.
Quarter drawQuarter(const CalendarDate& date) {
  Quarter quarter;
  quarter.year = date.year;
  quarter.firstMonth = quarterStart(date.month);
  for (int16_t i = 0; i < 3; ++i) {
    int16_t month = static_cast<int16_t>(quarter.firstMonth + i);
    for (int16_t day = 1; day <= calendarMonthLength(quarter.year, month); ++day) {
      quarter.weekdays[static_cast<size_t>(i)][static_cast<size_t>(day)] =
          weekdayOf(packedCalendarDate({quarter.year, month, day}));
    }
  }
  setColourClass("n");
  std::string yearText(1, ' ');
  yearText += rightAligned(quarter.year, 4);
  yearText += ' ';
  printInWindow(0, (kInnerWidth - 6) / 2 + 1, yearText);
  printInWindow(1, 1, weekdayHeads(session().language));
  for (int16_t i = 0; i < 3; ++i) drawMonth(quarter, static_cast<int16_t>(quarter.firstMonth + i));
  return quarter;
}

bool isChoice(int16_t key) {
  return key == 'F' || key == 'f' || key == kAltF;
}

}  // namespace

// The calendar starts at the working date; when that is empty or not a real date (a terminal
// without a working date, or a broken setting), at today's date from the platform clock.
// Like the calculator it puts the caller's key table back whole when it closes.
std::string runCalendar() {
  KeyTable fieldKeys = keyTable();
  editKeyTable("ea", kCalendarKeys);
  setColourClass("+n");
  Console& console = *platform().console;
  console.setCursorShape(CursorShape::Hidden);

  std::string result;
  int16_t depth = windowFrame().depth;
  int16_t right = screenColumns();
  pushScreen(kTopRow, static_cast<int16_t>(right - kInnerWidth - 1), kBottomRow, right);
  if (windowFrame().depth != depth) {
    drawFrame(1);
    CalendarDate date = calendarStartDate(session().workDate);
    Quarter quarter = drawQuarter(date);
    while (true) {
      int16_t row = dayRow(quarter, date.month, date.day);
      int16_t column = dayColumn(quarter, date.month, date.day);
      std::string dayText = rightAligned(date.day, 2);
      setColourClass("+u");
      printInWindow(row, column, dayText);
      int16_t key = waitKey();
      setColourClass("-");
      printInWindow(row, column, dayText);
      if (isChoice(key)) {
        result = formatDate(packedCalendarDate(date), 0, "dma");
        break;
      }
      if (key == kEsc) break;
      if (moveCalendarDate(date, key) && !quarter.shows(date)) quarter = drawQuarter(date);
    }
    popScreen();
  }

  console.setCursorShape(console.insertMode() ? CursorShape::Half : CursorShape::Full);
  setColourClass("-");
  keyTable() = fieldKeys;
  return result;
}

}  // namespace talmidor
