#include "text/number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "config/ini.h"
#include "platform/platform.h"

namespace talmidor {

namespace {

// The installation's decimal and thousands characters, read from Kelo.ini on first use.
struct NumberSettings {
  bool loaded = false;
  char decimalChar = '\'';
  char thousandsChar = '.';
};

NumberSettings numberSettings;

void loadNumberSettings() {
  if (numberSettings.loaded) return;
  const std::string file = platform().system->environment("ZUBROOT") + "Kelo.ini";
  std::string decimal = readIniValue(file, "Usuari", "DecCaracter");
  std::string thousands = readIniValue(file, "Usuari", "MilCaracter");
  numberSettings.decimalChar = decimal.empty() || decimal[0] == ' ' ? '\'' : decimal[0];
  numberSettings.thousandsChar = thousands.empty() || thousands[0] == ' ' ? '.' : thousands[0];
  numberSettings.loaded = true;
}

bool isDigitPosition(char c) {
  return c == '9' || c == 'Z' || c == 'z' || c == '*';
}

// A whole number rounded half to even, as digits without leading zeros ("" for zero).
std::string roundedDigits(double x) {
  double whole = std::floor(x);
  double fraction = x - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  if (whole == 0) return "";
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", whole);
  return buffer;
}

}  // namespace

std::string formatNumber(const std::string& mask, double value) {
  loadNumberSettings();
  const char decimalChar = numberSettings.decimalChar;
  const char thousandsChar = numberSettings.thousandsChar;
  const long length = static_cast<long>(mask.size());
  std::string out = mask;
  if (std::isnan(value)) value = 0;

  const bool isSigned = mask.find_first_of("-+") != std::string::npos;
  // A: the positions after the first "." that take a digit or a sign; D: the decimals.
  long afterPoint = 0;
  long decimals = 0;
  size_t point = mask.find('.');
  if (point != std::string::npos && point + 1 < mask.size()) {
    for (size_t i = point + 1; i < mask.size(); ++i) {
      if (isDigitPosition(mask[i]) || mask[i] == '-' || mask[i] == '+') ++afterPoint;
    }
    for (size_t i = point + 1; i < mask.size() && isDigitPosition(mask[i]); ++i) ++decimals;
    if (afterPoint == 0) decimals = 0;
  }

  const double scaled = std::fabs(value) * std::pow(10.0, static_cast<double>(decimals));
  if (!std::isfinite(scaled)) return std::string(mask.size(), '!');
  const std::string digits = roundedDigits(scaled);
  const bool negative = value < 0;
  const long digitCount = static_cast<long>(digits.size());
  const long intLen = digitCount - decimals;
  long k = digitCount - decimals + afterPoint;  // index (from 1) of the digit for position i
  int fill = 0;

  auto digitAt = [&](long index) -> char {
    return index >= 1 && index <= digitCount ? digits[static_cast<size_t>(index - 1)] : 0;
  };
  // Whether the digits from index on form a number greater than zero.
  auto nonZeroFrom = [&](long index) {
    for (long j = std::max(index, 1L); j <= digitCount; ++j) {
      if (digits[static_cast<size_t>(j - 1)] != '0') return true;
    }
    return false;
  };

  // Pass 1: lay the digits in from the right.
  long i = length;
  for (; i > 0 && k > 0; --i) {
    char& c = out[static_cast<size_t>(i - 1)];
    char d = digitAt(k);
    switch (mask[static_cast<size_t>(i - 1)]) {
      case '9':
        c = d ? d : '0';
        fill = 0;
        --k;
        break;
      case 'Z':
      case 'z': {
        bool none = !d;
        if (i < length - afterPoint) {
          c = d ? d : ' ';
        } else if (nonZeroFrom(k) || afterPoint == 0) {
          c = d ? d : '0';
          none = false;
        } else {
          // A trailing zero of the decimals is suppressed.
          c = ' ';
          none = true;
        }
        fill = 32 + (none ? 256 : 0);
        --k;
        break;
      }
      case '*':
        c = d ? d : '*';
        fill = 42 + (d ? 0 : 256);
        --k;
        break;
      case '.':
        c = fill > 255 ? static_cast<char>(fill % 256) : decimalChar;
        afterPoint = 0;  // every position further left is integer part
        break;
      case ',':
        c = thousandsChar;
        break;
      case '-':
        if (!negative) c = ' ';
        if (afterPoint > 0) --k;
        break;
      case '+':
        c = negative ? '-' : '+';
        if (afterPoint > 0) --k;
        break;
      default:
        break;
    }
  }

  // Digits left over, or no room for the floating sign: the plain form, or "!" when even
  // that does not fit.
  if (k != 0 || (!isSigned && negative && i == 0)) {
    if (length < intLen + (negative ? 1 : 0)) return std::string(mask.size(), '!');
    const long integerDigits = std::max(intLen, 0L);
    std::string plain = negative ? "-" : "";
    plain += digits.substr(0, static_cast<size_t>(integerDigits));
    if (digitCount > intLen) plain.push_back(decimalChar);
    plain += digits.substr(static_cast<size_t>(integerDigits));
    if (static_cast<long>(plain.size()) > length) return plain.substr(0, mask.size());
    return std::string(mask.size() - plain.size(), ' ') + plain;
  }

  // Pass 2: the positions left of the number.
  bool negPending = negative;
  for (long j = i; j >= 1; --j) {
    char& c = out[static_cast<size_t>(j - 1)];
    const bool floatSign = negPending && !isSigned;
    switch (mask[static_cast<size_t>(j - 1)]) {
      case '9':
        if (floatSign && j < length - afterPoint) {
          c = '-';
          negPending = false;
        } else {
          c = '0';
        }
        fill = 0;
        break;
      case 'Z':
      case 'z':
        if (floatSign) {
          c = '-';
          negPending = false;
        } else if (j < length - afterPoint || value == 0) {
          c = ' ';
          fill = 256 + 32;
        } else {
          c = '0';
          fill = 32;
        }
        break;
      case '*':
        if (floatSign) {
          c = '-';
          negPending = false;
        } else {
          c = j < length - afterPoint ? '*' : '0';
        }
        fill = 42;
        break;
      case ',':
        if (floatSign) {
          c = '-';
          negPending = false;
        } else {
          c = fill != 0 ? static_cast<char>(fill % 256) : thousandsChar;
        }
        break;
      case '.':
        c = fill > 255 ? static_cast<char>(fill % 256) : decimalChar;
        break;
      case '-':
        if (!negPending) c = ' ';
        break;
      case '+':
        c = negPending ? '-' : '+';
        break;
      default:
        break;
    }
  }
  return out;
}

void resetNumberSettings() {
  numberSettings = NumberSettings();
}

}  // namespace talmidor
