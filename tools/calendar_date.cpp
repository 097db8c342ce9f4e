#include "tools/calendar_date.h"

#include "config/packed.h"
#include "console/keys.h"
#include "platform/platform.h"
#include "text/numconv.h"

namespace talmidor {

namespace {

bool isLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool isRealDate(int year, int month, int day) {
  return year >= kFirstCalendarYear && year <= kLastCalendarYear && month >= 1 && month <= 12 &&
         day >= 1 &&
         day <= calendarMonthLength(static_cast<int16_t>(year), static_cast<int16_t>(month));
}

// A day count that may have left the month (below 1 or beyond its length) brought back into
// the calendar: months and years carry over.
void carryDays(int& year, int& month, int& day) {
  if (day < 1) {
    if (--month < 1) {
      month = 12;
      --year;
    }
    day += calendarMonthLength(static_cast<int16_t>(year), static_cast<int16_t>(month));
  } else if (day > calendarMonthLength(static_cast<int16_t>(year), static_cast<int16_t>(month))) {
    day -= calendarMonthLength(static_cast<int16_t>(year), static_cast<int16_t>(month));
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
}

// Three months on or back, the year carried, the day kept within the new month.
void moveMonths(int& year, int& month, int& day, int months) {
  month += months;
  if (month > 12) {
    month -= 12;
    ++year;
  } else if (month < 1) {
    month += 12;
    --year;
  }
  if (year >= kFirstCalendarYear && year <= kLastCalendarYear) {
    int length = calendarMonthLength(static_cast<int16_t>(year), static_cast<int16_t>(month));
    if (day > length) day = length;
  }
}

}  // namespace

int16_t calendarMonthLength(int16_t year, int16_t month) {
  int length = 30 + (1 + (1 + month) % 9) % 2;
  if (month == 2) length -= isLeapYear(year) ? 1 : 2;
  return static_cast<int16_t>(length);
}

int16_t quarterStart(int16_t month) {
  return static_cast<int16_t>((month - 1) / 3 * 3 + 1);
}

CalendarDate calendarStartDate(const std::string& workDate) {
  bool packed = workDate.size() == 4;
  for (char c : workDate) {
    unsigned byte = static_cast<unsigned char>(c);
    if (byte < 0x80 || byte > 0x80 + 99) packed = false;
  }
  if (packed) {
    std::string digits = unpackDigits(workDate);
    int year = std::stoi(digits.substr(0, 4));
    int month = std::stoi(digits.substr(4, 2));
    int day = std::stoi(digits.substr(6, 2));
    if (isRealDate(year, month, day)) {
      return {static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day)};
    }
  }
  LocalDate today = platform().system->today();
  if (!isRealDate(today.year, today.month, today.day)) return {2000, 1, 1};
  return {static_cast<int16_t>(today.year), static_cast<int16_t>(today.month),
          static_cast<int16_t>(today.day)};
}

bool moveCalendarDate(CalendarDate& date, int16_t key) {
  int year = date.year;
  int month = date.month;
  int day = date.day;
  switch (key) {
    case kRight:
      ++day;
      carryDays(year, month, day);
      break;
    case kLeft:
      --day;
      carryDays(year, month, day);
      break;
    case kDown:
      day += 7;
      carryDays(year, month, day);
      break;
    case kUp:
      day -= 7;
      carryDays(year, month, day);
      break;
    case kPgDn:
      moveMonths(year, month, day, 3);
      break;
    case kPgUp:
      moveMonths(year, month, day, -3);
      break;
    case kHome:
      month = 1;
      break;
    case kEnd:
      month = 12;
      break;
    default:
      return false;
  }
  if (!isRealDate(year, month, day)) return false;
  date = {static_cast<int16_t>(year), static_cast<int16_t>(month), static_cast<int16_t>(day)};
  return true;
}

std::string packedCalendarDate(const CalendarDate& date) {
  return packDigits(zeroPad(date.year * 10000.0 + date.month * 100.0 + date.day, 8));
}

}  // namespace talmidor
