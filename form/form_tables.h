#pragma once
// The form tables: the pages of the form with their fields, and the lookup windows, as the
// form definition file describes them. One process-wide instance, filled by the loader.

#include <cstdint>
#include <string>
#include <vector>

namespace talmidor {

// Index of a field attribute in FormField::attr.
enum FieldAttribute : int {
  kRow = 0,         // row of the label (inside a page window, relative to it)
  kColumn = 1,      // column of the label; the value starts right after the label
  kLength = 2,      // characters of the value
  kLineWidth = 3,   // 0: one line; else the value is shown in lines of this width
  kTrailWidth = 4,  // columns after the value that belong to the field
  kFlags = 5,       // bit sum of the kFlag... values below
  kValueType = 6,   // 1 date, 2 and 3 numbers, 4 "S"/"N" switch, other text
  kLookupNo = 7,    // lookup window opened by F4 (0 none)
};

// Bits of attr[kFlags].
constexpr int16_t kFlagBlankStart = 1;   // edit starts blank; a blank entry keeps the value
constexpr int16_t kFlagHidden = 2;       // never shown, typed text echoed masked
constexpr int16_t kFlagDisabled = 4;     // skipped, shown as dashes
constexpr int16_t kFlagCursorAtEnd = 8;  // cursor starts after the last non-blank

struct FormField {
  std::string label;       // already translated
  std::string choiceList;  // "|code,description|..."; already translated
  std::string value;       // always exactly attr[kLength] characters
  int16_t attr[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

struct FormPage {
  std::string pageKeys;  // key list that ends the editing of the page (F1 is added)
  int16_t fieldCount = 0;
  int16_t linkedPage = 0;
  int16_t window[4] = {0, 0, 0, 0};  // top, left, bottom, right; top 0 = whole screen
  std::vector<FormField> fields;     // 1-based: fields[0] is never used
};

struct LookupWindowDef {
  int16_t fileNo = 0;  // below 1: no data file
  int16_t keyNo = 0;
  int16_t top = 0, left = 0, bottom = 0, right = 0;
  int16_t filterPage = 0;
  std::string title;  // already translated
  int16_t nestedLookupNo = 0;
};

struct FormTables {
  int16_t pageCount = 0;
  int16_t maxFields = 0;
  std::vector<FormPage> pages;           // 1-based: pages[0] is never used
  std::vector<LookupWindowDef> lookups;  // 1-based: lookups[0] is never used
};

FormTables& formTables();
// Empty tables and singleCustomerVariant off: the state of a fresh process.
void resetFormTables();

// The field, or nullptr when the page or field number lies outside the tables.
FormField* findField(int16_t page, int16_t field);
// The page, or nullptr when the number lies outside the tables.
FormPage* findPage(int16_t page);
// The lookup window, or nullptr when the number lies outside the tables.
LookupWindowDef* findLookup(int16_t lookupNo);

// Stores text into a field's value, left aligned, padded with blanks or cut to its length.
void storeFieldValue(FormField& field, const std::string& text);

// 1 when this installation is the single-customer one (decided once at start-up), else 0.
int16_t& singleCustomerVariant();

}  // namespace talmidor
