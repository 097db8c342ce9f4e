#include "text/date.h"

#include <array>
#include <cstdlib>
#include <string_view>

#include "config/ini.h"
#include "config/packed.h"
#include "config/session.h"
#include "platform/cp850.h"
#include "platform/platform.h"
#include "text/numconv.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

// The installation's date separator and order, read from Kelo.ini the first time a date is
// shown and kept for the run.
struct DateSettings {
  bool loaded = false;
  char dateSeparator = '/';
  std::string dateOrder = "DMA";
};

DateSettings dateSettings;
LastParsedDate lastDate;

using MonthNames = std::array<std::string_view, 12>;

const MonthNames kSpanish = {"enero", "febrero", "marzo",      "abril",   "mayo",      "junio",
                             "julio", "agosto",  "septiembre", "octubre", "noviembre", "diciembre"};
const MonthNames kGalician = {"janeiro",  "fevereiro", "março"_cp, "abril",
                              "maio",     "junho",     "julho",    "agosto",
                              "setembro", "outubro",   "novembro", "dezembro"};
const MonthNames kAranese = {"gèr"_cp,   "hereuèr"_cp, "març"_cp, "abriu",   "mai",    "junh",
                             "junhsega", "agost",      "seteme",  "octobre", "noveme", "deseme"};
const MonthNames kCatalan = {"gener",  "febrer", "març"_cp,  "abril",   "maig",     "juny",
                             "juliol", "agost",  "setembre", "octubre", "novembre", "desembre"};

const MonthNames& monthNames(const std::string& language) {
  if (language == "SPA") return kSpanish;
  if (language == "GLG") return kGalician;
  if (language == "OCI") return kAranese;
  return kCatalan;
}

void loadDateSettings() {
  if (dateSettings.loaded) return;
  const std::string file = platform().system->environment("ZUBROOT") + "Kelo.ini";
  std::string separator = readIniValue(file, "Usuari", "DatCaracter");
  dateSettings.dateSeparator = separator.empty() || separator[0] == ' ' ? '/' : separator[0];
  std::string order = fitText(readIniValue(file, "Usuari", "DatOrdre"), 3);
  dateSettings.dateOrder = order == "   " ? "DMA" : order;
  dateSettings.loaded = true;
}

int currentYear() {
  return platform().system->today().year;
}

bool gregorianLeap(long year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Days of month (1..12) in a year with or without the leap day.
int monthLength(long month, bool leap) {
  int days = static_cast<int>(30 + ((((month + 1) % 9) + 1) % 2));
  if (month == 2) days -= leap ? 1 : 2;
  return days;
}

// The value of a run of digits, at most as large as limit (enough to tell "too large").
long digitValue(std::string_view digits, long limit = 1000000000L) {
  long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') continue;
    value = value * 10 + (c - '0');
    if (value > limit) return limit;
  }
  return value;
}

std::string_view trimSpaces(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One piece of a typed date as a 16-bit number: spaces around it are allowed, an empty
// piece, spaces inside it or a value beyond 32767 make the date unreadable.
bool pieceValue(std::string_view piece, int16_t& value) {
  std::string_view digits = trimSpaces(piece);
  if (digits.empty() || digits.find(' ') != std::string_view::npos) return false;
  long number = digitValue(digits);
  if (number > 32767) return false;
  value = static_cast<int16_t>(number);
  return true;
}

struct TypedDate {
  int16_t day = 0;
  int16_t month = 0;
  int16_t year = 0;
  bool longYear = false;  // written with more than three digits: no century rule
};

// Reads a typed date as day, month, year: digits with ".", "/" or "-" between the pieces,
// or the digits DDMMYY[YY] without separators. false when it cannot be read.
bool readTypedDate(const std::string& typed, TypedDate& date) {
  std::string group;
  int groupNumber = 1;
  for (char c : typed) {
    if (c == ' ' || (c >= '0' && c <= '9')) {
      group.push_back(c);
    } else if (c == '.' || c == '/' || c == '-') {
      if (groupNumber == 1) {
        if (!pieceValue(group, date.day)) return false;
      } else if (groupNumber == 2) {
        if (!pieceValue(group, date.month)) return false;
      } else {
        return false;
      }
      group.clear();
      ++groupNumber;
    } else {
      return false;
    }
  }
  std::string_view text = typed;
  if (groupNumber == 1) {
    std::string_view yearText = text.size() > 4 ? text.substr(4) : std::string_view();
    if (!pieceValue(text.substr(0, 2), date.day)) return false;
    if (!pieceValue(text.size() > 2 ? text.substr(2, 2) : std::string_view(), date.month)) {
      return false;
    }
    if (!pieceValue(yearText, date.year)) return false;
    date.longYear = trimSpaces(yearText).size() > 3;
    return true;
  }
  if (groupNumber == 3) {
    if (!pieceValue(group, date.year)) return false;
    date.longYear = trimSpaces(group).size() > 3;
    return true;
  }
  return false;
}

}  // namespace

LastParsedDate& lastParsedDate() {
  return lastDate;
}

std::string parseDate(const std::string& typed) {
  TypedDate date;
  lastDate.day = lastDate.month = lastDate.year = 0;
  if (!readTypedDate(typed, date)) return packDigits("00000000");
  if (date.day > 0 && date.month > 0 && !date.longYear) {
    // Two-digit years fall in the current year - 50 .. + 49.
    int now = currentYear();
    int year = 100 * (now / 100) + date.year;
    if (year - now > 49) {
      year -= 100;
    } else if (now - year > 50) {
      year += 100;
    }
    date.year = static_cast<int16_t>(year);
  }
  lastDate.day = date.day;
  lastDate.month = date.month;
  lastDate.year = date.year;
  return packDigits(zeroPad(date.year, 4) + zeroPad(date.month, 2) + zeroPad(date.day, 2));
}

int16_t isInvalidDate(const std::string& typed) {
  TypedDate date;
  lastDate.day = lastDate.month = lastDate.year = 0;
  if (!readTypedDate(typed, date)) return -1;
  if (date.year < 100 && !date.longYear) {
    // Two-digit years fall in the current year - 50 .. + 50.
    int now = currentYear();
    int year = 100 * (now / 100) + date.year;
    if (std::abs(year - now) > 50) year -= year > now ? 100 : -100;
    date.year = static_cast<int16_t>(year);
  }
  lastDate.day = date.day;
  lastDate.month = date.month;
  lastDate.year = date.year;
  // 5 to 14 October 1582 never happened.
  long dateNumber = date.year * 10000L + date.month * 100L + date.day;
  if (dateNumber > 15821004L && dateNumber < 15821015L) return -1;
  lastDate.monthDays = static_cast<int16_t>(monthLength(date.month, gregorianLeap(date.year)));
  return date.day < 1 || date.day > lastDate.monthDays || date.month < 1 || date.month > 12 ? -1
                                                                                            : 0;
}

std::string dateToEditText(const std::string& packed) {
  std::string digits = unpackDigits(packed);
  std::string_view view = digits;
  long day = view.size() >= 2 ? digitValue(view.substr(view.size() - 2)) : 0;
  long month = view.size() >= 4 ? digitValue(view.substr(view.size() - 4, 2)) : 0;
  // The year is every byte but the last two, or the only byte there is.
  long year = view.size() == 2  ? digitValue(view)
              : view.size() > 4 ? digitValue(view.substr(0, view.size() - 4))
                                : 0;
  if (day <= 0 && month <= 0) return "";
  int now = currentYear();
  bool nearNow = year >= now - 50 && year <= now + 49;
  return zeroPad(static_cast<double>(day), 2) + zeroPad(static_cast<double>(month), 2) +
         (nearNow ? zeroPad(static_cast<double>(year % 100), 2)
                  : zeroPad(static_cast<double>(year), 4));
}

std::string formatDate(const std::string& packed, int16_t style, const std::string& parts) {
  loadDateSettings();
  std::string digits = unpackDigits(packed);
  std::string year = digits.substr(0, 4);
  year.insert(0, 4 - year.size(), '0');
  long month = digits.size() > 4 ? digitValue(std::string_view(digits).substr(4, 2)) : 0;
  long day = digits.size() > 6 ? digitValue(std::string_view(digits).substr(6, 2)) : 0;

  std::string wanted = parts;
  for (char& c : wanted) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  std::string text;
  if (month != 0 || day != 0) {
    for (char letter : dateSettings.dateOrder) {
      if (wanted.find(letter) == std::string::npos) continue;
      std::string piece;
      if (letter == 'D') {
        piece = std::to_string(day);
      } else if (letter == 'A') {
        piece = year;
      } else if (letter == 'M') {
        if (style == 2) {
          if (month >= 1 && month <= 12) {
            piece = std::string(monthNames(session().language)[static_cast<size_t>(month - 1)]);
          }
        } else {
          piece = std::to_string(month);
        }
      } else {
        continue;
      }
      if (style != 2 && !text.empty()) text.push_back(dateSettings.dateSeparator);
      text += piece;
    }
  }
  if (style == 2) return text;
  bool hasM = wanted.find('M') != std::string::npos;
  bool hasA = wanted.find('A') != std::string::npos;
  bool hasD = wanted.find('D') != std::string::npos;
  long width =
      (hasM ? 2 : 0) + (hasA ? 4 : 0) + (hasD ? 2 : 0) + static_cast<long>(parts.size()) - 1;
  return fitText(text, width > 0 ? static_cast<size_t>(width) : 0);
}

int16_t weekdayOf(const std::string& packed) {
  std::string digits = unpackDigits(packed);
  std::string_view view = digits;
  long year = digitValue(view.substr(0, 4));
  long month = view.size() > 4 ? digitValue(view.substr(4, 2)) : 0;
  long day = view.size() > 6 ? digitValue(view.substr(6, 2)) : 0;
  bool julian = packed < packDigits("15821005");
  bool leap = julian ? year % 4 == 0 : gregorianLeap(year);
  long y = year - 1;
  long n = day - 1;
  for (long m = 1; m < month; ++m) n += monthLength(m, leap);
  long weekday =
      julian ? (((y + y / 4) % 7) + 5 + n) % 7 : (((y + y / 4 - y / 100 + y / 400) % 7) + n) % 7;
  // Only a year 0 or a day 0 can make it negative.
  if (weekday < 0) weekday += 7;
  return static_cast<int16_t>(weekday + 1);
}

void resetDateSettings() {
  dateSettings = DateSettings();
  lastDate = LastParsedDate();
}

}  // namespace talmidor
