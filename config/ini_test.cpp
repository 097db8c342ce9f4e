#include "config/ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/test_environment.h"

namespace talmidor {
namespace {

class IniTest : public TestEnvironment {};

struct Case {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::string expected;
};

TEST_F(IniTest, ReadsValuesAsTheFileWritesThem) {
  const Case cases[] = {
      {"comment cut, space before it kept", "[Terminal]\r\nDir=C:\\T01\\ ; terminal 1\r\n",
       "Terminal", "Dir", "C:\\T01\\ "},
      {"spaces around the key dropped, after = kept", "[Terminal]\r\nDir = C:\\T01\\\r\n",
       "Terminal", "Dir", " C:\\T01\\"},
      {"one pair of quotes removed", "[M]\r\nTitol=\"  A B  \"\r\n", "M", "Titol", "  A B  "},
      {"quotes after a space stay", "[M]\r\nTitol= \"A B\"\r\n", "M", "Titol", " \"A B\""},
      {"inner quotes stay", "[M]\r\nTitol=\"a\"b\"\r\n", "M", "Titol", "a\"b"},
      {"a lone quote stays", "[M]\r\nTitol=\"\r\n", "M", "Titol", "\""},
      {"semicolon inside quotes is a comment", "[M]\r\nTitol=\"a;b\"\r\n", "M", "Titol", "\"a"},
      {"section and key without regard to case", "[menu]\r\nnommenu=VENDES\r\n", "Menu", "NomMenu",
       "VENDES"},
      {"spaces inside the brackets", "[  MENU  ]\r\nNomMenu=X\r\n", "Menu", "NomMenu", "X"},
      {"arguments trimmed", "[Menu]\r\nNomMenu=X\r\n", "  Menu ", " NomMenu  ", "X"},
      {"header without ]", "[Menu\r\nNomMenu=X\r\n", "Menu", "NomMenu", "X"},
      {"text after ] ignored", "[Menu] trailing\r\nNomMenu=X\r\n", "Menu", "NomMenu", "X"},
      {"indented lines", "   [Menu]\r\n   NomMenu=X\r\n", "Menu", "NomMenu", "X"},
      {"only the first section of a name", "[Menu]\r\nA=1\r\n[Menu]\r\nB=2\r\n", "Menu", "B", ""},
      {"first key wins", "[Menu]\r\nA=1\r\nA=2\r\n", "Menu", "A", "1"},
      {"key of another section", "[Other]\r\nA=1\r\n[Menu]\r\nB=2\r\n", "Menu", "A", ""},
      {"next section ends the search", "[Menu]\r\n[Other]\r\nA=1\r\n", "Menu", "A", ""},
      {"keys before any section never found", "A=1\r\n[Menu]\r\n", "Menu", "A", ""},
      {"missing section", "[Menu]\r\nA=1\r\n", "Sistema", "A", ""},
      {"empty section argument", "[Menu]\r\nA=1\r\n[  ]\r\nA=2\r\n", "", "A", "2"},
      {"empty key argument", "[Menu]\r\nA=1\r\n=3\r\n", "Menu", "", "3"},
      {"tab is an ordinary character", "[Menu]\r\n\tA=1\r\nA=2\r\n", "Menu", "A", "2"},
      {"lines without = skipped", "[Menu]\r\njunk\r\nA=1\r\n", "Menu", "A", "1"},
      {"value holds later = signs", "[Menu]\r\nA=b=c\r\n", "Menu", "A", "b=c"},
      {"empty value", "[Menu]\r\nA=\r\nA=2\r\n", "Menu", "A", ""},
      {"CR alone ends lines", "[Menu]\rA=1\rB=2\r", "Menu", "B", "2"},
      {"LF alone ends lines", "[Menu]\nA=1\nB=2\n", "Menu", "B", "2"},
      {"no final line end", "[Menu]\r\nA=1", "Menu", "A", "1"},
      {"0x1A ends the file", "[Menu]\r\nA=1\r\n\x1A\r\nB=2\r\n", "Menu", "B", ""},
      {"0x1A ends a line's text too",
       "[Menu]\r\nA=1\x1A"
       "2\r\n",
       "Menu", "A", "1"},
      {"accented value bytes kept", "[Menu]\r\nTitol=\x87\xa0\xff\r\n", "Menu", "Titol",
       "\x87\xa0\xff"},
  };
  for (const Case& c : cases) {
    std::string path = writeFile("case.ini", c.file);
    EXPECT_EQ(readIniValue(path, c.section, c.key), c.expected) << c.name;
  }
}

TEST_F(IniTest, MissingFileGivesEmptyAndCreatesNothing) {
  std::string path = dir() + "Missing.ini";
  EXPECT_EQ(readIniValue(path, "Menu", "A"), "");
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(readIniValue(dir(), "Menu", "A"), "") << "a directory reads as an empty file";
}

TEST_F(IniTest, SuiteFormPathsAreMappedToTheHost) {
  writeFile("T01/sessio.ini", "[Menu]\r\nA=1\r\n");
  EXPECT_EQ(readIniValue(dir() + "t01\\Sessio.ini", "Menu", "A"), "1");
}

TEST_F(IniTest, BadInputNeverBreaksTheReader) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 37 + 11) % 256));
  std::string path = writeFile("garbage.ini", garbage + "\r\n[Menu]\r\nA=1\r\n");
  // The garbage holds a 0x1A, so the section after it is never reached.
  EXPECT_EQ(readIniValue(path, "Menu", "A"), "");
  for (char& c : garbage) {
    if (c == '\x1A') c = 'x';
  }
  path = writeFile("garbage.ini", garbage + "\r\n[Menu]\r\nA=1\r\n");
  EXPECT_EQ(readIniValue(path, "Menu", "A"), "1");

  std::string longLine(1 << 20, 'x');
  path = writeFile("long.ini", "[Menu]\r\nLong=" + longLine + "\r\nA=1");
  EXPECT_EQ(readIniValue(path, "Menu", "Long"), longLine);
  EXPECT_EQ(readIniValue(path, "Menu", "A"), "1");

  path = writeFile("nul.ini", std::string("[Menu]\r\nA=x\0y\r\n", 15));
  EXPECT_EQ(readIniValue(path, "Menu", "A"), std::string("x\0y", 3));
}

}  // namespace
}  // namespace talmidor
