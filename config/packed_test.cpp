#include "config/packed.h"

#include <gtest/gtest.h>

#include <string>

namespace talmidor {
namespace {

TEST(PackedTest, PacksAndUnpacksDigits) {
  struct Case {
    std::string digits;
    std::string packed;
  };
  const Case cases[] = {
      {"20240305", "\x94\x98\x83\x85"},
      {" 305", "\x83\x85"},  // right-aligned, zero-filled
      {"123", "\x8C\x9E"},   // odd length: last digit is the tens of the last byte
      {"1 3", "\x8A\x9E"},   // an inner space counts as 0
      {"a9", "\x89"},        // a non-digit counts as 0
      {"00000000", "\x80\x80\x80\x80"},
      {"", ""},
      {"    ", "\x80\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(packDigits(c.digits), c.packed) << "|" << c.digits << "|";
  }
  EXPECT_EQ(unpackDigits("\x94\x98\x83\x85"), "20240305");
  EXPECT_EQ(unpackDigits(" "), "32") << "the top bit is cleared";
  EXPECT_EQ(unpackDigits("\xE4\xFF"), "0027") << "values above 99 keep their last two digits";
  EXPECT_EQ(unpackDigits(""), "");
}

TEST(PackedTest, LeadingNumberReadsTheNumberAtTheStart) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {"12", 12},     {"  2", 2}, {"-3.5x", -3.5}, {"+4", 4},  {".5", 0.5},
      {"1.2.3", 1.2}, {"abc", 0}, {"", 0},         {"-", 0},   {" . ", 0},
      {"07", 7},      {"1e5", 1}, {"12 3", 12},    {"\t9", 9}, {"0002.50", 2.5},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(leadingNumber(c.text), c.expected) << "|" << c.text << "|";
  }
  EXPECT_GT(leadingNumber(std::string(1 << 20, '9')), 1e300) << "a 1 MB number saturates";
}

TEST(PackedTest, RoundedInt16RoundsHalvesToEvenAndClamps) {
  EXPECT_EQ(roundedInt16(2.5), 2);
  EXPECT_EQ(roundedInt16(3.5), 4);
  EXPECT_EQ(roundedInt16(-1.6), -2);
  EXPECT_EQ(roundedInt16(1e9), 32767);
  EXPECT_EQ(roundedInt16(-1e9), -32768);
}

}  // namespace
}  // namespace talmidor
