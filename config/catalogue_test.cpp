#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "config/session.h"
#include "platform/cp850.h"
#include "testing/test_environment.h"

namespace talmidor {
namespace {

namespace fs = std::filesystem;

class CatalogueTest : public TestEnvironment, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetSession();
    resetCatalogue();
    setCatalogueCache(GetParam());
    session().dataRoot = dir();
    session().programName = "TALMIDOR";
    fs::create_directories(dir() + "LOCALE");
  }
  void TearDown() override {
    resetCatalogue();
    resetSession();
    TestEnvironment::TearDown();
  }
  std::string catalogue(const std::string& bytes) {
    return writeFile("LOCALE/TALMIDOR.LNG", bytes);
  }
};

const std::string kRecords = std::string(
    "\"Data\",\"Data gl\",\"Data oc\",\"Fecha\"\r\n"
    "\"Codi, inici\",\"Codigo\",\"Codi oc\",\"Codigo, inicio\"\r\n"
    "\"Buit\",\"b gl\",\"b oc\",\"\"\r\n"
    "\"Data\",\"second gl\",\"second oc\",\"Segunda\"\r\n"
    "  Sense cometes ,  \"x\" \t,y z ,Sin comillas  \r\n"
    "\"Pla\"  \t\n,\"p gl\",\"p oc\",\"p es\"\r\n"
    "M\xe0rqueting,a\tb,c\nd,e\r\n");

struct Case {
  const char* language;
  std::string source;
  std::string expected;
};

TEST_P(CatalogueTest, ChoosesTheFieldOfTheLanguage) {
  catalogue(kRecords);
  const Case cases[] = {
      {"SPA", "Data", "Fecha"},
      {"GLG", "Data", "Data gl"},
      {"OCI", "Data", "Data oc"},
      {"CAT", "Data", "Data"},
      {"   ", "Data", "Data"},
      {"spa", "Data", "Data"},
      {"SPA", "Codi, inici", "Codigo, inicio"},
      {"SPA", "Buit", ""},  // an empty translation is a translation
      {"SPA", "data", "data"},
      {"SPA", "Data ", "Data "},
      {"SPA", "Desconegut", "Desconegut"},
      {"SPA", "Sense cometes ", "Sin comillas  "},
      {"GLG", "Sense cometes ", "x"},
      {"OCI", "Sense cometes ", "y z "},
      {"SPA", "Pla", "p es"},
      {"SPA", "M\xe0rqueting", "e"},
      {"GLG", "M\xe0rqueting", "ab"},  // tabs and line feeds inside a field are dropped
      {"OCI", "M\xe0rqueting", "cd"},
  };
  for (const Case& c : cases) {
    session().language = c.language;
    EXPECT_EQ(translate(c.source), c.expected) << c.language << " |" << c.source << "|";
  }
}

TEST_P(CatalogueTest, CatalanNeverTouchesTheFile) {
  fs::remove_all(dir() + "LOCALE");
  fs::create_directories(dir() + "LOCALE");
  session().language = "CAT";
  EXPECT_EQ(translate("Data"), "Data");
  EXPECT_FALSE(fs::exists(dir() + "LOCALE/TALMIDOR.LNG"));
}

TEST_P(CatalogueTest, MissingCatalogueIsCreatedEmpty) {
  session().language = "   ";
  EXPECT_EQ(translate("Data"), "Data");
  ASSERT_TRUE(fs::exists(dir() + "LOCALE/TALMIDOR.LNG"));
  EXPECT_EQ(fs::file_size(dir() + "LOCALE/TALMIDOR.LNG"), 0u);

  fs::remove_all(dir() + "LOCALE");
  session().language = "SPA";
  EXPECT_EQ(translate("Data"), "Data") << "no LOCALE directory: as an empty catalogue";
}

TEST_P(CatalogueTest, CatalogueNameIsTakenOnTheFirstTranslation) {
  catalogue("\"Data\",\"g\",\"o\",\"Fecha\"\r\n");
  writeFile("LOCALE/OTHER.LNG", "\"Data\",\"g\",\"o\",\"Otra\"\r\n");
  session().language = "SPA";
  EXPECT_EQ(translate("Data"), "Fecha");
  session().programName = "OTHER";
  EXPECT_EQ(translate("Data"), "Fecha");
}

TEST_P(CatalogueTest, FindsTheCatalogueWhateverTheCaseOfItsName) {
  fs::remove_all(dir() + "LOCALE");
  writeFile("locale/talmidor.lng", "\"Data\",\"g\",\"o\",\"Fecha\"\r\n");
  session().language = "SPA";
  EXPECT_EQ(translate("Data"), "Fecha");
}

TEST_P(CatalogueTest, ShortAndBrokenRecords) {
  const Case cases[] = {
      {"SPA", "\"A\",\"g\"", ""},   // cut short: missing fields are empty
      {"GLG", "\"A\",\"g\"", "g"},  //
      {"SPA", "\"A\"", "A"},        // a key alone at the end is no record
      {"SPA", "\"A\",\"g\",\"o\",\"unterminated", "unterminated"},
      {"SPA", "\"A\",\"g\",\"o\",\"s\"\x1A\"B\",\"g\",\"o\",\"t\"", "s"},
      {"SPA", "\"X\",\"g\",\"o\",\"s\"\r\n\x1A\"A\",\"g\",\"o\",\"t\"", "A"},
      {"SPA", "\"unterminated,\"A\",\"g\",\"o\",\"s\"\r\n", "A"},
      {"SPA", "\"X\",\"g\",\"o\",\"s\"\n\"A\",\"g\",\"o\",\"t\"\n", "t"},  // LF line ends
      {"SPA", "\r\n\"A\",\"g\",\"o\",\"t\"\r\n", "A"},  // a blank line is an empty field
  };
  session().language = "SPA";
  int n = 0;
  for (const Case& c : cases) {
    session().language = c.language;
    // A new name per row, so that every row reads its own file.
    std::string name = "ROW" + std::to_string(n++);
    resetCatalogue();
    setCatalogueCache(GetParam());
    session().programName = name;
    writeFile("LOCALE/" + name + ".LNG", c.source);
    EXPECT_EQ(translate("A"), c.expected) << c.language << " |" << c.source << "|";
  }
}

TEST_P(CatalogueTest, BadInputNeverBreaksTheReader) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
  for (char& c : garbage) {
    if (c == '\x1A') c = '"';
  }
  catalogue(garbage);
  session().language = "SPA";
  EXPECT_EQ(translate("Data"), "Data");

  std::string longField(1 << 20, 'x');
  catalogue("\"" + longField + "\",\"g\",\"o\",\"s\"\r\n\"Data\",\"g\",\"o\",\"Fecha\"");
  EXPECT_EQ(translate(longField), "s");
  EXPECT_EQ(translate("Data"), "Fecha");

  // A directory in the catalogue's place reads as an empty catalogue.
  resetCatalogue();
  setCatalogueCache(GetParam());
  session().programName = "FOLDER";
  fs::create_directories(dir() + "LOCALE/FOLDER.LNG");
  EXPECT_EQ(translate("Data"), "Data");
}

TEST_P(CatalogueTest, SeesACatalogueChangedOnDisk) {
  std::string path = catalogue("\"Data\",\"g\",\"o\",\"Fecha\"\r\n");
  session().language = "SPA";
  EXPECT_EQ(translate("Data"), "Fecha");
  // Same size, newer modification time.
  catalogue("\"Data\",\"g\",\"o\",\"Fechu\"\r\n");
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
  EXPECT_EQ(translate("Data"), "Fechu");
  // Other size, same modification time.
  auto time = fs::last_write_time(path);
  catalogue("\"Data\",\"g\",\"o\",\"Dato\"\r\n\"Nou\",\"g\",\"o\",\"Nuevo\"\r\n");
  fs::last_write_time(path, time);
  EXPECT_EQ(translate("Data"), "Dato");
  EXPECT_EQ(translate("Nou"), "Nuevo");
  // Removed: created again, empty.
  fs::remove(path);
  EXPECT_EQ(translate("Data"), "Data");
  EXPECT_TRUE(fs::exists(path));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutCache, CatalogueTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Cached" : "Scanned";
                         });

}  // namespace
}  // namespace talmidor
