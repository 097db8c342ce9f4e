#include "text/numconv.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "config/packed.h"

namespace talmidor {

namespace {

// The decimal digits of a whole, finite, non-negative number; "" for 0.
std::string wholeDigits(double x) {
  if (x == 0) return "";
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", x);
  return buffer;
}

}  // namespace

std::string numberToPlainText(double v) {
  if (!std::isfinite(v)) return "";
  double x = std::fabs(v);
  size_t n = 0;
  // Terminates: once x reaches 2^52 every double is whole.
  while (x != std::floor(x)) {
    x *= 10;
    ++n;
  }
  std::string digits = wholeDigits(x);
  if (digits.size() < n) digits.insert(0, n - digits.size(), '0');
  std::string result = v < 0 ? "-" : "";
  result.append(digits, 0, digits.size() - n);
  if (n > 0) {
    result.push_back('.');
    result.append(digits, digits.size() - n, n);
  }
  return result;
}

std::string zeroPad(double v, int16_t width) {
  if (width <= 0) return "";
  std::string plain = numberToPlainText(std::fabs(v));
  std::string padded = std::string(static_cast<size_t>(width), '0') + plain;
  return padded.substr(padded.size() - static_cast<size_t>(width));
}

int16_t isInvalidNumberText(const std::string& text) {
  for (char c : text) {
    if (c != ' ' && (c < '0' || c > '9')) return -1;
  }
  return 0;
}

std::string packDottedCode(const std::string& text) {
  size_t dots = 0;
  for (char c : text) dots += c == '.' ? 1 : 0;
  // A 6-digit first group for a code of six characters without dots or of eleven with at
  // most one dot; every other group has four digits.
  size_t width = (text.size() == 6 && dots == 0) || (text.size() == 11 && dots < 2) ? 6 : 4;

  std::vector<std::string> groups;
  size_t start = 0;
  for (;;) {
    size_t dot = text.find('.', start);
    groups.push_back(
        text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  // Nothing after the last dot: that group is not written.
  if (groups.back().find_first_not_of(' ') == std::string::npos) groups.pop_back();

  std::string digits;
  for (const std::string& group : groups) {
    std::string written = "00000" + numberToPlainText(std::fabs(leadingNumber(group)));
    digits += written.size() > width ? written.substr(written.size() - width) : written;
    width = 4;
  }
  return packDigits(digits);
}

}  // namespace talmidor
