#include "config/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/test_environment.h"

namespace talmidor {
namespace {

class SessionTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetSession();
  }
  void TearDown() override {
    resetSession();
    TestEnvironment::TearDown();
  }
  // A work directory with its two INI files, named by ZUBTMP.
  void useWorkDirectory(const std::string& sessio, const std::string& keloTerm) {
    writeFile("tmp/Sessio.ini", sessio);
    writeFile("tmp/KeloTerm.ini", keloTerm);
    system.env["ZUBTMP"] = dir() + "tmp";
  }
};

TEST(NormaliseDirectoryTest, AppendsOneSeparatorWhereNeeded) {
  struct Case {
    std::string dir;
    std::string expected;
  };
  const Case cases[] = {
      {"C:", "C:"},
      {"D:\\TMP\\", "D:\\TMP\\"},
      {"D:\\TMP", "D:\\TMP\\"},
      {"", ""},
      {"T01", "T01\\"},
      {"/srv/t01", "/srv/t01/"},
      {"/srv/t01/", "/srv/t01/"},
      {"C:\\a/b", "C:\\a/b\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(normaliseDirectory(c.dir), c.expected) << c.dir;
}

TEST_F(SessionTest, ReadsEnvironmentAndTheThreeFiles) {
  useWorkDirectory(
      "[Menu]\r\nTitol=VENDES\r\nNomMenu=REBUTS \r\nMenu=M1\r\nChnMenu=C1\r\nOperador=JOAN\r\n"
      "ZubTipOper=2.5\r\n[Terminal]\r\nDir=/srv/t01\r\n",
      "[Pantalla]\r\nSeleccio=2\r\nCol0=01020304050607080910\r\nCol2=1400010207030704150\r\n"
      "[Sistema]\r\nData=20260315\r\nSortida=LPT1\r\nIdioma=SPANISH\r\n");
  system.env["ZUBROOT"] = dir();
  system.env["ZUBEXE"] = "/opt/kelo/bin";
  initSession();
  const SessionSettings& s = session();
  EXPECT_EQ(s.dataRoot, dir());
  EXPECT_EQ(s.programDir, "/opt/kelo/bin") << "used unchanged";
  EXPECT_EQ(s.workDir, dir() + "tmp/");
  EXPECT_EQ(s.menuTitle, " VENDES ");
  EXPECT_EQ(s.menuName, "REBUTS ");
  EXPECT_EQ(s.menuEntry, "M1");
  EXPECT_EQ(s.menuChain, "C1");
  EXPECT_EQ(s.operatorName, "JOAN");
  EXPECT_EQ(s.operatorType, 2) << "rounded half to even";
  EXPECT_EQ(s.terminalDir, "/srv/t01/");
  // Col2, 19 characters: the last background piece is one digit.
  const int16_t expected[5][2] = {{14, 0}, {1, 2}, {7, 3}, {7, 4}, {15, 0}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(s.colourPairs[i][0], expected[i][0]) << "class " << i;
    EXPECT_EQ(s.colourPairs[i][1], expected[i][1]) << "class " << i;
  }
  EXPECT_EQ(s.workDate, "\x94\x9A\x83\x8F");
  EXPECT_EQ(s.outputDevice, "LPT1");
  EXPECT_EQ(s.language, "SPA");
  EXPECT_EQ(s.runMode, "DOS");
}

TEST_F(SessionTest, NothingConfiguredGivesTheDefaults) {
  initSession();
  const SessionSettings& s = session();
  EXPECT_EQ(s.workDir, "");
  EXPECT_EQ(s.terminalDir, "");
  EXPECT_EQ(s.menuTitle, "  ");
  EXPECT_EQ(s.operatorType, 0);
  const int16_t defaults[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(s.colourPairs[i][0], defaults[i][0]) << "class " << i;
    EXPECT_EQ(s.colourPairs[i][1], defaults[i][1]) << "class " << i;
  }
  EXPECT_EQ(s.workDate, "");
  EXPECT_EQ(s.language, "   ");
  EXPECT_EQ(s.runMode, "DOS");
}

TEST_F(SessionTest, WithoutZubtmpTheTerminalDirectoryBecomesTheWorkDirectory) {
  // Sessio.ini then lies in the current directory, KeloTerm.ini in the terminal's.
  writeFile("Sessio.ini", "[Terminal]\r\nDir=T01\r\n");
  writeFile("t01/keloterm.ini", "[Sistema]\r\nIdioma=GLG\r\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir());
  initSession();
  std::filesystem::current_path(previous);
  EXPECT_EQ(session().terminalDir, "T01\\");
  EXPECT_EQ(session().workDir, "T01\\");
  EXPECT_EQ(session().language, "GLG");
}

TEST_F(SessionTest, TerminalDirFromTermWithTheSuiteSeparator) {
  system.env["TERM"] = "T01";
  system.env["ZUBTMP"] = "D:\\TMP";
  initSession();
  EXPECT_EQ(session().terminalDir, "T01\\");
  EXPECT_EQ(session().workDir, "D:\\TMP\\");
}

TEST_F(SessionTest, ColourSelection) {
  struct Case {
    const char* name;
    std::string pantalla;
    int16_t class0Foreground;
    int16_t class4Background;
  };
  const Case cases[] = {
      {"Seleccio missing reads Col0", "Col0=01000000000000000002\r\n", 1, 2},
      {"Seleccio 2 reads Col2",
       "Seleccio=2\r\nCol0=01000000000000000002\r\n"
       "Col2=03000000000000000004\r\n",
       3, 4},
      {"missing colour key gives defaults", "Seleccio=5\r\nCol0=01000000000000000002\r\n", 15, 7},
      {"letters give zeros", "Col0=abcdefghijklmnopqrst\r\n", 0, 0},
      {"short string leaves zeros", "Col0=0102\r\n", 1, 0},
  };
  for (const Case& c : cases) {
    resetSession();
    useWorkDirectory("", "[Pantalla]\r\n" + c.pantalla);
    initSession();
    EXPECT_EQ(session().colourPairs[0][0], c.class0Foreground) << c.name;
    EXPECT_EQ(session().colourPairs[4][1], c.class4Background) << c.name;
  }
}

TEST_F(SessionTest, Language) {
  struct Case {
    const char* name;
    std::string terminal;      // [Sistema] Idioma line of KeloTerm.ini
    std::string installation;  // [Usuari] Idioma line of Kelo.ini
    std::string expected;
  };
  const Case cases[] = {
      {"terminal value", "Idioma=OCI", "Idioma=GLG", "OCI"},
      {"lower case kept", "Idioma=spa", "", "spa"},
      {"longer value cut", "Idioma=SPANISH", "", "SPA"},
      {"shorter value padded", "Idioma=CA", "", "CA "},
      {"blank falls back to Kelo.ini", "Idioma=   ", "Idioma=GLG", "GLG"},
      {"missing falls back to Kelo.ini", "", "Idioma=GLG", "GLG"},
      {"neither", "", "", "   "},
  };
  for (const Case& c : cases) {
    resetSession();
    useWorkDirectory("", "[Sistema]\r\n" + c.terminal + "\r\n");
    writeFile("root/Kelo.ini", "[Usuari]\r\n" + c.installation + "\r\n");
    system.env["ZUBROOT"] = dir() + "root/";
    initSession();
    EXPECT_EQ(session().language, c.expected) << c.name;
  }
}

TEST_F(SessionTest, RunModeTakesTheFirstVariableSet) {
  struct Case {
    std::string userAgent, accept, windir, systemRoot;
    std::string expected;
  };
  const Case cases[] = {
      {"Mozilla", "", "", "", "CGI"},
      {"", "text/html", "C:\\WINDOWS", "", "CGI"},
      {"", "", "C:\\WINDOWS", "", "WIN"},
      {"", "", "", "C:\\WINNT", "WIN"},
      {"", "", "", "", "DOS"},
  };
  for (const Case& c : cases) {
    system.env = {{"HTTP_USER_AGENT", c.userAgent},
                  {"HTTP_ACCEPT", c.accept},
                  {"WINDIR", c.windir},
                  {"SYSTEMROOT", c.systemRoot}};
    initSession();
    EXPECT_EQ(session().runMode, c.expected) << c.userAgent << "|" << c.accept << "|" << c.windir;
  }
}

TEST_F(SessionTest, OddDataStillGoesThroughPackDigits) {
  useWorkDirectory("", "[Sistema]\r\nData=20260a15\r\n");
  initSession();
  EXPECT_EQ(session().workDate, "\x94\x9A\x80\x8F");
}

}  // namespace
}  // namespace talmidor
