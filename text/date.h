#pragma once
// Dates: packed dates (the packed digits of YYYYMMDD, four bytes that compare
// chronologically), typed dates read as day, month, year, and dates shown as digits or
// with month names.

#include <cstdint>
#include <string>

namespace talmidor {

// What the latest parseDate or isInvalidDate read.
struct LastParsedDate {
  int16_t day = 0;
  int16_t month = 0;
  int16_t year = 0;       // after the century rule of the operation that ran
  int16_t monthDays = 0;  // days of that month; set by isInvalidDate only
};

LastParsedDate& lastParsedDate();

// Reads a typed date ("5/3/24", "050324", "05032024", "1.2.76"); two-digit years fall in the
// current year - 50 .. + 49. No range check. The empty date (four bytes 0x80) when the text
// cannot be read.
std::string parseDate(const std::string& typed);

// -1 when the typed text is not a real calendar date (unreadable, day or month out of
// range, or within the 1582 changeover gap); 0 when it is.
int16_t isInvalidDate(const std::string& typed);

// The digits DDMMYY (year near the current one) or DDMMYYYY; "" for day and month zero.
std::string dateToEditText(const std::string& packed);

// Shows a packed date. style 0: numbers joined by the installation's date separator in its
// date order, padded to a fixed width (10 for "dma"); style 2: month names in the session's
// language, no separators. parts names the pieces to show (letters D, M, A, any case).
std::string formatDate(const std::string& packed, int16_t style, const std::string& parts);

// 1 (Monday) to 7 (Sunday), Julian calendar before 5 October 1582.
int16_t weekdayOf(const std::string& packed);

// Forgets the loaded date separator and order and clears lastParsedDate.
void resetDateSettings();

}  // namespace talmidor
