#include "config/packed.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace talmidor {

namespace {

int digitValue(char c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

}  // namespace

std::string packDigits(const std::string& digits) {
  const size_t n = digits.size();
  size_t first = digits.find_first_not_of(' ');
  std::string core;
  if (first != std::string::npos) {
    size_t last = digits.find_last_not_of(' ');
    core = digits.substr(first, last - first + 1);
  }
  // Right-aligned in the original width with zeros in front; inner spaces count as zeros.
  std::string field = std::string(n - core.size(), '0') + core;
  std::string packed;
  packed.reserve((n + 1) / 2);
  for (size_t i = 0; i < n; i += 2) {
    int tens = digitValue(field[i]);
    int units = i + 1 < n ? digitValue(field[i + 1]) : 0;
    packed.push_back(static_cast<char>(128 + 10 * tens + units));
  }
  return packed;
}

std::string unpackDigits(const std::string& packed) {
  std::string digits;
  digits.reserve(packed.size() * 2);
  for (char c : packed) {
    int value = (static_cast<unsigned char>(c) & 127) % 100;
    digits.push_back(static_cast<char>('0' + value / 10));
    digits.push_back(static_cast<char>('0' + value % 10));
  }
  return digits;
}

double leadingNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::string integerDigits;
  std::string decimalDigits;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      (point ? decimalDigits : integerDigits).push_back(c);
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (integerDigits.empty() && decimalDigits.empty()) return 0;
  // Leading zeros would only make a long text longer for the conversion.
  size_t nonZero = integerDigits.find_first_not_of('0');
  integerDigits = nonZero == std::string::npos ? "0" : integerDigits.substr(nonZero);
  std::string number = integerDigits;
  if (!decimalDigits.empty()) number += "." + decimalDigits;
  double value = 0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    // Too many integer digits for a double: as large as it gets. Too small: zero.
    value = integerDigits != "0" ? std::numeric_limits<double>::max() : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0;
  }
  return negative ? -value : value;
}

int16_t roundedInt16(double value) {
  if (std::isnan(value)) return 0;
  double rounded = std::nearbyint(value);
  if (rounded > 32767) return 32767;
  if (rounded < -32768) return -32768;
  return static_cast<int16_t>(rounded);
}

}  // namespace talmidor
