#pragma once
// The form runtime: draws a page of the form and lets the operator edit its fields one after
// another until a key leaves the page.

#include <cstdint>

namespace talmidor {

// Runs page |page| (negative: as a page nested in another, which changes only Up on its first
// field). key receives the key that left the page; it is left as it was when the page has no
// editable field.
void runFormPage(int16_t page, int16_t& key);

// Draws the programme title, the labels, this module's page-1 headings and every value.
void drawFormPage(int16_t page);

// Shows one value by its type and flags; a switch also enables or disables the two fields
// after it.
void showFieldValue(int16_t page, int16_t field);

}  // namespace talmidor
