#include "keyed/keyed_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "keyed/keyed_fixture.h"
#include "keyed/records.h"
#include "platform/platform.h"

namespace talmidor {
namespace {

// Collection methods: 44-byte records, key 0 a 2-byte binary code, key 1 a 10-byte name
// followed by the code.
FileDefinition collectionMethods() {
  FileDefinition def;
  def.recordLength = 44;
  def.keys.push_back({{makeSegment(1, 2, kKeyBinary)}});
  def.keys.push_back({{makeSegment(3, 10, kKeyDuplicates | kKeySegmented),
                       makeSegment(1, 2, kKeyDuplicates | kKeyBinary)}});
  return def;
}

class KeyedFilesTest : public KeyedTest {
 protected:
  void SetUp() override {
    KeyedTest::SetUp();
    std::filesystem::create_directories(dir() + "DADES");
  }
  std::string dataPath(const std::string& name) { return dir() + "DADES\\" + name; }
  char area[1536] = {};
};

TEST_F(KeyedFilesTest, SlotsFillFromTheTopAndRunOut) {
  makeDataFile(dir() + "DADES/CobramV.dat", collectionMethods(), {});
  auto& table = keyedFileTable();
  for (int i = 1; i <= 38; ++i) table.slots[i].fileNo = static_cast<int16_t>(100 + i);
  EXPECT_EQ(findFileSlot(509), -40);
  EXPECT_EQ(findFileSlot(105), 5);
  int16_t status = -1;
  openKeyedFile(509, dataPath("CobramV"), area, status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(findFileSlot(509), 40);
  openKeyedFile(510, dataPath("CobramV"), area, status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(findFileSlot(510), 39);
  EXPECT_EQ(findFileSlot(511), 0);
  openKeyedFile(511, dataPath("CobramV"), area, status);
  EXPECT_EQ(status, kStatusNoFreeSlot);
}

TEST_F(KeyedFilesTest, AnOpenFileNumberIsNotOpenedAgain) {
  makeDataFile(dir() + "DADES/CobramV.dat", collectionMethods(), {});
  int16_t status = -1;
  openKeyedFile(509, dataPath("CobramV"), area, status);
  ASSERT_EQ(status, 0);
  FileSlot before = keyedFileTable().slots[40];
  char other[8];
  openKeyedFile(509, dataPath("Missing"), other, status);
  EXPECT_EQ(status, kStatusAlreadyOpen);
  const FileSlot& after = keyedFileTable().slots[40];
  EXPECT_EQ(after.recordArea, area);
  EXPECT_EQ(after.positionBlock, before.positionBlock);
  EXPECT_FALSE(std::filesystem::exists(dir() + "DADES/Missing.dat"));
}

TEST_F(KeyedFilesTest, AMissingFileIsCreatedFromItsDefinition) {
  struct Case {
    const char* path;        // after the test directory
    const char* definition;  // where the definition file is written
    const char* created;     // the data file that must appear
  };
  const Case cases[] = {
      {"DADES\\CobramV", "ddf/CobramV.xdf", "DADES/CobramV.dat"},
      // The definition file in another letter case is still found.
      {"DADES\\PropietV", "ddf/PROPIETV.XDF", "DADES/PropietV.dat"},
      // A dot in a directory is not an extension.
      {"DADES.2026\\TVRebut", "ddf/TVRebut.xdf", "DADES.2026/TVRebut.dat"},
      // An extension of its own is kept, and the definition is named without it.
      {"DADES\\X.old", "ddf/X.xdf", "DADES/X.old"},
  };
  std::filesystem::create_directories(dir() + "DADES.2026");
  int16_t fileNo = 600;
  for (const auto& c : cases) {
    writeDefinitionFile(c.definition, collectionMethods());
    int16_t status = -1;
    openKeyedFile(++fileNo, dir() + c.path, area, status);
    ASSERT_EQ(status, 0) << c.path;
    EXPECT_TRUE(std::filesystem::exists(dir() + c.created)) << c.path;
    const FileSlot& slot = keyedFileTable().slots[findFileSlot(fileNo)];
    EXPECT_EQ(slot.keyValue, std::string(2, '\0')) << "as long as key 0";
    EXPECT_EQ(slot.recordLength, 44);
    EXPECT_EQ(slot.keyNo, 0);
    EXPECT_EQ(slot.lockMode, 0);
  }
}

TEST_F(KeyedFilesTest, KeyInfoGivesKeyAndRecordLengths) {
  makeDataFile(dir() + "DADES/CobramV.dat", collectionMethods(), {});
  int16_t status = -1, keyLength = -1, recordLength = -1;
  getKeyInfo(509, 0, keyLength, recordLength);
  EXPECT_EQ(keyLength, 0);
  EXPECT_EQ(recordLength, 0) << "not open";
  openKeyedFile(509, dataPath("CobramV"), area, status);
  ASSERT_EQ(status, 0);
  struct Case {
    int16_t key, keyLength;
  };
  for (const Case c : {Case{0, 2}, Case{1, 12}, Case{2, 0}, Case{-1, 0}}) {
    getKeyInfo(509, c.key, keyLength, recordLength);
    EXPECT_EQ(keyLength, c.keyLength) << c.key;
    EXPECT_EQ(recordLength, 44) << c.key;
  }
}

TEST_F(KeyedFilesTest, CloseAllFreesEverySlotButKeepsTheLockModeStack) {
  makeDataFile(dir() + "DADES/CobramV.dat", collectionMethods(), {});
  int16_t status = -1;
  openKeyedFile(509, dataPath("CobramV"), area, status);
  openKeyedFile(507, dataPath("CobramV"), area, status);
  setLockMode(509, "+A", status);
  ASSERT_EQ(openFileCount(), 2);
  closeAllKeyedFiles(status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(openFileCount(), 0);
  EXPECT_EQ(findFileSlot(509), -40);
  EXPECT_EQ(findFileSlot(507), -40);
  EXPECT_EQ(keyedFileTable().lockModeStack, std::string("\x28\x00", 2));
  EXPECT_EQ(keyedFileTable().slots[0].positionBlock, (std::array<uint8_t, 128>{}));
}

TEST_F(KeyedFilesTest, AFileHeldExclusivelyIsRetriedEveryThreeSeconds) {
  makeDataFile(dir() + "DADES/CobramV.dat", collectionMethods(), {});
  // Another user (here another handle) holds the file exclusively until the second pause.
  struct HoldingSystem : TestSystem {
    std::array<uint8_t, 128> holder{};
    void pause(int milliseconds) override {
      TestSystem::pause(milliseconds);
      if (pauses.size() == 2) {
        uint32_t length = 0;
        callRecordManager(kOpClose, holder.data(), nullptr, length, nullptr, 0, 0);
      }
    }
  } holding;
  platform().system = &holding;
  std::string name = dir() + "DADES/CobramV.dat";
  uint32_t length = 0;
  ASSERT_EQ(callRecordManager(kOpOpen, holding.holder.data(), nullptr, length, name.data(),
                              static_cast<uint8_t>(name.size()), kOpenExclusive),
            0);
  int16_t status = -1;
  openKeyedFile(509, dataPath("CobramV"), area, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(holding.pauses, (std::vector<int>{3000, 3000}));
  EXPECT_EQ(console.lines(), std::vector<std::string>(25)) << "no message while waiting";
  platform().system = &system;
}

// A console that keeps every line it showed while it was asked for events, and a system
// whose end of the process writes them to standard error, so that the death test sees the
// message that stood on the screen while the program waited for the key.
struct WatchingConsole : MemoryConsole {
  std::vector<std::string> seen;
  ConsoleEvent nextEvent() override {
    for (const auto& line : lines()) {
      if (!line.empty()) seen.push_back(cp850ToUtf8(line));
    }
    return MemoryConsole::nextEvent();
  }
};

struct ReportingSystem : TestSystem {
  WatchingConsole* watched = nullptr;
  [[noreturn]] void endProcess(int exitCode) override {
    for (const auto& line : watched->seen) std::fprintf(stderr, "%s\n", line.c_str());
    std::vector<std::string> left = watched->lines();
    size_t shown = left.size() - static_cast<size_t>(std::count(left.begin(), left.end(), ""));
    std::fprintf(stderr, "files open: %d, beeps: %d, windows: %zu, left on screen: %zu\n",
                 openFileCount(), watched->beeps(), screenStackState().entries.size(), shown);
    std::fflush(stderr);
    TestSystem::endProcess(exitCode);
  }
};

// Installs the watching console and reporting system for the rest of a death test's child.
#define WATCH_THE_END()           \
  WatchingConsole watching;       \
  ReportingSystem reporting;      \
  reporting.watched = &watching;  \
  platform().system = &reporting; \
  platform().console = &watching

using KeyedFilesDeathTest = KeyedFilesTest;

TEST_F(KeyedFilesDeathTest, AFailedOpenEndsTheProgramWithAMessageInTheOperatorsLanguage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* language;
    const char* message;  // a pattern of the line shown
  };
  const Case cases[] = {
      {"SPA", "NO SE PUEDE ACCEDER AL FICHERO "}, {"GLG", "NOM SE PODE ACEDER AO FICHEIRO "},
      {"OCI", "NON SE PÊT ACCEDIR ATH FICH╚R "},  {"CAT", "NO ES POT ACCEDIR AL FITXER "},
      {"   ", "NO ES POT ACCEDIR AL FITXER "},
  };
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          WATCH_THE_END();
          session().language = c.language;
          // A file open before the failure is closed on the way out; a key typed ahead is
          // thrown away, the wait takes the next one.
          makeDataFile(dir() + "DADES/TVRebut.dat", collectionMethods(), {});
          int16_t status = -1;
          openKeyedFile(503, dataPath("TVRebut"), area, status);
          watching.pushKey('x');
          watching.pushNothing();
          openKeyedFile(509, dataPath("CobramV"), area, status);
        },
        ::testing::ExitedWithCode(1),
        std::string(c.message) +
            " *│\n(.*\n)*.*DADES.CobramV \\(28\\)(.*\n)*"
            "files open: 0, beeps: 1, windows: 0, left on screen: 0")
        << c.language;
  }
}

TEST_F(KeyedFilesDeathTest, AForeignOrUnnamableFileIsFatalToo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  writeFile("DADES/Notes.dat", "just some text\n");
  EXPECT_EXIT(
      {
        WATCH_THE_END();
        watching.pushNothing();
        int16_t status = -1;
        openKeyedFile(503, dataPath("Notes"), area, status);
      },
      ::testing::ExitedWithCode(1), "NO ES POT ACCEDIR AL FITXER (.*\n)*.* \\(30\\)");
  // A name that can neither be opened nor created (a link to nowhere) ends too, and does not
  // go on retrying.
  std::filesystem::create_symlink(dir() + "nowhere/x.dat", dir() + "DADES/Dangling.dat");
  writeDefinitionFile("ddf/Dangling.xdf", collectionMethods());
  EXPECT_EXIT(
      {
        WATCH_THE_END();
        watching.pushNothing();
        int16_t status = -1;
        openKeyedFile(503, dataPath("Dangling"), area, status);
      },
      ::testing::ExitedWithCode(1), "NO ES POT ACCEDIR AL FITXER (.*\n)*.* \\(59\\)");
}

}  // namespace
}  // namespace talmidor
