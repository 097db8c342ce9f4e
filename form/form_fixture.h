#pragma once
// Fixture of the form and module tests: the shared test environment with every process-wide
// table of the form engine and the layers under it reset, the work directory and data root in
// the temporary directory, and builders for small form files and keyed data files.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/session.h"
#include "console/editor.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "form/loader.h"
#include "keyed/keyed_files.h"
#include "keyed/keyed_fixture.h"
#include "platform/cp850.h"
#include "platform/memory_console.h"
#include "platform/platform.h"
#include "store/file_definition.h"
#include "store/record_manager.h"
#include "testing/module_state.h"
#include "testing/test_environment.h"
#include "text/date.h"
#include "text/number.h"
#include "text/texthelp.h"

namespace talmidor {

// One field record of a form file.
struct FieldSpec {
  int row = 0, column = 0;
  std::string label;
  int length = 0, lineWidth = 0, trailWidth = 0, flags = 0, valueType = 0, lookupNo = 0;
  std::string choiceList;
};

inline FieldSpec fieldSpec(int row, int column, const std::string& label, int length,
                           int valueType = 0, int lookupNo = 0) {
  FieldSpec f;
  f.row = row;
  f.column = column;
  f.label = label;
  f.length = length;
  f.valueType = valueType;
  f.lookupNo = lookupNo;
  return f;
}

struct PageSpec {
  std::string keys = "d,1b,4800,5000,4900,5100,3c00,2";
  int linkedPage = 0;
  std::array<int, 4> window{0, 0, 0, 0};
  std::vector<FieldSpec> fields;
};

struct LookupSpec {
  int fileNo = 0, keyNo = 0, top = 0, left = 0, bottom = 0, right = 0, filterPage = 0;
  std::string title;
  int nestedLookupNo = 0;
};

// The text of a form file (CR LF line ends) with these pages and lookup windows.
inline std::string formText(const std::vector<PageSpec>& pages,
                            const std::vector<LookupSpec>& lookups = {}) {
  auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
  size_t maxFields = 0;
  for (const PageSpec& p : pages) maxFields = std::max(maxFields, p.fields.size());
  std::string out = std::to_string(pages.size()) + "," + std::to_string(maxFields) + "\r\n";
  for (const PageSpec& p : pages) {
    out +=
        quoted(p.keys) + "," + std::to_string(p.fields.size()) + "," + std::to_string(p.linkedPage);
    for (int bound : p.window) out += "," + std::to_string(bound);
    out += "\r\n";
    for (const FieldSpec& f : p.fields) {
      out += std::to_string(f.row) + "," + std::to_string(f.column) + "," + quoted(f.label) + "," +
             std::to_string(f.length) + "," + std::to_string(f.lineWidth) + "," +
             std::to_string(f.trailWidth) + "," + std::to_string(f.flags) + "," +
             std::to_string(f.valueType) + "," + std::to_string(f.lookupNo) + "," +
             quoted(f.choiceList) + "\r\n";
    }
  }
  out += std::to_string(lookups.size()) + "\r\n";
  for (const LookupSpec& k : lookups) {
    out += std::to_string(k.fileNo) + "," + std::to_string(k.keyNo) + "," + std::to_string(k.top) +
           "," + std::to_string(k.left) + "," + std::to_string(k.bottom) + "," +
           std::to_string(k.right) + "," + std::to_string(k.filterPage) + "," + quoted(k.title) +
           "," + std::to_string(k.nestedLookupNo) + "\r\n";
  }
  return out;
}

// Page 1 shaped like this module's: field 1 a date, 2..5 the code range, 6 the month, 7, 10
// and 13 switches each followed by two code fields, 16..29 the concept switches; page 2 the
// confirmation question. Lookups 1..4 are declared on fields 8, 2, 4 and 11 when given.
inline std::vector<PageSpec> modulePages() {
  PageSpec one;
  one.keys = "d,1b,4800,5000,4900,5100,2";
  auto add = [&one](int row, int column, const std::string& label, int length, int type) {
    one.fields.push_back(fieldSpec(row, column, label, length, type));
  };
  add(3, 2, "Data: ", 8, 1);
  add(5, 2, "Des de: ", 3, 0);
  add(5, 15, ".", 3, 0);
  add(6, 2, "Fins a: ", 3, 0);
  add(6, 15, ".", 3, 0);
  add(3, 30, "Mes: ", 2, 3);
  for (int group = 0; group < 3; ++group) {
    int column = 2 + 26 * group;
    add(11, column, "G" + std::to_string(group + 1) + " ", 1, 4);
    add(11, column + 5, "de ", 2, 0);
    add(11, column + 12, "a ", 2, 0);
  }
  for (int c = 1; c <= 14; ++c) {
    int row = 14 + (c - 1) % 7;
    int column = 2 + 40 * ((c - 1) / 7);
    add(row, column,
        "C" + std::string(c < 10 ? "0" : "") + std::to_string(c) + ": ......................", 1,
        0);
  }
  PageSpec two;
  two.keys = "d,1b,2";
  two.window = {10, 20, 14, 60};
  two.fields.push_back(fieldSpec(2, 3, "Correcte (S/N)? ", 1));
  return {one, two};
}

class FormTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetFormState();
    placeSessionIn(dir(), system);
    session().programDir = dir() + "bin/";
    session().programName = "TALMIDOR";
    session().workDate = std::string("\x94\x9A\x83\x8F", 4);  // 15 March 2026, packed
  }
  void TearDown() override {
    int16_t status = 0;
    closeAllKeyedFiles(status);
    resetFormState();
    TestEnvironment::TearDown();
  }

  // Writes the form as the module's form file and reads it; fails the test when the reader
  // finds it unusable.
  void useForm(const std::string& text) {
    writeFile("FORMS/TALMIDOR.QFM", text);
    std::string problem = readFormDefinition(dir() + "FORMS/TALMIDOR.QFM");
    ASSERT_EQ(problem, "");
  }
  void useForm(const std::vector<PageSpec>& pages, const std::vector<LookupSpec>& lookups = {}) {
    useForm(formText(pages, lookups));
  }

  FormField& field(int16_t page, int16_t number) {
    FormField* f = findField(page, number);
    EXPECT_NE(f, nullptr) << "page " << page << " field " << number;
    return f != nullptr ? *f : missingField_;
  }

  // Creates a keyed data file at hostFile through the record manager: records of
  // recordLength bytes with one key on their first keyLength bytes, then these records.
  static void makeDataFile(const std::string& hostFile, uint16_t recordLength, uint16_t keyLength,
                           const std::vector<std::string>& records) {
    FileDefinition def;
    def.recordLength = recordLength;
    KeySpec key;
    key.segments.push_back(makeSegment(1, keyLength, kKeyDuplicates));
    def.keys.push_back(key);
    std::filesystem::create_directories(std::filesystem::path(hostFile).parent_path());
    std::vector<std::string> padded = records;
    for (std::string& r : padded) r.resize(recordLength, ' ');
    talmidor::makeDataFile(hostFile, def, padded);
  }

  // The screen as one text, rows joined by "\n", for searching.
  std::string screenText() const {
    std::string text;
    for (const std::string& row : console.lines()) text += row + "\n";
    return text;
  }

  void keys(std::initializer_list<int16_t> codes) {
    for (int16_t code : codes) console.pushKey(code);
  }

 private:
  FormField missingField_;
};

// A console that remembers the screen at every key it hands out, so a test can see windows
// that are closed again before the call under test returns.
class RecordingConsole : public MemoryConsole {
 public:
  ConsoleEvent nextEvent() override {
    ConsoleEvent event = MemoryConsole::nextEvent();
    if (event.kind == ConsoleEvent::Kind::Key) {
      std::string text;
      for (const std::string& row : lines()) text += row + "\n";
      screens.push_back(text);
      if (onKey) onKey();
    }
    return event;
  }
  bool sawText(const std::string& text) const {
    for (const std::string& screen : screens) {
      if (screen.find(text) != std::string::npos) return true;
    }
    return false;
  }
  std::vector<std::string> screens;
  std::function<void()> onKey;
};

// Ends the process as the test system does, after putting every screen the console handed a
// key out on on the standard error, so that death tests can match the messages shown.
class ReportingSystem : public TestSystem {
 public:
  explicit ReportingSystem(RecordingConsole& console) : console_(console) {}
  [[noreturn]] void endProcess(int exitCode) override {
    for (const std::string& screen : console_.screens) {
      std::fputs(cp850ToUtf8(screen).c_str(), stderr);
    }
    std::fflush(stderr);
    std::_Exit(exitCode);
  }

 private:
  RecordingConsole& console_;
};

}  // namespace talmidor
