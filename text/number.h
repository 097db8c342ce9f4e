#pragma once
// Numbers shown through edit masks ("ZZZ,ZZ9.99-") with the installation's decimal and
// thousands characters.

#include <string>

namespace talmidor {

// The mask filled with value; always as long as the mask. A number too wide for the mask
// comes back in plain form right-aligned, or as a row of "!" when even that does not fit.
std::string formatNumber(const std::string& mask, double value);

// Forgets the loaded decimal and thousands characters.
void resetNumberSettings();

}  // namespace talmidor
