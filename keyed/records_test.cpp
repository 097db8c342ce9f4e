#include "keyed/records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "keyed/keyed_fixture.h"
#include "platform/platform.h"

namespace talmidor {
namespace {

// Receipt concepts: 28-byte records, byte 0 the code (key 0, one binary byte), bytes 1-20 the
// name (key 1, duplicates), byte 21 a mark.
FileDefinition concepts() {
  FileDefinition def;
  def.recordLength = 28;
  def.keys.push_back({{makeSegment(1, 1, kKeyBinary)}});
  def.keys.push_back({{makeSegment(2, 20, kKeyDuplicates)}});
  return def;
}

std::string conceptRecord(int code, const std::string& name) {
  std::string r(28, ' ');
  r[0] = static_cast<char>(code);
  r.replace(1, name.size(), name);
  return r;
}

class RecordsTest : public KeyedTest {
 protected:
  void SetUp() override {
    KeyedTest::SetUp();
    path = dir() + "TVRebut.dat";
    makeDataFile(path, concepts(),
                 {conceptRecord(5, "Lloguer"), conceptRecord(1, "Aigua"),
                  conceptRecord(12, "Obres"), conceptRecord(2, "Brossa")});
    int16_t status = -1;
    openKeyedFile(503, path, area, status);
    ASSERT_EQ(status, 0);
  }
  int code() const { return static_cast<unsigned char>(area[0]); }
  FileSlot& slot() { return keyedFileTable().slots[findFileSlot(503)]; }

  std::string path;
  char area[28] = {};
};

TEST_F(RecordsTest, ReadByKeyFollowsTheDirectionAndKeepsTheKeyFullLength) {
  struct Case {
    int16_t key;
    std::string value;
    int16_t direction;
    int16_t status;
    int code;  // of the record read, or -1 when the area must keep what it had
  };
  const Case cases[] = {
      {0, "\x02", 0, 0, 2},
      {0, "\x03", 0, kStatusKeyNotFound, -1},
      {0, "\x03", 1, 0, 5},
      {0, "\x03", -1, 0, 2},
      {0, "\x0d", 1, kStatusEndOfFile, -1},
      {0, std::string("\x05\x7f\x7f", 3), 0, 0, 5},  // cut to the key's length
      {1, "B", 1, 0, 2},                             // padded with zero bytes
      {1, "Lloguer", 0, kStatusKeyNotFound, -1},     // zero bytes are not blanks
      {1, "Lloguer" + std::string(13, ' '), 0, 0, 5},
      {1, "M", -1, 0, 5},
  };
  for (const auto& c : cases) {
    std::memset(area, '#', sizeof area);
    int16_t status = -1;
    readByKey(503, c.key, c.value, c.direction, status);
    EXPECT_EQ(status, c.status) << c.key << " " << c.value << " " << c.direction;
    if (c.code >= 0) {
      EXPECT_EQ(code(), c.code) << c.key << " " << c.value;
      EXPECT_EQ(slot().keyValue, std::string(area + (c.key == 0 ? 0 : 1), c.key == 0 ? 1 : 20))
          << "the key of the record read";
    } else {
      EXPECT_EQ(area[0], '#') << c.key << " " << c.value;
      EXPECT_EQ(slot().keyValue.size(), c.key == 0 ? 1u : 20u);
    }
    EXPECT_EQ(slot().keyNo, c.key);
  }
  int16_t status = -1;
  readByKey(503, 2, "A", 1, status);
  EXPECT_EQ(status, kStatusKeyNotDefined);
  EXPECT_EQ(slot().keyNo, 1) << "the slot is not changed";
  readByKey(504, 0, "A", 1, status);
  EXPECT_EQ(status, kStatusFileNotOpen);
}

TEST_F(RecordsTest, MoveRecordsStepsOverAndReadsOnlyTheLast) {
  int16_t status = -1;
  readByKey(503, 0, "\x01", 0, status);
  ASSERT_EQ(status, 0);
  moveRecords(503, 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(code(), 1);
  std::memset(area + 1, '#', 27);
  moveRecords(503, 3, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(code(), 12);
  EXPECT_EQ(std::string(area + 1, 5), "Obres");
  EXPECT_EQ(slot().keyValue, "\x0c");
  moveRecords(503, -2, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(code(), 2);
  // A step that meets the end stops there and leaves the record area as it was.
  moveRecords(503, 3, status);
  EXPECT_EQ(status, kStatusEndOfFile);
  EXPECT_EQ(code(), 2);
  moveRecords(503, -1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(code(), 5) << "from the last record reached, 12";
  moveRecords(503, -3, status);
  EXPECT_EQ(status, kStatusEndOfFile);
  EXPECT_EQ(code(), 5);
  // Along another key.
  readByKey(503, 1, "", 1, status);
  moveRecords(503, 2, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(code(), 5) << "Aigua, Brossa, Lloguer";
  moveRecords(504, 1, status);
  EXPECT_EQ(status, kStatusFileNotOpen);
}

TEST_F(RecordsTest, LockModesAndTheirStack) {
  int16_t status = -1;
  openKeyedFile(502, path, area, status);
  ASSERT_EQ(status, 0);
  int16_t a = findFileSlot(503), b = findFileSlot(502);
  auto modes = [&] {
    return std::to_string(slot().lockMode) + std::to_string(keyedFileTable().slots[b].lockMode);
  };
  struct Step {
    int16_t fileNo;
    const char* options;
    const char* modes;  // of 503 and 502 afterwards
    std::string stack;
  };
  const std::string sa(1, static_cast<char>(a)), sb(1, static_cast<char>(b));
  const Step steps[] = {
      {503, "a", "10", ""},
      {503, "+D", "00", sa + '\1'},
      {502, "+b", "02", sa + '\1' + sb + '\0'},
      {503, "xyz+B", "22", sa + '\1' + sb + '\0' + sa + '\0'},
      {503, "-", "02", sa + '\1' + sb + '\0'},
      {503, "-", "12", sb + std::string(1, '\0')},
      {503, "-", "12", sb + std::string(1, '\0')},  // no pair of its own left: nothing changes
      {502, "-", "10", ""},
      {502, "d+A-", "10", ""},
  };
  for (const auto& s : steps) {
    status = 77;
    setLockMode(s.fileNo, s.options, status);
    EXPECT_EQ(status, 77) << "left as it was";
    EXPECT_EQ(modes(), s.modes) << s.fileNo << " " << s.options;
    EXPECT_EQ(keyedFileTable().lockModeStack, s.stack) << s.fileNo << " " << s.options;
  }
  setLockMode(504, "A", status);
  EXPECT_EQ(status, kStatusFileNotOpen);
}

TEST_F(RecordsTest, RecordPositionReadsBackTheSameRecord) {
  EXPECT_EQ(recordPosition(503, 0), 0) << "no current record yet";
  int16_t status = -1;
  readByKey(503, 1, "Brossa", 1, status);
  ASSERT_EQ(status, 0);
  int32_t position = recordPosition(503, 0);
  EXPECT_NE(position, 0);
  moveRecords(503, 1, status);
  ASSERT_EQ(code(), 5);
  EXPECT_EQ(recordPosition(503, position), 0);
  EXPECT_EQ(code(), 2);
  EXPECT_EQ(slot().keyValue.substr(0, 6), "Brossa") << "the key of the record on the current key";
  moveRecords(503, 1, status);
  EXPECT_EQ(code(), 5) << "the record read by position is current on the current key";
  std::memset(area, '#', sizeof area);
  EXPECT_EQ(recordPosition(503, 987654), kStatusInvalidRecordPosition);
  EXPECT_EQ(area[0], '#');
  EXPECT_EQ(recordPosition(504, 0), 0);
  EXPECT_EQ(recordPosition(504, position), 0) << "not open";
}

TEST_F(RecordsTest, CollationFormPutsKeysInTheStoresOrder) {
  // A second file: key 0 a 2-byte binary segment, then a 3-byte alternate sequence one.
  FileDefinition def;
  def.recordLength = 8;
  def.keys.push_back(
      {{makeSegment(1, 2, kKeyBinary | kKeySegmented), makeSegment(3, 3, kKeyAlternate)}});
  def.hasAlternate = true;
  for (int c = 0; c < 256; ++c) def.alternateTable[c] = static_cast<uint8_t>(c);
  def.alternateTable['a'] = 'B';
  def.alternateTable['b'] = 'A';
  makeDataFile(dir() + "Other.dat", def, {});
  int16_t status = -1;
  char other[8];
  openKeyedFile(506, dir() + "Other", other, status);
  ASSERT_EQ(status, 0);
  struct Case {
    std::string value, form;
  };
  const Case cases[] = {
      {std::string("\x01\x02", 2) + "abc", std::string("\x02\x01", 2) + "BAc"},
      {"\x01", std::string("\x00\x01", 2)},  // padded before it is reversed
      {std::string("\x01\x02", 2) + "a",
       std::string("\x02\x01", 2) + "B"},  // mapped as far as it goes
      {std::string("\x01\x02", 2) + "abcz", std::string("\x02\x01", 2) + "BAcz"},
  };
  for (const auto& c : cases) EXPECT_EQ(collationForm(c.value, 506), c.form) << c.value;
  EXPECT_EQ(collationForm("\x01\x02", 599), "\x01\x02") << "not open: unchanged";
  EXPECT_EQ(currentKeyCollationForm(599), "");
  EXPECT_EQ(currentKeyCollationForm(506), std::string(5, '\0'));
  readByKey(503, 0, "\x0c", 0, status);
  EXPECT_EQ(currentKeyCollationForm(503), "\x0c");
}

// A lock held by another user (another handle) on the record with code 5.
class LockWaitTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    std::string name = path;
    uint32_t length = 0;
    ASSERT_EQ(callRecordManager(kOpOpen, holder.data(), nullptr, length, name.data(),
                                static_cast<uint8_t>(name.size()), 0),
              0);
    std::string data(28, '\0'), key(255, '\0');
    key[0] = 5;
    length = 28;
    ASSERT_EQ(callRecordManager(kOpGetEqual + kLockBiasNoWait, holder.data(), data.data(), length,
                                key.data(), 1, 0),
              0);
    platform().system = &waiting;
  }
  void TearDown() override {
    platform().system = &system;
    RecordsTest::TearDown();
  }
  void release() {
    uint32_t length = 0;
    callRecordManager(kOpUnlock, holder.data(), nullptr, length, nullptr, 0, 0);
  }
  bool shows(const std::string& text) { return screenText().find(text) != std::string::npos; }

  WaitingSystem waiting;
  std::array<uint8_t, 128> holder{};
};

TEST_F(LockWaitTest, ModesZeroAndTwoReturnAtOnce) {
  int16_t status = -1;
  readByKey(503, 0, "\x05", 0, status);
  EXPECT_EQ(status, 0) << "mode 0 takes no lock";
  setLockMode(503, "B", status);
  std::memset(area, '#', sizeof area);
  readByKey(503, 0, "\x05", 0, status);
  EXPECT_EQ(status, kStatusRecordLocked);
  EXPECT_EQ(area[0], '#');
  readByKey(503, 0, "\x02", 0, status);
  EXPECT_EQ(status, 0) << "another record is free";
  moveRecords(503, 1, status);
  EXPECT_EQ(status, kStatusRecordLocked);
  moveRecords(503, 2, status);
  EXPECT_EQ(status, 0) << "stepped over without a lock";
  EXPECT_EQ(code(), 12);
  EXPECT_TRUE(waiting.pauses.empty());
  EXPECT_EQ(console.lines(), std::vector<std::string>(25));
}

TEST_F(LockWaitTest, ModeOneWaitsWithTheMessageInTheOperatorsLanguage) {
  struct Case {
    const char* language;
    std::string message;
  };
  const Case cases[] = {
      {"SPA", std::string("FICHERO BLOQUEADO. ESPERE UN MOMENTO.")},
      {"GLG", std::string("FICHEIRO BLOQUEADO. ESPERE UM MOMENTO.")},
      {"OCI", std::string("FICH╚R BLOQUEJAT. ESPERATZ UN MOMENT.")},
      {"CAT", std::string("FITXER BLOQUEJAT. ESPEREU UN MOMENT.")},
      {"ENG", std::string("FITXER BLOQUEJAT. ESPEREU UN MOMENT.")},
  };
  int16_t status = -1;
  setLockMode(503, "A", status);
  for (const auto& c : cases) {
    session().language = c.language;
    waiting.pauses.clear();
    waiting.randomValues = {0.0, 0.12345, 0.99995};
    std::vector<bool> shown;
    std::vector<size_t> windows;
    waiting.onPause = [&](size_t n) {
      shown.push_back(shows(c.message));
      windows.push_back(screenStackState().entries.size());
      if (n == 3) release();
    };
    std::memset(area, '#', sizeof area);
    readByKey(503, 0, "\x05", 0, status);
    EXPECT_EQ(status, 0) << c.language;
    EXPECT_EQ(code(), 5);
    EXPECT_EQ(waiting.pauses, (std::vector<int>{1, 1236, 10001})) << "10000 r + 1, rounded";
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true})) << c.language << "\n" << screenText();
    EXPECT_EQ(windows, (std::vector<size_t>{0, 1, 1})) << "shown once, after the first pause";
    EXPECT_EQ(console.lines(), std::vector<std::string>(25)) << "the message is gone";
    // The record is now this user's: the holder cannot lock it any more.
    std::string data(28, '\0'), key(255, '\0');
    key[0] = 5;
    uint32_t length = 28;
    EXPECT_EQ(callRecordManager(kOpGetEqual + kLockBiasNoWait, holder.data(), data.data(), length,
                                key.data(), 1, 0),
              kStatusRecordLocked);
    // Give it back for the next language.
    setLockMode(503, "D", status);
    readByKey(503, 0, "\x01", 0, status);
    length = 0;
    callRecordManager(kOpUnlock, slot().positionBlock.data(), nullptr, length, nullptr, 0, 0);
    length = 28;
    ASSERT_EQ(callRecordManager(kOpGetEqual + kLockBiasNoWait, holder.data(), data.data(), length,
                                key.data(), 1, 0),
              0);
    setLockMode(503, "A", status);
  }
}

}  // namespace
}  // namespace talmidor
