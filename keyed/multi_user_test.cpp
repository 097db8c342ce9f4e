// Another user is the built keyedfile tool, in a process of its own, holding a record lock or
// an exclusive open until its standard input closes (or it is killed).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "keyed/keyed_fixture.h"
#include "keyed/records.h"
#include "platform/platform.h"
#include "store/sqlite_engine.h"
#include "testing/child_process.h"

namespace talmidor {
namespace {

class MultiUserTest : public KeyedTest {
 protected:
  void SetUp() override {
    KeyedTest::SetUp();
    path = dir() + "TVRebut.dat";
    FileDefinition def;
    def.recordLength = 28;
    def.keys.push_back({{makeSegment(1, 1, kKeyBinary)}});
    std::vector<std::string> records;
    for (int code : {1, 2, 5})
      records.push_back(std::string(1, static_cast<char>(code)) + std::string(27, 'r'));
    makeDataFile(path, def, records);
    platform().system = &waiting;
  }
  void TearDown() override {
    platform().system = &system;
    KeyedTest::TearDown();
  }

  // Starts keyedfile with these arguments and waits until it says "locked".
  std::unique_ptr<ChildProcess> otherUser(std::vector<std::string> args) {
    args.insert(args.begin(), buildDirectory() + "/keyedfile");
    auto child = std::make_unique<ChildProcess>(args);
    EXPECT_TRUE(child->started()) << args[0];
    std::string line;
    EXPECT_TRUE(child->readLine(line)) << "keyedfile said nothing";
    EXPECT_EQ(line, "locked");
    return child;
  }
  void open503() {
    int16_t status = -1;
    openKeyedFile(503, dir() + "TVRebut", area, status);
    ASSERT_EQ(status, 0);
  }

  WaitingSystem waiting;
  std::string path;
  char area[28] = {};
};

TEST_F(MultiUserTest, LockModeOneWaitsWithTheMessageUntilTheHolderLetsGo) {
  auto holder = otherUser({"lock", path, "--key", "0", "--value", "05"});
  open503();
  int16_t status = -1;
  setLockMode(503, "A", status);
  bool shownWhileWaiting = false;
  waiting.onPause = [&](size_t n) {
    if (n < 2) return;
    shownWhileWaiting =
        screenText().find("FITXER BLOQUEJAT. ESPEREU UN MOMENT.") != std::string::npos;
    holder->closeInput();
    EXPECT_EQ(holder->wait(), 0);
  };
  readByKey(503, 0, "\x05", 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(area[0], 5);
  EXPECT_EQ(waiting.pauses.size(), 2u);
  EXPECT_TRUE(shownWhileWaiting);
  EXPECT_EQ(console.lines(), std::vector<std::string>(25)) << "the message is gone";
  // Now this user holds it: the tool is refused with 84.
  ChildProcess refused(
      {buildDirectory() + "/keyedfile", "lock", path, "--key", "0", "--value", "05"});
  EXPECT_EQ(refused.wait(), kStatusRecordLocked);
}

TEST_F(MultiUserTest, LockModeTwoIsRefusedAtOnceAndTheLockDiesWithItsHolder) {
  auto holder = otherUser({"lock", path, "--key", "0", "--value", "02"});
  open503();
  int16_t status = -1;
  setLockMode(503, "B", status);
  readByKey(503, 0, "\x02", 0, status);
  EXPECT_EQ(status, kStatusRecordLocked);
  EXPECT_TRUE(waiting.pauses.empty());
  readByKey(503, 0, "\x01", 0, status);
  EXPECT_EQ(status, 0) << "only that record is held";
  holder->kill();
  EXPECT_EQ(holder->wait(), 128 + 9);
  readByKey(503, 0, "\x02", 0, status);
  EXPECT_EQ(status, 0) << "the killed holder's lock is gone";
}

TEST_F(MultiUserTest, OpenIsRetriedWhileAnotherUserHoldsTheFileExclusively) {
  auto holder = otherUser({"exclusive", path});
  waiting.onPause = [&](size_t n) {
    if (n < 2) return;
    holder->closeInput();
    EXPECT_EQ(holder->wait(), 0);
  };
  open503();
  EXPECT_EQ(waiting.pauses, (std::vector<int>{3000, 3000}));
  // And while this user has it open, nobody gets it exclusively.
  ChildProcess refused({buildDirectory() + "/keyedfile", "exclusive", path});
  EXPECT_EQ(refused.wait(), kStatusFileLocked);
}

TEST_F(MultiUserTest, ReadsSeeWhatAnotherUserWroteMeanwhile) {
  open503();
  int16_t status = -1;
  readByKey(503, 0, "\x01", 1, status);
  ASSERT_EQ(status, 0);
  moveRecords(503, 1, status);
  ASSERT_EQ(area[0], 2);
  ChildProcess loader({buildDirectory() + "/keyedfile", "load", path});
  ASSERT_TRUE(loader.writeInput(std::string(1, '\x03') + std::string(27, 'n')));
  loader.closeInput();
  ASSERT_EQ(loader.wait(), 0);
  // A snapshot is kept for a few milliseconds at most.
  std::this_thread::sleep_for(std::chrono::milliseconds(kSnapshotFreshnessMilliseconds + 5));
  moveRecords(503, 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(area[0], 3) << "the record loaded by the other user comes next";
}

}  // namespace
}  // namespace talmidor
