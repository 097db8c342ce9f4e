#include "text/texthelp.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp850.h"

namespace talmidor {
namespace {

class TextHelpTest : public ::testing::Test {
 protected:
  void SetUp() override { resetTextHelpers(); }
  void TearDown() override { resetTextHelpers(); }
};

TEST_F(TextHelpTest, IsAllChar) {
  struct Case {
    std::string text;
    int16_t code;
    int16_t expected;
  };
  const Case cases[] = {
      {"", 32, -1},           {"   ", 32, -1},     {" x", 32, 0}, {"---", '-', -1},
      {"\xc4\xc4", 0xC4, -1}, {"a", 'a' + 256, 0}, {"", -1, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isAllChar(c.text, c.code), c.expected) << "|" << c.text << "| " << c.code;
  }
}

TEST_F(TextHelpTest, TextStackIsLastInFirstOut) {
  pushText("ab");
  pushText("cde");
  pushText(std::string("\x01\x00", 2));
  EXPECT_EQ(popText(), std::string("\x01\x00", 2));
  EXPECT_EQ(popText(), "cde");
  pushText("");
  EXPECT_EQ(popText(), "");
  EXPECT_EQ(popText(), "ab");
  EXPECT_EQ(popText(), "") << "popping an empty stack";
  EXPECT_EQ(popText(), "");
  std::string big(40000, 'x');
  pushText(big);
  EXPECT_EQ(popText(), big);
}

TEST_F(TextHelpTest, FoldAccents) {
  struct Case {
    bool plain;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {false, std::string("març"_cp), std::string("MARÇ"_cp)},
      {false, std::string("gèr"_cp), std::string("GÈR"_cp)},
      {false, std::string("àéíóúüñç"_cp), std::string("ÀÉÍÓÚÜÑÇ"_cp)},
      {false, std::string("ÿøßµ@[1 "_cp), std::string("ÿøßµ@[1 "_cp)},
      {true, std::string("març"_cp), "MARC"},
      {true, std::string("gèr"_cp), "GER"},
      {true, std::string("ÀÉÍÓÚÜÑÇàéíóúüñç"_cp), "AEIOUUNCAEIOUUNC"},
      {true, "@[a1 ", "  A1 "},
      {true, std::string("─║"_cp), "  "},
      {true, "\xEE\xFF", "\xEE\xFF"},  // from 238 up nothing changes
  };
  for (const Case& c : cases) {
    plainFoldMode() = c.plain;
    EXPECT_EQ(foldAccents(c.text), c.expected)
        << cp850ToUtf8(c.text) << (c.plain ? " plain" : " default");
  }
}

TEST_F(TextHelpTest, WrapTextBreaksBetweenWords) {
  // 100 characters: words of 9 letters and single spaces.
  std::string text;
  while (text.size() < 100) text += "abcdefghi ";
  text.resize(100);
  std::string wrapped = wrapText(text, 76);
  ASSERT_EQ(wrapped.size(), 152u);
  EXPECT_EQ(wrapped.substr(0, 76), fitText(text.substr(0, 69), 76))
      << "the word crossing column 76 goes to the next line";
  EXPECT_EQ(wrapped.substr(76), fitText(text.substr(70), 76)) << "its leading space skipped";
}

TEST_F(TextHelpTest, WrapTextCases) {
  struct Case {
    const char* name;
    std::string text;
    int16_t width;
    std::string expected;
  };
  const std::string word80(80, 'w');
  const Case cases[] = {
      {"long word cut", word80, 76,
       std::string(76, 'w') + std::string(4, 'w') + std::string(72, ' ')},
      {"empty", "", 10, ""},
      {"fits", "ab cd", 10, "ab cd     "},
      {"exact", "ab cd", 5, "ab cd"},
      {"break", "ab cd", 4, "ab  cd  "},
      {"control takes no room",
       "ab\x01"
       "cd",
       4,
       "ab\x01"
       "cd"},
      {"control before a break", "abc\x01 de", 3,
       "abc\x01"
       "de "},
      {"spaces skipped after a break", "ab    cd", 3, "ab cd "},
      {"trailing spaces before a control",
       "ab  \x02"
       "cd",
       5,
       "ab   \x02"
       "cd   "},
      {"width 0 gives nothing", "abc", 0, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wrapText(c.text, c.width), c.expected) << c.name;
  }
}

TEST_F(TextHelpTest, FitText) {
  EXPECT_EQ(fitText("abc", 5), "abc  ");
  EXPECT_EQ(fitText("abcdef", 3), "abc");
  EXPECT_EQ(fitText("abc", 0), "");
}

}  // namespace
}  // namespace talmidor
