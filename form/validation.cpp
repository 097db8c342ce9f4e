#include "form/validation.h"

#include "config/packed.h"
#include "config/session.h"
#include "form/form_tables.h"
#include "form/runtime.h"
#include "keyed/keyed_files.h"
#include "text/date.h"
#include "text/numconv.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

// The module's data files whose records the lookup windows list.
constexpr int16_t kRemittancesFile = 502;  // TRemeses
constexpr int16_t kBuildingsFile = 506;    // FinquesV
constexpr int16_t kUnitsFile = 507;        // DepartaV

// count bytes of the record last read into the file's record area, from offset; bytes past
// the file's record length (or of a file that is not open) read as zero bytes.
std::string recordBytes(int16_t fileNo, size_t offset, size_t count) {
  std::string bytes(count, '\0');
  int16_t slot = findFileSlot(fileNo);
  if (slot <= 0) return bytes;
  const FileSlot& s = keyedFileTable().slots[static_cast<size_t>(slot)];
  if (s.recordArea == nullptr || s.recordLength <= 0) return bytes;
  size_t length = static_cast<size_t>(s.recordLength);
  for (size_t i = 0; i < count && offset + i < length; ++i) bytes[i] = s.recordArea[offset + i];
  return bytes;
}

std::string digits(int16_t fileNo, size_t offset, size_t count) {
  return unpackDigits(recordBytes(fileNo, offset, count));
}

std::string lastThree(const std::string& text) {
  return text.size() <= 3 ? text : text.substr(text.size() - 3);
}

// The code of the current remittance: its two digits, or with the single-customer variant
// the customer pair of byte 75 before them, less the first digit.
std::string remittanceCode() {
  if (singleCustomerVariant() != 0) {
    return lastThree(digits(kRemittancesFile, 75, 1) + digits(kRemittancesFile, 0, 1));
  }
  return digits(kRemittancesFile, 0, 1);
}

std::string valueOf(int16_t page, int16_t field) {
  const FormField* f = findField(page, field);
  return f == nullptr ? std::string() : f->value;
}

}  // namespace

int16_t validateField(int16_t page, std::string text, int16_t field, int16_t /*key*/) {
  FormField* f = findField(page, field);
  if (f == nullptr) return -1;
  int16_t result = 0;
  switch (f->attr[kValueType]) {
    case 1:
      if (isAllChar(text, 32) != 0) {
        text = fitText(dateToEditText(session().workDate), text.size());
      }
      result = isInvalidDate(text);
      if (result == 0) {
        const size_t length = f->value.size();
        if (fitText(text, length) != f->value) {
          // A new date sets the month field five places further on.
          if (FormField* month = findField(page, static_cast<int16_t>(field + 5))) {
            storeFieldValue(*month, numberToPlainText(lastParsedDate().month));
            showFieldValue(page, static_cast<int16_t>(field + 5));
          }
        }
        storeFieldValue(*f, text);
      }
      break;
    case 2:
    case 3:
      result = isInvalidNumberText(text);
      if (result == 0) storeFieldValue(*f, text);
      break;
    default:
      storeFieldValue(*f, text);
      break;
  }
  if (result == 0) showFieldValue(page, field);
  return result;
}

int16_t checkPageExit(int16_t page, int16_t key) {
  if (key == 27 || page != 1) return 0;
  std::string from = packDottedCode(valueOf(1, 2) + "." + valueOf(1, 3));
  std::string to = packDottedCode(valueOf(1, 4) + "." + valueOf(1, 5));
  bool rangeOk = !(from > to);
  bool conceptChosen = false;
  for (int16_t i = 1; i <= 14; ++i)
    conceptChosen |= valueOf(1, static_cast<int16_t>(15 + i)) == "S";
  bool groupChosen = valueOf(1, 7) == "S" || valueOf(1, 10) == "S" || valueOf(1, 13) == "S";
  if (!rangeOk || !conceptChosen || !groupChosen) return -1;

  // The confirmation page: its first field must be answered "S".
  FormField* answer = findField(2, 1);
  if (answer == nullptr) return -1;
  storeFieldValue(*answer, "");
  int16_t ownKey = 0;
  runFormPage(2, ownKey);
  return answer->value == "S" ? 0 : -1;
}

void applyLookupChoice(int16_t lookupNo, int16_t page, int16_t field) {
  std::string code;
  switch (lookupNo) {
    case 1:
      code = lastThree(digits(kBuildingsFile, 0, 2));
      break;
    case 2:
    case 3:
      code = lastThree(digits(kUnitsFile, 0, 4));
      break;
    case 4:
      code = remittanceCode();
      break;
    default:
      return;
  }
  validateField(page, code, field, 0);
}

std::string lookupRowText(int16_t lookupNo) {
  switch (lookupNo) {
    case 1:
      return lastThree(digits(kBuildingsFile, 0, 2)) + "  " + recordBytes(kBuildingsFile, 8, 30);
    case 2:
    case 3:
      return lastThree(digits(kUnitsFile, 0, 4)) + "  " + recordBytes(kUnitsFile, 8, 30) + "  " +
             recordBytes(kUnitsFile, 38, 10);
    case 4: {
      // The code column is four characters wide in both variants.
      std::string gap = singleCustomerVariant() != 0 ? " " : "  ";
      return remittanceCode() + gap + digits(kRemittancesFile, 1, 10) + "  " +
             recordBytes(kRemittancesFile, 16, 30);
    }
    default:
      return "";
  }
}

}  // namespace talmidor
