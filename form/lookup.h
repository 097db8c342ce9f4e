#pragma once
// Lookup windows: a framed list of the records of a keyed file in key order, produced one
// record at a time and kept in Browse.tmp of the work directory for scrolling back.

#include <cstdint>
#include <string>

namespace talmidor {

// Opens lookup window lookupNo. result: 0 a record was chosen (it is in the data file's record
// area, or the window has no data file), -1 nothing chosen, any other value the status of
// reading the chosen record back.
void openLookup(int16_t lookupNo, int16_t& result);

// The same; chosenLookupNo receives the number of the window in which the choice was made:
// lookupNo itself, or the nested window's number when the choice was made in a window opened
// with F4 from inside this one. The caller builds the field's code with that number.
void openLookup(int16_t lookupNo, int16_t& result, int16_t& chosenLookupNo);

// The start key of this module's lookups: for 2 and 3 the packed dotted code "0" + the value
// of page-1 field 2 (field 4 for lookup 3); "" for the others. The list holds only records
// whose key begins with it.
std::string lookupStartKey(int16_t lookupNo);

}  // namespace talmidor
