#include "text/numconv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config/packed.h"

namespace talmidor {
namespace {

TEST(NumconvTest, NumberToPlainText) {
  struct Case {
    double value;
    std::string expected;
  };
  const Case cases[] = {
      {3, "3"},      {12.5, "12.5"}, {0.5, ".5"}, {-0.5, "-.5"},
      {0.05, ".05"}, {0, ""},        {-3, "-3"},  {1e15, "1000000000000000"},
      {12, "12"},    {0.25, ".25"},  {-0.0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(numberToPlainText(c.value), c.expected) << c.value;
  }
  EXPECT_EQ(numberToPlainText(std::nan("")), "");
  EXPECT_EQ(numberToPlainText(INFINITY), "");
  EXPECT_FALSE(numberToPlainText(1e-300).empty()) << "a tiny value ends too";
}

TEST(NumconvTest, ZeroPad) {
  struct Case {
    double value;
    int16_t width;
    std::string expected;
  };
  const Case cases[] = {
      {5, 2, "05"}, {2024, 4, "2024"}, {12345, 4, "2345"}, {-5, 3, "005"},
      {0, 2, "00"}, {7, 0, ""},        {7, -1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(zeroPad(c.value, c.width), c.expected) << c.value << " width " << c.width;
  }
}

TEST(NumconvTest, IsInvalidNumberText) {
  struct Case {
    std::string text;
    int16_t expected;
  };
  const Case cases[] = {
      {" 12 ", 0}, {"", 0},    {"   ", 0}, {"0123456789", 0}, {"12.5", -1},
      {"-3", -1},  {"+3", -1}, {"1a", -1}, {"\xfd", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isInvalidNumberText(c.text), c.expected) << "|" << c.text << "|";
  }
}

TEST(NumconvTest, PackDottedCode) {
  struct Case {
    std::string text;
    std::string digits;
  };
  const Case cases[] = {
      {"12.345", "00120345"},
      {"012345", "012345"},
      {"0123.45", "01230045"},
      {"012345.6789", "0123456789"},
      {"12.", "0012"},
      {"12..3", "001200000003"},
      {"123456.7", "34560007"},  // 8 characters: a 4-digit first group
      {"  1.  2", "00010002"},   // spaces around a group
      {"ab.12", "00000012"},     // a group that is not a number counts as 0
      {"12.  ", "0012"},         // a last group of spaces is not written
      {"", ""},
      {"1.2.3.4", "0001000200030004"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unpackDigits(packDottedCode(c.text)), c.digits) << "|" << c.text << "|";
  }
}

}  // namespace
}  // namespace talmidor
