#include "form/form_tables.h"

#include "text/texthelp.h"

namespace talmidor {

namespace {
FormTables tables;
int16_t variant = 0;
}  // namespace

FormTables& formTables() {
  return tables;
}

void resetFormTables() {
  tables = FormTables();
  variant = 0;
}

FormPage* findPage(int16_t page) {
  if (page < 1 || page > tables.pageCount || static_cast<size_t>(page) >= tables.pages.size()) {
    return nullptr;
  }
  return &tables.pages[page];
}

FormField* findField(int16_t page, int16_t field) {
  FormPage* p = findPage(page);
  if (p == nullptr || field < 1 || field > p->fieldCount ||
      static_cast<size_t>(field) >= p->fields.size()) {
    return nullptr;
  }
  return &p->fields[field];
}

LookupWindowDef* findLookup(int16_t lookupNo) {
  if (lookupNo < 1 || static_cast<size_t>(lookupNo) >= tables.lookups.size()) return nullptr;
  return &tables.lookups[lookupNo];
}

void storeFieldValue(FormField& field, const std::string& text) {
  size_t length = field.attr[kLength] > 0 ? static_cast<size_t>(field.attr[kLength]) : 0;
  field.value = fitText(text, length);
}

int16_t& singleCustomerVariant() {
  return variant;
}

}  // namespace talmidor
