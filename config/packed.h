#pragma once
// The packed digit form (two decimal digits per byte, byte = 128 + their value) and the
// suite's text-to-number rule.

#include <cstdint>
#include <string>

namespace talmidor {

// Packs a digit text into (length + 1) / 2 bytes. The text is first right-aligned without
// its outer spaces and zero-filled; non-digits count as 0, and an odd length packs its last
// digit as the tens of the last byte.
std::string packDigits(const std::string& digits);

// Two decimal digits per byte of (byte AND 127), the last two when that is 100 or more.
std::string unpackDigits(const std::string& packed);

// Leading blanks skipped, optional sign, digits and at most one decimal point; 0 when the
// text does not begin with a number.
double leadingNumber(const std::string& text);

// A number rounded to a whole number (halves to the even neighbour) and held within the
// 16-bit range; 0 for a value that is not a number.
int16_t roundedInt16(double value);

}  // namespace talmidor
