#pragma once
// Small conversions between numbers and the digit texts of forms, keys and dates.

#include <cstdint>
#include <string>

namespace talmidor {

// Shortest plain decimal form: "-" for negatives, integer digits without a leading "0",
// "." and decimals; "" for zero ("12.5", ".5", "-3").
std::string numberToPlainText(double v);

// Exactly width digits of |v| with leading zeros; more digits keep the last width of them.
std::string zeroPad(double v, int16_t width);

// -1 when the text holds anything besides digits and spaces; 0 otherwise (also for "").
int16_t isInvalidNumberText(const std::string& text);

// Packs a dotted code ("12.345" -> digits 00120345) into packed digits: each group keeps its
// last four digits (six for the first group of a 6-character code without dots or an
// 11-character code with at most one dot); an empty last group is dropped.
std::string packDottedCode(const std::string& text);

}  // namespace talmidor
