#pragma once
// The checks between the operator's typing and the stored values, and this module's
// knowledge of the records its lookup windows list.

#include <cstdint>
#include <string>

namespace talmidor {

// Checks text by the field's type and, when accepted, stores and shows it. 0 accepted,
// non-zero rejected (nothing stored). key is not used.
int16_t validateField(int16_t page, std::string text, int16_t field, int16_t key);

// The whole-form check when page 1 is left with any key but Esc: the code range, at least one
// concept, at least one collection group, then the confirmation page 2 answered "S".
// 0: the page may be left; non-zero: back to its first editable field.
int16_t checkPageExit(int16_t page, int16_t key);

// Types the code of the record that lookup lookupNo left in its file's record area into the
// field (through validateField). Lookups other than 1 to 4 do nothing.
void applyLookupChoice(int16_t lookupNo, int16_t page, int16_t field);

// The browse-list line of lookup lookupNo for the record just read; "" for other lookups.
std::string lookupRowText(int16_t lookupNo);

}  // namespace talmidor
