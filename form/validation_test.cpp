#include "form/validation.h"

#include <gtest/gtest.h>

#include <map>

#include "config/packed.h"
#include "form/form_fixture.h"
#include "form/runtime.h"

namespace talmidor {
namespace {

class ValidationTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    writeFile("FORMS/TALMIDOR.QFM", formText(modulePages()));
    loadFormDefinition();
  }
};

// Each row changes page-1 values, answers the confirmation page (or not) and expects the
// result of the whole-form check.
TEST_F(ValidationTest, ThreeRulesThenTheConfirmationPage) {
  struct Case {
    const char* what;
    std::map<int, std::string> values;
    const char* answer;  // typed on page 2; nullptr: page 2 must not open
    int16_t expected;
  };
  std::map<int, std::string> noConcepts, noGroups;
  for (int f = 16; f <= 29; ++f) noConcepts[f] = "N";
  for (int f : {7, 10, 13}) noGroups[f] = "N";
  std::map<int, std::string> lastConceptOnly = noConcepts;
  lastConceptOnly[29] = "S";
  const Case cases[] = {
      {"defaults, answered S", {}, "S", 0},
      {"defaults, answered N", {}, "N", -1},
      {"defaults, confirmation left with Esc", {}, "\x1b", -1},
      {"codes 1.0 to 999.999", {{2, "1"}, {3, "0"}, {4, "999"}, {5, "999"}}, "S", 0},
      {"equal ends", {{2, "12"}, {3, "5"}, {4, "12"}, {5, "5"}}, "S", 0},
      {"reversed range 12.5 to 3.0", {{2, "12"}, {3, "5"}, {4, "3"}, {5, "0"}}, nullptr, -1},
      {"every concept N", noConcepts, nullptr, -1},
      {"one concept is enough", lastConceptOnly, "S", 0},
      {"every group N", noGroups, nullptr, -1},
      {"group 3 alone is enough", {{7, "N"}, {10, "N"}}, "S", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetFormTables();
    loadFormDefinition();
    storeFieldValue(field(2, 1), "X");
    for (const auto& [f, text] : c.values) storeFieldValue(field(1, static_cast<int16_t>(f)), text);
    if (c.answer != nullptr) {
      console.pushText(c.answer);
      if (c.answer[0] != '\x1b') console.pushKey(kEnter);
    }
    console.pushKey(kF10);  // must stay unread
    EXPECT_EQ(checkPageExit(1, kEnter), c.expected);
    EXPECT_EQ(console.pendingEvents(), 1u);
    if (c.answer == nullptr) {
      EXPECT_EQ(field(2, 1).value, "X") << "the confirmation page must not open";
    } else if (c.answer[0] != '\x1b') {
      EXPECT_EQ(field(2, 1).value, c.answer);
    } else {
      EXPECT_EQ(field(2, 1).value, " ") << "the answer starts blank";
    }
    console.nextEvent();
  }
  // Esc, and pages other than 1, pass without any check.
  for (int f = 16; f <= 29; ++f) storeFieldValue(field(1, static_cast<int16_t>(f)), "N");
  EXPECT_EQ(checkPageExit(1, kEsc), 0);
  EXPECT_EQ(checkPageExit(2, kEnter), 0);
}

TEST_F(ValidationTest, FailedCheckSendsTheCursorBackToTheFirstField) {
  for (int f = 16; f <= 29; ++f) storeFieldValue(field(1, static_cast<int16_t>(f)), "N");
  // Leave page 1 from its last field; the check fails silently and editing resumes on the
  // date field, where Esc leaves.
  keys({kPgDn, kEnter, kEsc});
  int16_t key = 0;
  runFormPage(1, key);
  EXPECT_EQ(key, kEsc);
  EXPECT_EQ(console.pendingEvents(), 0u);
  EXPECT_FALSE(console.scriptExhausted());
  EXPECT_EQ(console.beeps(), 0);
}

TEST_F(ValidationTest, ValueStoresKeepTheFieldLength) {
  EXPECT_EQ(validateField(1, "12345", 2, 0), 0);
  EXPECT_EQ(field(1, 2).value, "123");
  EXPECT_EQ(validateField(1, "", 8, 0), 0);
  EXPECT_EQ(field(1, 8).value, "  ");
  EXPECT_NE(validateField(1, "4x", 6, 0), 0) << "a number field refuses letters";
  EXPECT_EQ(field(1, 6).value, "3 ");
  EXPECT_NE(validateField(3, "1", 1, 0), 0) << "no such page";
  EXPECT_NE(validateField(1, "1", 30, 0), 0) << "no such field";
}

// The record areas of the module's files, bound in the file table as an open file would be.
class LookupCodeTest : public ValidationTest {
 protected:
  void SetUp() override {
    ValidationTest::SetUp();
    bind(39, 506, buildings, sizeof buildings);
    bind(38, 507, units, sizeof units);
    bind(37, 502, remittances, sizeof remittances);
  }
  void bind(int slot, int16_t fileNo, char* area, int32_t length) {
    FileSlot& s = keyedFileTable().slots[static_cast<size_t>(slot)];
    s.fileNo = fileNo;
    s.recordArea = area;
    s.recordLength = length;
  }
  static void put(char* area, size_t offset, const std::string& bytes) {
    bytes.copy(area + offset, bytes.size());
  }
  char buildings[204] = {};
  char units[448] = {};
  char remittances[76] = {};
};

TEST_F(LookupCodeTest, CodesAndListLinesOfTheFourLookups) {
  const std::string building = fitText("Finca del Carrer Major", 30);
  const std::string unit = fitText("Pis primer", 30);
  const std::string remittance = fitText("Remesa de gener", 30);
  put(buildings, 0, packDigits("0123"));
  put(buildings, 8, building);
  put(units, 0, packDigits("00120345"));
  put(units, 8, unit);
  put(units, 38, "Escala A  ");
  put(remittances, 0, packDigits("07"));
  put(remittances, 1, packDigits("12345678901234567890"));
  put(remittances, 16, remittance);
  put(remittances, 75, packDigits("01"));

  struct Case {
    int16_t lookup;
    int16_t variant;
    std::string code;
    std::string line;
  };
  const Case cases[] = {
      {1, 0, "123", "123  " + building},
      {2, 0, "345", "345  " + unit + "  Escala A  "},
      {3, 0, "345", "345  " + unit + "  Escala A  "},
      {4, 0, "07 ", "07  12345678901234567890  " + remittance},
      {4, 1, "107", "107 12345678901234567890  " + remittance},
      {5, 0, "xyz", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "lookup " << c.lookup << " variant " << c.variant);
    singleCustomerVariant() = c.variant;
    storeFieldValue(field(1, 2), "xyz");
    applyLookupChoice(c.lookup, 1, 2);
    EXPECT_EQ(field(1, 2).value, c.code);
    EXPECT_EQ(lookupRowText(c.lookup), c.line);
  }
}

}  // namespace
}  // namespace talmidor
