#include "app/module.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "form/form_fixture.h"
#include "form/runtime.h"
#include "keyed/keyed_files.h"
#include "platform/paths.h"
#include "store/record_manager.h"

namespace talmidor {
namespace {

namespace fs = std::filesystem;

class ModuleTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    resetModuleData();
    platform().console = &screen;
  }
  void TearDown() override {
    resetModuleData();
    FormTest::TearDown();
  }

  // The module's form with its defaults, as the program loads it.
  void loadModuleForm() {
    writeFile("FORMS/TALMIDOR.QFM", formText(modulePages()));
    loadFormDefinition();
  }

  // An executable TALMIDO1 in the program directory running this shell text.
  void installFollowOnProgram(const std::string& script) {
    std::string path = writeFile("bin/TALMIDO1", "#!/bin/sh\n" + script + "\n");
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
  }

  // Scripts the acceptance of page 1: to its last field, Enter, then "S" on the confirmation.
  void acceptForm() {
    screen.pushKey(kPgDn);
    screen.pushKey(kEnter);
    screen.pushText("S");
    screen.pushKey(kEnter);
  }

  // Runs the main loop on an accepted form whose hand-off fails: Enter closes the message,
  // Esc leaves; only the screens of this run are kept.
  void acceptFormPastItsMessage() {
    screen.screens.clear();
    acceptForm();
    screen.pushKey(kEnter);
    screen.pushKey(kEsc);
    runMainLoop();
  }

  // The hand-off file a form with these values gives: each value and CR LF.
  static std::string handOff(const std::vector<std::string>& values) {
    std::string bytes;
    for (const std::string& v : values) bytes += v + "\r\n";
    return bytes;
  }

  std::vector<std::string> formValues() {
    std::vector<std::string> values;
    for (int16_t p = 1; p <= formTables().pageCount; ++p) {
      for (int16_t f = 1; f <= formTables().pages[p].fieldCount; ++f) {
        values.push_back(field(p, f).value);
      }
    }
    return values;
  }

  // The module's six data files, empty, with their record lengths, under dir() + root.
  void makeModuleFiles(const std::string& root, bool withConcepts = true) {
    const struct {
      const char* name;
      uint16_t recordLength;
    } files[] = {{"TVRebut", 28},   {"TRemeses", 76},  {"PropietV", 324},
                 {"FinquesV", 204}, {"DepartaV", 448}, {"CobramV", 44}};
    for (const auto& f : files) {
      if (!withConcepts && std::string(f.name) == "TVRebut") continue;
      makeDataFile(dir() + root + "DADES/" + f.name + ".dat", f.recordLength, 1, {});
    }
  }

  RecordingConsole screen;
};

TEST_F(ModuleTest, HandOffFileHoldsEveryValueByteForByte) {
  PageSpec one;
  one.fields.push_back(fieldSpec(2, 2, "A ", 4));
  one.fields.push_back(fieldSpec(3, 2, "Secret ", 3));
  one.fields.back().flags = kFlagHidden;
  one.fields.push_back(fieldSpec(4, 2, "Off ", 2));
  one.fields.back().flags = kFlagDisabled;
  PageSpec two;
  two.fields.push_back(fieldSpec(2, 2, "B ", 5));
  two.fields.push_back(fieldSpec(3, 2, "C ", 1));
  useForm({one, two});
  storeFieldValue(field(1, 1), "ab");
  storeFieldValue(field(1, 2), "pw");
  storeFieldValue(field(1, 3), "x");
  storeFieldValue(field(2, 2), std::string("\x87", 1));  // "ç" in code page 850
  writeFile("pent.tmp", std::string(500, 'z'));          // an older, longer file is replaced

  EXPECT_TRUE(writeHandOffFile());
  EXPECT_EQ(readFile("pent.tmp"), "ab  \r\npw \r\nx \r\n     \r\n\x87\r\n");

  // A second acceptance writes the values as they are then.
  storeFieldValue(field(2, 1), "hello");
  EXPECT_TRUE(writeHandOffFile());
  EXPECT_EQ(readFile("pent.tmp"), "ab  \r\npw \r\nx \r\nhello\r\n\x87\r\n");
}

TEST_F(ModuleTest, SingleCustomerCodeFieldsAreThreeCharactersInTheHandOffFile) {
  singleCustomerVariant() = 1;
  loadModuleForm();
  ASSERT_TRUE(writeHandOffFile());
  std::string bytes = readFile("pent.tmp");
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find("\r\n", at);
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(lines.size(), 30u);
  for (int f : {8, 11, 14}) EXPECT_EQ(lines[f - 1], "   ");
  for (int f : {9, 12, 15}) EXPECT_EQ(lines[f - 1], "999");
  EXPECT_EQ(lines[0], "150326  ");
}

TEST_F(ModuleTest, HandOffFileThatCannotBeWrittenIsReportedAndNothingStarts) {
  loadModuleForm();
  installFollowOnProgram("exit 0");
  struct Case {
    const char* what;
    std::function<void()> breakIt;
  };
  const Case cases[] = {
      {"pent.tmp is a directory", [&] { fs::create_directories(dir() + "pent.tmp"); }},
      {"the disk is full", [&] { fs::create_symlink("/dev/full", dir() + "pent.tmp"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir() + "pent.tmp");
    c.breakIt();
    acceptFormPastItsMessage();
    EXPECT_TRUE(system.programsRun.empty());
    // The box wraps the long temporary path; the text and the file's name are on it.
    EXPECT_TRUE(screen.sawText("NO S'HA POGUT ESCRIURE EL FITXER"));
    EXPECT_TRUE(screen.sawText("pent.tmp"));
    EXPECT_FALSE(screen.scriptExhausted());
  }
}

TEST_F(ModuleTest, AcceptedFormIsHandedToTheFollowOnProgramAndComesBack) {
  loadModuleForm();
  installFollowOnProgram("exit 0");
  std::vector<std::string> handedOver;
  system.onRunProgram = [&](const std::string&) {
    handedOver.push_back(readFile("pent.tmp"));
    return 0;
  };
  acceptForm();
  // Second pass: the form is back with its values; change the month and accept again.
  screen.pushKey(kDown);
  screen.pushKey(kDown);
  screen.pushKey(kDown);
  screen.pushKey(kDown);
  screen.pushKey(kDown);
  screen.pushText("7");
  acceptForm();
  screen.pushKey(kEsc);
  runMainLoop();

  ASSERT_EQ(system.programsRun.size(), 2u);
  EXPECT_EQ(system.programsRun[0], hostPath(dir() + "bin/TALMIDO1"));
  std::vector<std::string> values = formValues();
  ASSERT_EQ(handedOver.size(), 2u);
  EXPECT_EQ(handedOver[1], handOff(values));
  values[5] = "3 ";
  values[29] = "S";
  EXPECT_EQ(handedOver[0], handOff(values));
  EXPECT_EQ(field(1, 6).value, "7 ");
  EXPECT_FALSE(screen.scriptExhausted());
  EXPECT_NE(screen.line(3).find("Mes:  7"), std::string::npos) << "page 1 is shown again";
}

TEST_F(ModuleTest, FollowOnProgramThatCannotStartIsReported) {
  loadModuleForm();
  for (const char* what : {"missing", "not executable"}) {
    SCOPED_TRACE(what);
    if (std::string(what) == "not executable") writeFile("bin/TALMIDO1", "#!/bin/sh\n");
    acceptFormPastItsMessage();
    EXPECT_TRUE(system.programsRun.empty());
    EXPECT_TRUE(screen.sawText("NO ES POT EXECUTAR EL PROGRAMA"));
    EXPECT_TRUE(screen.sawText("/bin/TALMID"));  // the long temporary path wraps after it
    EXPECT_EQ(readFile("pent.tmp"), handOff(formValues()));
  }
}

TEST_F(ModuleTest, FollowOnProgramRunsForRealAndReadsTheClosedFile) {
  loadModuleForm();
  installFollowOnProgram("cp '" + dir() + "pent.tmp' '" + dir() + "copy.tmp'");
  system.runForReal = true;
  acceptForm();
  screen.pushKey(kEsc);
  runMainLoop();
  EXPECT_EQ(readFile("copy.tmp"), handOff(formValues()));
  EXPECT_EQ(screen.suspensions(), 1);
}

TEST_F(ModuleTest, ConceptNamesGoIntoThePageOneLabels) {
  std::vector<PageSpec> pages = modulePages();
  pages[0].fields[18].label = "C4 ";  // field 19: too short for a name
  writeFile("FORMS/TALMIDOR.QFM", formText(pages));
  loadFormDefinition();
  auto conceptRecord = [](int code, const std::string& name) {
    return std::string(1, static_cast<char>(code)) + fitText(name, 20) + std::string(7, ' ');
  };
  makeDataFile(dir() + "DADES/TVRebut.dat", 28, 1,
               {conceptRecord(12, "ESCALA"), conceptRecord(1, "AIGUA"),
                conceptRecord(5, "CALEFACC"), conceptRecord(2, "LLUM"), conceptRecord(4, "GAS")});
  makeModuleFiles("", false);
  openModuleData();
  auto label = [](const char* number, const std::string& name) {
    return std::string(number) + ": " + name + std::string(22 - name.size(), '.');
  };
  EXPECT_EQ(field(1, 16).label, label("C01", "AIGUA"));
  EXPECT_EQ(field(1, 17).label, label("C02", "LLUM"));
  EXPECT_EQ(field(1, 18).label, label("C03", ""));
  EXPECT_EQ(field(1, 19).label, "C4 ");
  EXPECT_EQ(field(1, 20).label, label("C05", "CALEFACC"));
  for (int16_t f = 21; f <= 29; ++f) EXPECT_EQ(field(1, f).label.substr(5, 3), "...") << f;
  for (int16_t fileNo : {502, 503, 505, 506, 507, 509}) EXPECT_GT(findFileSlot(fileNo), 0);
  EXPECT_EQ(keyedFileTable().slots[findFileSlot(507)].recordArea, moduleData().units);
  closeModuleData();
  EXPECT_EQ(openFileCount(), 0);
  EXPECT_LT(findFileSlot(503), 0);
}

TEST_F(ModuleTest, SingleCustomerVariantComesFromTheInstallationSettings) {
  struct Case {
    const char* ini;  // nullptr: no Kelo.ini
    int16_t expected;
  };
  const Case cases[] = {
      {nullptr, 0},
      {"[Empresa]\nIdentificador=B12345678\n", 0},
      {"[Empresa]\nIdentificador=B12345678\nIdentificadorClient=B12345678\n", 1},
      {"[Empresa]\nIdentificador=B12345678\nIdentificadorClient=B12345679\n", 0},
      {"[Empresa]\nIdentificador=B12345678   \nIdentificadorClient=B12345678\n", 1},
      {"[Empresa]\nIdentificador=ABCDEFGHIJKLMNOPQ-1\nIdentificadorClient=ABCDEFGHIJKLMNOPQ-2\n",
       1},
      {"[Empresa]\nIdentificador=\nIdentificadorClient=\n", 0},
      {"[Empresa]\nIdentificador=   \nIdentificadorClient=   \n", 0},
      {"[Usuari]\nIdentificador=X\nIdentificadorClient=X\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini ? c.ini : "no Kelo.ini");
    fs::remove(dir() + "Kelo.ini");
    if (c.ini != nullptr) writeFile("Kelo.ini", c.ini);
    singleCustomerVariant() = 7;
    decideSingleCustomerVariant();
    EXPECT_EQ(singleCustomerVariant(), c.expected);
  }
}

TEST_F(ModuleTest, DataFileWithLongerRecordsThanItsAreaEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  loadModuleForm();
  makeModuleFiles("");
  fs::remove(dir() + "DADES/FinquesV.dat");
  makeDataFile(dir() + "DADES/FinquesV.dat", 300, 1, {});
  EXPECT_EXIT(
      {
        ReportingSystem reporting(screen);
        platform().system = &reporting;
        openModuleData();
      },
      ::testing::ExitedWithCode(1), "MASSA LLARGS.*FinquesV");
}

// Reports the state the module ended in, then ends the process as the test system does.
class EndReportingSystem : public TestSystem {
 public:
  [[noreturn]] void endProcess(int exitCode) override {
    std::fprintf(stderr, "ended in %s; stale stack %s; hand-off %s; programs %zu\n",
                 directory.c_str(), fs::exists(env["ZUBTMP"] + "WinPush.tmp") ? "kept" : "gone",
                 fs::exists(env["ZUBTMP"] + "pent.tmp") ? "written" : "none", programsRun.size());
    std::fflush(stderr);
    std::_Exit(exitCode);
  }
};

TEST_F(ModuleTest, RunModuleStartsInOrderAndEndsWithStatusZeroOnEsc) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  resetSession();
  writeFile("root/FORMS/TALMIDOR.QFM", formText(modulePages()));
  writeFile("tmp/WinPush.tmp", "stale records of a crashed run");
  writeFile("tmp/KeloTerm.ini", "[Sistema]\nData=20260315\n");
  makeModuleFiles("root/");
  EXPECT_EXIT(
      {
        EndReportingSystem ending;
        ending.env["ZUBROOT"] = dir() + "root/";
        ending.env["ZUBTMP"] = dir() + "tmp/";
        ending.env["ZUBEXE"] = dir() + "bin/";
        platform().system = &ending;
        screen.pushKey(kEsc);
        runModule();
      },
      ::testing::ExitedWithCode(0),
      "ended in " + dir() + "root/?; stale stack gone; hand-off none; programs 0");
}

}  // namespace
}  // namespace talmidor
