// The same start in the other languages of the suite: the catalogue's texts on page 1 and in a
// lookup title, the concept names as stored (they are data, not translated).

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "e2e/installation.h"
#include "e2e/module_run.h"
#include "e2e/screen_picture.h"

namespace talmidor {
namespace {

struct LanguageCase {
  const char* language;
  const char* title;           // row 1, from Sessio.ini
  const char* dateLabel;       // row 3
  const char* collection;      // row 10: heading and the first switch with its answer
  const char* concepts;        // row 13
  const char* deposit;         // row 17 from column 43: concept 11, from the form file
  const char* buildingsTitle;  // the top frame of lookup 1
};

void PrintTo(const LanguageCase& c, std::ostream* out) {
  *out << c.language;
}

class Languages : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(Languages, PageOneAndLookupTitlesAreTranslated) {
  if (!TmuxSession::available()) GTEST_SKIP() << "tmux is not installed";
  const LanguageCase& c = GetParam();
  InstallationOptions options;
  options.language = c.language;
  DemoInstallation installation(options);
  ASSERT_TRUE(installation.ok()) << installation.log();
  ModuleRun run(installation);
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForRow(13, c.concepts)) << run.screenText();

  EXPECT_NE(run.row(1).find(c.title), std::string::npos) << run.screenText();
  EXPECT_EQ(columnsOf(run.row(3), 3, 30), c.dateLabel);
  EXPECT_EQ(run.row(10).rfind(c.collection, 0), 0u) << run.row(10);
  EXPECT_EQ(columnsOf(run.row(17), 43, 28), c.deposit);
  EXPECT_EQ(columnsOf(run.row(14), 3, 12), "01 - Lloguer") << "names come from the data file";

  run.keys({"Down"});
  ASSERT_TRUE(run.waitForCursor({5, 33}));
  run.keys({"F4"});
  ASSERT_TRUE(run.waitForRow(7, c.buildingsTitle)) << run.screenText();
  run.keys({"Escape"});
  ASSERT_TRUE(run.waitUntil([](const auto& rows) { return rows[6].empty(); })) << run.screenText();
  run.keys({"Escape"});
  quitFromPageOne(run);
}

INSTANTIATE_TEST_SUITE_P(
    Suite, Languages,
    ::testing::Values(
        LanguageCase{"SPA", " EMISIÓN DE RECIBOS",
                     "Fecha de trabajo .......... : ", "FORMAS DE COBRO :      Domiciliación  Sí",
                     "CONCEPTOS A EMITIR :", "11 - Fianza.............. Sí", "╔══ Fincas ═"},
        LanguageCase{"GLG", " EMISIÓN DE RECIBOS",
                     "Data de traballo .......... : ", "FORMAS DE COBRO :      Domiciliación  Si",
                     "CONCEPTOS A EMITIR :", "11 - Fianza.............. Si", "╔══ Edificios ═"},
        LanguageCase{"OCI", " EMISSION DE QUITANCES",
                     "Data de trabalh ........... : ", "FORMES DE COBRAMENT :  Domiciliacion  Òc",
                     "CONCÈPTES A EMETER :", "11 - Fiança.............. Òc", "╔══ Finques ═"}),
    [](const ::testing::TestParamInfo<LanguageCase>& info) {
      return std::string(info.param.language);
    });

}  // namespace
}  // namespace talmidor
