#include "form/loader.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "config/catalogue.h"
#include "config/packed.h"
#include "config/session.h"
#include "console/help.h"
#include "console/keys.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "keyed/keyed_files.h"
#include "platform/cp850.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "text/date.h"
#include "text/numconv.h"
#include "text/texthelp.h"

namespace talmidor {

namespace {

// A Catalan source text (written in UTF-8 here) in the operator's language.
std::string tr(std::string_view catalan) {
  return translate(std::string(catalan));
}

constexpr int16_t kScreenRows = 25;
constexpr int16_t kScreenColumns = 80;
// Page 1 of this module's form: the fields its defaults, checks and concept names use.
constexpr int16_t kModuleFieldsOnPageOne = 29;

// Reads the items of a form file: an item ends at a comma or at a line end (CR LF, and for
// files edited on Linux a lone LF or CR too); a byte 26 ends the file.
class ItemReader {
 public:
  explicit ItemReader(std::string bytes) : text_(std::move(bytes)) {
    size_t end = text_.find('\x1A');
    if (end != std::string::npos) text_.resize(end);
  }

  bool atEnd() const { return pos_ >= text_.size(); }

  // Skips lines whose first non-blank character is an apostrophe.
  void skipComments() {
    while (!atEnd()) {
      size_t lineEnd = text_.find_first_of("\r\n", pos_);
      if (lineEnd == std::string::npos) lineEnd = text_.size();
      size_t first = text_.find_first_not_of(" \t", pos_);
      if (first >= lineEnd || text_[first] != '\'') return;
      pos_ = lineEnd;
      skipLineEnd();
    }
  }

  std::string text() {
    while (!atEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    std::string item;
    if (!atEnd() && text_[pos_] == '"') {
      // A quoted item runs to the closing quote (a missing one ends it at the line end);
      // anything between the quote and the next comma or line end is dropped.
      ++pos_;
      while (!atEnd() && text_[pos_] != '"' && !isLineEnd(text_[pos_])) item += text_[pos_++];
      if (!atEnd() && text_[pos_] == '"') ++pos_;
      while (!atEnd() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) ++pos_;
    } else {
      while (!atEnd() && text_[pos_] != ',' && !isLineEnd(text_[pos_])) {
        char c = text_[pos_++];
        if (c != '\t') item += c;
      }
    }
    if (!atEnd()) {
      if (text_[pos_] == ',') {
        ++pos_;
      } else {
        skipLineEnd();
      }
    }
    return item;
  }

  int16_t number() { return roundedNumber(text()); }

  // Decimal numbers become 16-bit integers rounded to the nearest, halves to the even one;
  // values beyond the 16-bit range are held at its ends.
  static int16_t roundedNumber(const std::string& item) {
    double value = leadingNumber(item);
    double rounded = std::floor(value);
    double fraction = value - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
    if (rounded > 32767.0) return 32767;
    if (rounded < -32768.0) return -32768;
    return static_cast<int16_t>(rounded);
  }

 private:
  static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
  void skipLineEnd() {
    if (!atEnd() && text_[pos_] == '\r') ++pos_;
    if (!atEnd() && text_[pos_] == '\n') ++pos_;
  }

  std::string text_;
  size_t pos_ = 0;
};

std::string numberText(int value) {
  return std::to_string(value);
}

std::string pageProblem(int page, std::string_view catalan) {
  return tr("PÀGINA"_cp) + " " + numberText(page) + ": " + tr(catalan);
}

std::string lookupProblem(int lookup, std::string_view catalan) {
  return tr("FINESTRA DE CONSULTA"_cp) + " " + numberText(lookup) + ": " + tr(catalan);
}

bool onScreen(int top, int left, int bottom, int right, int minimumSpan) {
  return top >= 1 && left >= 1 && bottom <= kScreenRows && right <= kScreenColumns &&
         bottom - top >= minimumSpan && right - left >= minimumSpan;
}

// What is wrong with the tables just read, or "".
std::string checkTables() {
  FormTables& t = formTables();
  const int lookups = static_cast<int>(t.lookups.size()) - 1;
  for (int p = 1; p <= t.pageCount; ++p) {
    const FormPage& page = t.pages[p];
    if (page.linkedPage < 0 || page.linkedPage > t.pageCount) {
      return pageProblem(p, "LA PÀGINA ENLLAÇADA NO EXISTEIX"_cp);
    }
    if (page.window[0] != 0 &&
        !onScreen(page.window[0], page.window[1], page.window[2], page.window[3], 1)) {
      return pageProblem(p, "LA FINESTRA SURT DE LA PANTALLA"_cp);
    }
    for (int f = 1; f <= page.fieldCount; ++f) {
      int16_t lookupNo = page.fields[f].attr[kLookupNo];
      if (lookupNo < 0 || lookupNo > lookups) {
        return pageProblem(p, "UN CAMP OBRE UNA FINESTRA DE CONSULTA QUE NO EXISTEIX"_cp);
      }
    }
  }
  for (int k = 1; k <= lookups; ++k) {
    const LookupWindowDef& w = t.lookups[k];
    if (w.filterPage < 0 || w.filterPage > t.pageCount) {
      return lookupProblem(k, "LA PÀGINA DE FILTRE NO EXISTEIX"_cp);
    }
    if (w.nestedLookupNo < 0 || w.nestedLookupNo > lookups) {
      return lookupProblem(k, "LA FINESTRA DE CONSULTA NIADA NO EXISTEIX"_cp);
    }
    // The list needs at least one line of one character inside the frame.
    if (!onScreen(w.top, w.left, w.bottom, w.right, 2)) {
      return lookupProblem(k, "LA FINESTRA SURT DE LA PANTALLA"_cp);
    }
  }
  return "";
}

// Waits for one key after a fatal message, closes everything and ends with status 1.
[[noreturn]] void endWithMessage(const std::string& message) {
  showMessageBox(12, message);
  platform().console->beep();
  waitKey();
  popScreen();
  int16_t status = 0;
  closeAllKeyedFiles(status);
  platform().system->endProcess(1);
  // endProcess does not return; this keeps a null system from falling through.
  std::abort();
}

}  // namespace

std::string formFilePath() {
  return session().dataRoot + "FORMS\\" + session().programName + ".QFM";
}

std::string readFormDefinition(const std::string& hostFile) {
  FormTables& t = formTables();
  t = FormTables();
  std::error_code ec;
  std::ifstream in(hostFile, std::ios::binary);
  if (!std::filesystem::is_regular_file(hostFile, ec) || !in.is_open()) {
    return tr("EL FITXER NO EXISTEIX O NO ES POT LLEGIR"_cp);
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return tr("EL FITXER NO EXISTEIX O NO ES POT LLEGIR"_cp);
  ItemReader reader(std::move(bytes));

  // Header.
  reader.skipComments();
  t.pageCount = reader.number();
  t.maxFields = reader.number();
  if (t.pageCount < 1) return tr("EL FORMULARI NO TÉ CAP PÀGINA"_cp);
  t.pages.resize(static_cast<size_t>(t.pageCount) + 1);
  t.lookups.resize(1);

  // Page blocks; what the file does not hold keeps empty texts and zero numbers.
  for (int p = 1; p <= t.pageCount && !reader.atEnd(); ++p) {
    reader.skipComments();
    if (reader.atEnd()) break;
    FormPage& page = t.pages[p];
    page.pageKeys = reader.text();
    page.fieldCount = reader.number();
    page.linkedPage = reader.number();
    for (int16_t& bound : page.window) bound = reader.number();
    if (page.fieldCount < 0 || page.fieldCount > t.maxFields) {
      return pageProblem(p, "TÉ MÉS CAMPS DELS QUE PERMET LA CAPÇALERA"_cp);
    }
    page.fields.resize(static_cast<size_t>(page.fieldCount) + 1);
    for (int f = 1; f <= page.fieldCount && !reader.atEnd(); ++f) {
      FormField& field = page.fields[f];
      field.attr[kRow] = reader.number();
      field.attr[kColumn] = reader.number();
      field.label = reader.text();
      for (int a = kLength; a <= kLookupNo; ++a) field.attr[a] = reader.number();
      field.choiceList = reader.text();
      storeFieldValue(field, "");
      field.label = translate(field.label);
      field.choiceList = translate(field.choiceList);
    }
  }

  // Lookup windows.
  reader.skipComments();
  if (!reader.atEnd()) {
    int16_t count = reader.number();
    if (count < 0) return tr("EL NOMBRE DE FINESTRES DE CONSULTA NO ÉS VÀLID"_cp);
    t.lookups.resize(static_cast<size_t>(count) + 1);
    for (int k = 1; k <= count && !reader.atEnd(); ++k) {
      reader.skipComments();
      if (reader.atEnd()) break;
      LookupWindowDef& w = t.lookups[k];
      w.fileNo = reader.number();
      w.keyNo = reader.number();
      w.top = reader.number();
      w.left = reader.number();
      w.bottom = reader.number();
      w.right = reader.number();
      w.filterPage = reader.number();
      w.title = translate(reader.text());
      w.nestedLookupNo = reader.number();
    }
  }
  return checkTables();
}

void applyPageOneDefaults() {
  auto set = [](int16_t field, const std::string& text) {
    if (FormField* f = findField(1, field)) storeFieldValue(*f, text);
  };
  const std::string& workDate = session().workDate;
  set(1, dateToEditText(workDate));
  set(2, "1");
  set(3, "0");
  set(4, "999");
  set(5, "999");
  std::string monthByte = workDate.size() >= 3 ? workDate.substr(2, 1) : "";
  set(6, numberToPlainText(leadingNumber(unpackDigits(monthByte))));
  for (int16_t f : {7, 10, 13}) set(f, "S");
  for (int16_t f : {8, 11, 14}) set(f, "");
  for (int16_t f : {9, 12, 15}) set(f, "99");
  for (int16_t f = 16; f <= 29; ++f) set(f, "S");

  if (singleCustomerVariant() == 0) return;
  for (int16_t f : {8, 9, 11, 12, 14, 15}) {
    FormField* field = findField(1, f);
    if (field == nullptr) continue;
    field->attr[kLength] = 3;
    field->attr[kColumn] = static_cast<int16_t>(field->attr[kColumn] - 1);
    field->value = (f == 8 || f == 11 || f == 14) ? "   " : "999";
  }
}

void loadFormDefinition() {
  const std::string path = formFilePath();
  std::string problem = readFormDefinition(hostPath(path));
  if (problem.empty()) {
    FormTables& t = formTables();
    if (t.pages[1].fieldCount < kModuleFieldsOnPageOne) {
      problem = tr("LA PÀGINA 1 HA DE TENIR 29 CAMPS COM A MÍNIM"_cp);
    } else if (t.pageCount < 2) {
      problem = tr("FALTA LA PÀGINA 2 DE CONFIRMACIÓ"_cp);
    }
  }
  if (!problem.empty()) {
    // The file on the box's first line, what is wrong with it on the next.
    std::string head = tr("EL FORMULARI NO ES POT FER SERVIR:"_cp) + " " + path;
    endWithMessage(fitText(head, (head.size() + 75) / 76 * 76) + problem);
  }
  applyPageOneDefaults();
}

}  // namespace talmidor
