#include "text/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "testing/test_environment.h"

namespace talmidor {
namespace {

class NumberTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetNumberSettings();
  }
  void TearDown() override {
    resetNumberSettings();
    TestEnvironment::TearDown();
  }
};

struct Case {
  std::string mask;
  double value;
  std::string expected;
};

// Between bars, so that leading and trailing spaces show in a failure.
std::string barred(const std::string& text) {
  std::string shown = "|";
  shown += text;
  shown += '|';
  return shown;
}

// Formats every row; the message shows the row so that a failure names its case.
void expectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(barred(formatNumber(c.mask, c.value)), barred(c.expected))
        << "mask " << c.mask << " value " << c.value;
  }
}

TEST_F(NumberTest, MasksWithTheDefaultSeparators) {
  expectAll({
      {"ZZ9", 0, "  0"},
      {"ZZ9", 5, "  5"},
      {"ZZ9", -5, " -5"},
      {"ZZ9", 1234, "!!!"},
      {"ZZ9", -123, "!!!"},
      {"ZZZ9", -12, " -12"},
      {"9999", -5, "00-5"},
      {"99", -12, "!!"},
      {"ZZZ,ZZ9", 1234, "  1.234"},
      {"ZZZ,ZZ9", 123, "    123"},
      {"***,**9", 123, "****123"},
      {"999,999", 1234, "001.234"},
      {"999.99", 123.456, "123'46"},
      {"99.99", 0, "00'00"},
      {"ZZ9.99", 0.05, "  0'05"},
      {"ZZZ.ZZ", 1.5, "  1'5 "},
      {"ZZZ.ZZ", 1, "  1   "},
      {"ZZZ,ZZ9.ZZ", 0, "      0   "},
      {"ZZ9", 2.5, "  2"},
      {"ZZ9", 3.5, "  4"},
      {"ZZ9.99", 0.125, "  0'12"},
      {"ZZ9.99", 0.375, "  0'38"},
      {"ZZ9.99-", -3.25, "  3'25-"},
      {"ZZ9.99-", 3.25, "  3'25 "},
      {"+ZZ9", 7, "+  7"},
      {"+ZZ9", -7, "-  7"},
      {"-ZZ,ZZZ,ZZZ,ZZZ,ZZ9.99", -1234567.5, "-         1.234.567'50"},
      {"Z,ZZ9.99", -1234.5, "-1234'50"},
      {"Z,ZZZ", 0, "     "},
      {"Z,ZZZ", 0.4, "    0"},
      {"ZZ9%", 12, " 12%"},
      {"zz9", 42, " 42"},
      {"", 5, ""},
      {"ABC", 5, "  5"},  // no digit position: the plain form
      {"9", 12, "!"},
      {"99.9", 123.4, "123'"},  // plain form cut to the mask
      {"999", 12.6, "013"},
      {"ZZZ,ZZ9.99", 1234567.891, "1234567'89"},
  });
}

TEST_F(NumberTest, InstallationSeparatorsAreReadOnce) {
  writeFile("Kelo.ini", "[Usuari]\r\nDecCaracter=,\r\nMilCaracter= \r\n");
  system.env["ZUBROOT"] = dir();
  expectAll({{"ZZZ,ZZ9.99", 1234.5, "  1.234,50"}});
  writeFile("Kelo.ini", "[Usuari]\r\nDecCaracter=#\r\nMilCaracter=_\r\n");
  expectAll({{"ZZZ,ZZ9.99", 1234.5, "  1.234,50"}});
  resetNumberSettings();
  expectAll({{"ZZZ,ZZ9.99", 1234.5, "  1_234#50"}});
}

TEST_F(NumberTest, ValuesOutsideTheNumbersNeverBreakIt) {
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(formatNumber("ZZ9.99", infinity), "!!!!!!");
  EXPECT_EQ(formatNumber("ZZ9.99", std::nan("")), "  0'00");
  EXPECT_EQ(formatNumber("ZZ9", 1e300), "!!!");
  EXPECT_EQ(formatNumber("-ZZ,ZZZ,ZZZ,ZZZ,ZZ9.99", -1e308).size(), 22u);
  EXPECT_EQ(formatNumber(std::string(1 << 20, '9'), 5).size(), size_t{1} << 20);
}

}  // namespace
}  // namespace talmidor
