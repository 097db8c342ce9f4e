#pragma once
// The calendar's date arithmetic without the screen: where it starts, how the cursor keys
// move the highlighted day, and which quarter shows it.

#include <cstdint>
#include <string>

namespace talmidor {

struct CalendarDate {
  int16_t year = 0;
  int16_t month = 0;  // 1..12
  int16_t day = 0;    // 1..days of the month
  bool operator==(const CalendarDate&) const = default;
};

// Years the calendar shows: dates need four digits.
constexpr int16_t kFirstCalendarYear = 1;
constexpr int16_t kLastCalendarYear = 9999;

// Days of a month, with the leap years of the Gregorian rule.
int16_t calendarMonthLength(int16_t year, int16_t month);

// First month (1, 4, 7 or 10) of the quarter that holds month.
int16_t quarterStart(int16_t month);

// The date to start from: the working date (a packed date) when it is a real date, else
// today's date from the platform clock. An empty working date means "not set", and one
// that is not a date (month 13, 30 February, not packed digits) cannot be shown.
CalendarDate calendarStartDate(const std::string& workDate);

// Applies a moving key (Right, Left, Down, Up, PgDn, PgUp, Home, End) to date: the day walks
// across month, quarter and year ends; PgUp/PgDn move three months and keep the day within
// the new month; Home/End go to January/December and keep the day. False for any other key,
// and for a move that would leave the years 1..9999 (date unchanged then).
bool moveCalendarDate(CalendarDate& date, int16_t key);

// The date as packed digits of YYYYMMDD.
std::string packedCalendarDate(const CalendarDate& date);

}  // namespace talmidor
