#include "form/loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "form/form_fixture.h"
#include "form/runtime.h"
#include "platform/cp850.h"

namespace talmidor {
namespace {

using LoaderTest = FormTest;

std::string lfOnly(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

TEST_F(LoaderTest, ReadsItemsQuotesCommentsAndRoundsNumbersHalvesToEven) {
  const std::string form =
      "' the header follows\r\n"
      "1,3\r\n"
      "   ' an indented comment before the page block\r\n"
      "\"d,1b\",3,0,0,0,0,0\r\n"
      "2,5,\"  Nom, cognom: \",10,0,0,0,0,0,\"|1,Un|2,Dos\"\r\n"
      "3,  5,   Plain  ,4.5,2.5,3.5,-0.5,1.5,0,\r\n"
      "4,5,Ta\tb,2,0,0,0,0,0,\"\"\r\n"
      "' before the lookup count\r\n"
      "1\r\n"
      "' before a lookup record\r\n"
      "503,2,5,10,15,70,0,\"__ABC\",0\r\n"
      "\x1A"
      "9,9,garbage after the end of the file\r\n";
  for (const std::string& text : {form, lfOnly(form)}) {
    SCOPED_TRACE(text == form ? "CR LF" : "LF");
    useForm(text);
    const FormTables& t = formTables();
    ASSERT_EQ(t.pageCount, 1);
    EXPECT_EQ(t.maxFields, 3);
    EXPECT_EQ(t.pages[1].pageKeys, "d,1b");
    ASSERT_EQ(t.pages[1].fieldCount, 3);
    const FormField& quoted = t.pages[1].fields[1];
    EXPECT_EQ(quoted.label, "  Nom, cognom: ");
    EXPECT_EQ(quoted.choiceList, "|1,Un|2,Dos");
    EXPECT_EQ(quoted.value, std::string(10, ' '));
    const FormField& plain = t.pages[1].fields[2];
    EXPECT_EQ(plain.label, "Plain  ");  // leading blanks dropped, trailing ones kept
    EXPECT_EQ(plain.attr[kColumn], 5);
    EXPECT_EQ(plain.attr[kLength], 4);      // 4.5
    EXPECT_EQ(plain.attr[kLineWidth], 2);   // 2.5
    EXPECT_EQ(plain.attr[kTrailWidth], 4);  // 3.5
    EXPECT_EQ(plain.attr[kFlags], 0);       // -0.5
    EXPECT_EQ(plain.attr[kValueType], 2);   // 1.5
    EXPECT_EQ(plain.choiceList, "");
    EXPECT_EQ(plain.value, "    ");
    EXPECT_EQ(t.pages[1].fields[3].label, "Tab");
    ASSERT_EQ(t.lookups.size(), 2u);
    const LookupWindowDef& w = t.lookups[1];
    EXPECT_EQ(w.fileNo, 503);
    EXPECT_EQ(w.keyNo, 2);
    EXPECT_EQ(w.top, 5);
    EXPECT_EQ(w.right, 70);
    EXPECT_EQ(w.title, "__ABC");
  }
}

TEST_F(LoaderTest, FileEndingEarlyLeavesTheRestEmptyAndNoLookupsIsFine) {
  useForm(
      "2,3\r\n"
      "\"d\",3,0,0,0,0,0\r\n"
      "1,1,\"A\",2,0,0,0,0,0,\"\"\r\n");
  const FormTables& t = formTables();
  EXPECT_EQ(t.pages[1].fieldCount, 3);
  EXPECT_EQ(t.pages[1].fields[1].value, "  ");
  EXPECT_EQ(t.pages[1].fields[2].label, "");
  EXPECT_EQ(t.pages[1].fields[2].attr[kLength], 0);
  EXPECT_EQ(t.pages[2].fieldCount, 0);
  EXPECT_EQ(t.lookups.size(), 1u);

  useForm("1,1\r\n\"d\",1,0,0,0,0,0\r\n1,1,\"A\",2,0,0,0,0,0,\"\"\r\n0\r\n");
  EXPECT_EQ(formTables().lookups.size(), 1u);
}

TEST_F(LoaderTest, TranslatesLabelsChoicesAndTitlesAndTheValueFollowsTheLabel) {
  writeFile("LOCALE/TALMIDOR.LNG",
            "\"Nom: \",\"Nome: \",\"Nom: \",\"Nombre: \"\r\n"
            "\"|1,Un\",\"|1,Um\",\"|1,Un\",\"|1,Uno\"\r\n"
            "\"Cases\",\"Casas\",\"Casas\",\"Casas\"\r\n");
  session().language = "SPA";
  PageSpec page;
  page.fields.push_back(fieldSpec(4, 5, "Nom: ", 6));
  page.fields.push_back(fieldSpec(5, 5, "Xifra ", 1));
  page.fields.back().trailWidth = 5;
  page.fields.back().choiceList = "|1,Un";
  LookupSpec lookup{0, 0, 5, 10, 15, 70, 0, "Cases", 0};
  useForm({page}, {lookup});
  EXPECT_EQ(field(1, 1).label, "Nombre: ");
  EXPECT_EQ(field(1, 2).choiceList, "|1,Uno");
  EXPECT_EQ(formTables().lookups[1].title, "Casas");

  storeFieldValue(field(1, 1), "abc");
  storeFieldValue(field(1, 2), "1");
  drawFormPage(1);
  EXPECT_EQ(console.line(4).substr(4), "Nombre: abc");  // the value at column 5 + 8
  EXPECT_EQ(console.line(5).substr(4), "Xifra Uno");    // untranslated label: column 11
}

// Each row breaks a usable form in one way.
TEST_F(LoaderTest, RejectsFormsItCannotUseSayingWhatIsWrong) {
  auto base = [] {
    PageSpec one;
    one.linkedPage = 2;
    one.fields.push_back(fieldSpec(2, 2, "A ", 3, 0, 1));
    one.fields.push_back(fieldSpec(3, 2, "B ", 3));
    PageSpec two;
    two.window = {5, 5, 10, 40};
    two.fields.push_back(fieldSpec(1, 1, "C ", 1));
    return std::vector<PageSpec>{one, two};
  };
  LookupSpec lookup{0, 0, 5, 10, 15, 70, 0, "T", 0};
  struct Case {
    const char* what;
    std::string text;
    std::string_view expected;
  };
  auto with = [&](auto change) {
    auto pages = base();
    std::vector<LookupSpec> lookups{lookup};
    change(pages, lookups);
    return formText(pages, lookups);
  };
  using Pages = std::vector<PageSpec>&;
  using Lookups = std::vector<LookupSpec>&;
  std::string tooManyFields = with([](Pages, Lookups) {});
  tooManyFields.replace(0, tooManyFields.find('\r'), "2,1");
  std::string negativeCount = with([](Pages, Lookups l) { l.clear(); });
  negativeCount.replace(negativeCount.rfind("0\r\n"), 1, "-1");
  const Case cases[] = {
      {"no pages", "0,0\r\n0\r\n", "EL FORMULARI NO TÉ CAP PÀGINA"_cp},
      {"empty file", "", "EL FORMULARI NO TÉ CAP PÀGINA"_cp},
      {"more fields than the header allows", tooManyFields,
       "PÀGINA 1: TÉ MÉS CAMPS DELS QUE PERMET LA CAPÇALERA"_cp},
      {"lookup past the tables", with([](Pages p, Lookups) { p[0].fields[1].lookupNo = 2; }),
       "PÀGINA 1: UN CAMP OBRE UNA FINESTRA DE CONSULTA QUE NO EXISTEIX"_cp},
      {"linked page past the tables", with([](Pages p, Lookups) { p[1].linkedPage = 3; }),
       "PÀGINA 2: LA PÀGINA ENLLAÇADA NO EXISTEIX"_cp},
      {"filter page past the tables", with([](Pages, Lookups l) { l[0].filterPage = 3; }),
       "FINESTRA DE CONSULTA 1: LA PÀGINA DE FILTRE NO EXISTEIX"_cp},
      {"nested lookup past the tables", with([](Pages, Lookups l) { l[0].nestedLookupNo = 2; }),
       "FINESTRA DE CONSULTA 1: LA FINESTRA DE CONSULTA NIADA NO EXISTEIX"_cp},
      {"page window below the screen", with([](Pages p, Lookups) {
         p[1].window = {5, 5, 26, 40};
       }),
       "PÀGINA 2: LA FINESTRA SURT DE LA PANTALLA"_cp},
      {"page window right of the screen", with([](Pages p, Lookups) {
         p[1].window = {5, 5, 10, 81};
       }),
       "PÀGINA 2: LA FINESTRA SURT DE LA PANTALLA"_cp},
      {"lookup at column 0", with([](Pages, Lookups l) { l[0].left = 0; }),
       "FINESTRA DE CONSULTA 1: LA FINESTRA SURT DE LA PANTALLA"_cp},
      {"lookup without room for a line", with([](Pages, Lookups l) { l[0].bottom = 6; }),
       "FINESTRA DE CONSULTA 1: LA FINESTRA SURT DE LA PANTALLA"_cp},
      {"negative lookup count", negativeCount, "EL NOMBRE DE FINESTRES DE CONSULTA NO ÉS VÀLID"_cp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile("form.qfm", c.text);
    EXPECT_EQ(readFormDefinition(dir() + "form.qfm"), c.expected);
  }
  EXPECT_EQ(readFormDefinition(dir() + "missing.qfm"), "EL FITXER NO EXISTEIX O NO ES POT LLEGIR");
  std::filesystem::create_directories(dir() + "folder.qfm");
  EXPECT_EQ(readFormDefinition(dir() + "folder.qfm"), "EL FITXER NO EXISTEIX O NO ES POT LLEGIR");
  // The base itself is fine.
  writeFile("form.qfm", with([](Pages, Lookups) {}));
  EXPECT_EQ(readFormDefinition(dir() + "form.qfm"), "");
}

TEST_F(LoaderTest, UnusableModuleFormEndsWithAMessageNamingTheFileAndStatusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto shortPageOne = modulePages();
  shortPageOne[0].fields.pop_back();
  auto onePage = modulePages();
  onePage.pop_back();
  struct Case {
    const char* what;
    std::string text;  // empty: no form file
    const char* expected;
  };
  const Case cases[] = {
      {"missing file", "", "FORMS.TALMIDOR\\.QFM.*EL FITXER NO EXISTEIX"},
      {"28 fields on page 1", formText(shortPageOne), "HA DE TENIR 29 CAMPS"},
      {"no confirmation page", formText(onePage), "FALTA LA P.* 2 DE CONFIRMACI"},
  };
  // A short path keeps the message on two lines of the box.
  const std::filesystem::path testDirectory = std::filesystem::current_path();
  std::filesystem::current_path(dir());
  session().dataRoot = "";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(dir() + "FORMS");
    if (!c.text.empty()) writeFile("FORMS/TALMIDOR.QFM", c.text);
    EXPECT_EXIT(
        {
          RecordingConsole screen;
          ReportingSystem reporting(screen);
          platform().console = &screen;
          platform().system = &reporting;
          loadFormDefinition();
        },
        ::testing::ExitedWithCode(1), c.expected);
  }
  std::filesystem::current_path(testDirectory);
}

TEST_F(LoaderTest, PageOneDefaultsAndTheSingleCustomerWidths) {
  for (int16_t variant : {0, 1}) {
    SCOPED_TRACE(variant);
    resetFormTables();
    singleCustomerVariant() = variant;
    writeFile("FORMS/TALMIDOR.QFM", formText(modulePages()));
    loadFormDefinition();
    EXPECT_EQ(field(1, 1).value, "150326  ");
    EXPECT_EQ(field(1, 2).value, "1  ");
    EXPECT_EQ(field(1, 3).value, "0  ");
    EXPECT_EQ(field(1, 4).value, "999");
    EXPECT_EQ(field(1, 5).value, "999");
    EXPECT_EQ(field(1, 6).value, "3 ");
    const std::vector<PageSpec> file = modulePages();
    for (int16_t f : {7, 10, 13}) EXPECT_EQ(field(1, f).value, "S");
    for (int16_t f : {8, 9, 11, 12, 14, 15}) {
      SCOPED_TRACE(f);
      const bool low = f == 8 || f == 11 || f == 14;
      const int fileColumn = file[0].fields[static_cast<size_t>(f - 1)].column;
      EXPECT_EQ(field(1, f).attr[kLength], variant ? 3 : 2);
      EXPECT_EQ(field(1, f).attr[kColumn], variant ? fileColumn - 1 : fileColumn);
      EXPECT_EQ(field(1, f).value, variant ? (low ? "   " : "999") : (low ? "  " : "99"));
    }
    for (int16_t f = 16; f <= 29; ++f) EXPECT_EQ(field(1, f).value, "S");
    EXPECT_EQ(field(2, 1).value, " ");
  }
}

}  // namespace
}  // namespace talmidor
