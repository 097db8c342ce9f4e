#include "store/record_manager.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "store/file_definition.h"
#include "testing/test_environment.h"

namespace talmidor {
namespace {

// One open handle and the buffers of a call, the way a caller of the entry point holds them.
struct Handle {
  std::array<uint8_t, 128> block{};
  std::string data = std::string(1536, '\0');
  std::string key = std::string(255, '\0');
  uint32_t length = 0;

  int16_t open(const std::string& path, int8_t mode = kOpenNormal) {
    std::string name = path;
    length = 0;
    return callRecordManager(kOpOpen, block.data(), nullptr, length, name.data(),
                             static_cast<uint8_t>(name.size()), mode);
  }
  int16_t close() {
    length = 0;
    return callRecordManager(kOpClose, block.data(), nullptr, length, nullptr, 0, 0);
  }
  // A read: key value given (zero-padded to the buffer), record and key left in data and key.
  int16_t read(uint16_t op, int8_t keyNo, const std::string& value = "") {
    key.assign(255, '\0');
    key.replace(0, value.size(), value);
    data.assign(1536, '\0');
    length = static_cast<uint32_t>(data.size());
    return callRecordManager(op, block.data(), data.data(), length, key.data(), 255, keyNo);
  }
  int16_t write(uint16_t op, const std::string& record, int8_t keyNo = 0) {
    data = record;
    length = static_cast<uint32_t>(record.size());
    key.assign(255, '\0');
    return callRecordManager(op, block.data(), data.data(), length, key.data(), 255, keyNo);
  }
  int16_t simple(uint16_t op) {
    length = 0;
    return callRecordManager(op, block.data(), nullptr, length, nullptr, 0, 0);
  }
  std::string record() const { return data.substr(0, length); }
};

int16_t createFile(const std::string& path, const FileDefinition& def,
                   int8_t mode = kCreateNoOverwrite) {
  std::string block = creationBlock(def);
  std::string name = path;
  uint32_t length = static_cast<uint32_t>(block.size());
  std::array<uint8_t, 128> pb{};
  return callRecordManager(kOpCreate, pb.data(), block.data(), length, name.data(),
                           static_cast<uint8_t>(name.size()), mode);
}

SegmentSpec segment(uint16_t position, uint16_t length, uint16_t flags = 0, uint8_t type = 0) {
  SegmentSpec s;
  s.position = position;
  s.length = length;
  s.flags = flags;
  s.extendedType = type;
  return s;
}

// Records of 8 bytes: a 3-byte code (key 0, unique, modifiable), a 4-byte group (key 1,
// duplicates) and a tag byte.
FileDefinition codesAndGroups() {
  FileDefinition def;
  def.recordLength = 8;
  def.keys.push_back({{segment(1, 3, kKeyModifiable)}});
  def.keys.push_back({{segment(4, 4, kKeyDuplicates | kKeyModifiable)}});
  return def;
}

std::string rec(const std::string& code, const std::string& group, char tag) {
  return code + group + std::string(1, tag);
}

class RecordManagerTest : public TestEnvironment {
 protected:
  void SetUp() override {
    TestEnvironment::SetUp();
    resetRecordManager();
    path = dir() + "codes.dat";
  }
  void TearDown() override {
    resetRecordManager();
    TestEnvironment::TearDown();
  }
  // The file filled with records in this insertion order.
  void fill(Handle& h, const std::vector<std::string>& records) {
    ASSERT_EQ(createFile(path, codesAndGroups()), 0);
    ASSERT_EQ(h.open(path), 0);
    for (const auto& r : records) ASSERT_EQ(h.write(kOpInsert, r), 0) << r;
  }
  // Tags of every record in the order of keyNo, walking forwards then backwards.
  std::string walk(Handle& h, int8_t keyNo, bool forward = true) {
    std::string tags;
    int16_t status = h.read(forward ? kOpGetFirst : kOpGetLast, keyNo);
    while (status == 0) {
      tags += h.data[7];
      status = h.read(forward ? kOpGetNext : kOpGetPrevious, keyNo);
    }
    EXPECT_EQ(status, kStatusEndOfFile);
    return tags;
  }

  std::string path;
};

TEST_F(RecordManagerTest, CreateRefusesInvalidBlocks) {
  struct Case {
    const char* what;
    std::string block;
    int16_t status;
  };
  FileDefinition good = codesAndGroups();
  auto with = [&](auto change) {
    FileDefinition d = good;
    change(d);
    return creationBlock(d);
  };
  std::string noTable =
      with([](FileDefinition& d) { d.keys[0].segments[0].flags |= kKeyAlternate; });
  noTable.resize(noTable.size());  // the block ends after the segments: no sequence follows
  std::string badSignature = with([](FileDefinition& d) {
    d.keys[0].segments[0].flags |= kKeyAlternate;
    d.hasAlternate = true;
  });
  badSignature[16 + 2 * 16] = 'X';
  std::string cutShort = creationBlock(good).substr(0, 20);
  const Case cases[] = {
      {"empty", "", kStatusBufferTooShort},
      {"all blanks", std::string(1536, ' '), kStatusRecordLength},
      {"record length 0", with([](FileDefinition& d) { d.recordLength = 0; }), kStatusRecordLength},
      {"page size 1000", with([](FileDefinition& d) { d.pageSize = 1000; }), kStatusPageSize},
      {"segment past the record", with([](FileDefinition& d) { d.keys[1].segments[0].length = 6; }),
       kStatusKeyPosition},
      {"segment at 0", with([](FileDefinition& d) { d.keys[0].segments[0].position = 0; }),
       kStatusKeyPosition},
      {"segment length 0", with([](FileDefinition& d) { d.keys[0].segments[0].length = 0; }),
       kStatusKeyLength},
      {"segments cut short", cutShort, kStatusBufferTooShort},
      {"float key",
       with([](FileDefinition& d) { d.keys[1].segments[0] = segment(4, 4, 0x0100, 2); }),
       kStatusInvalidKeyType},
      {"unknown flag", with([](FileDefinition& d) { d.keys[0].segments[0].flags |= 0x0200; }),
       kStatusInvalidKeyType},
      {"integer of 3 bytes",
       with([](FileDefinition& d) { d.keys[0].segments[0] = segment(1, 3, 0x0100, 1); }),
       kStatusKeyLength},
      {"case-insensitive binary",
       with([](FileDefinition& d) { d.keys[1].segments[0].flags |= kKeyBinary | 0x0400; }),
       kStatusInvalidKeyType},
      {"alternate sequence missing", noTable, kStatusInvalidAlternate},
      {"alternate sequence without signature", badSignature, kStatusInvalidAlternate},
  };
  for (const auto& c : cases) {
    std::string block = c.block;
    std::string name = path;
    uint32_t length = static_cast<uint32_t>(block.size());
    std::array<uint8_t, 128> pb{};
    EXPECT_EQ(callRecordManager(kOpCreate, pb.data(), block.data(), length, name.data(),
                                static_cast<uint8_t>(name.size()), kCreateNoOverwrite),
              c.status)
        << c.what;
  }
  EXPECT_EQ(createFile(path, good), 0);
  EXPECT_EQ(createFile(path, good), kStatusFileExists);
  EXPECT_EQ(createFile(path, good, 0), 0) << "any other key number replaces the file";
}

TEST_F(RecordManagerTest, OpenTellsMissingForeignAndDamagedFiles) {
  Handle h;
  EXPECT_EQ(h.open(dir() + "missing.dat"), kStatusFileNotFound);
  EXPECT_EQ(h.open(writeFile("text.dat", "NAME,ADDRESS\nsomeone,somewhere\n")),
            kStatusNotADataFile);
  EXPECT_EQ(h.open(writeFile("empty.dat", "")), kStatusNotADataFile);
  EXPECT_EQ(h.open(dir()), kStatusNotADataFile);

  // A real data file, cut in the middle, and one with its first page overwritten.
  ASSERT_EQ(createFile(path, codesAndGroups()), 0);
  std::string whole = readFile("codes.dat");
  ASSERT_GT(whole.size(), 4096u);
  EXPECT_EQ(h.open(writeFile("cut.dat", whole.substr(0, 1000))), kStatusNotADataFile);
  std::string scrambled = whole;
  for (size_t i = 100; i < 4096; ++i) scrambled[i] = static_cast<char>(i * 7);
  EXPECT_EQ(h.open(writeFile("scrambled.dat", scrambled)), kStatusNotADataFile);
  EXPECT_EQ(openFileCount(), 0);

  EXPECT_EQ(h.read(kOpGetFirst, 0), kStatusFileNotOpen) << "a block that was never opened";
  ASSERT_EQ(h.open(path), 0);
  ASSERT_EQ(h.close(), 0);
  EXPECT_EQ(h.read(kOpGetFirst, 0), kStatusFileNotOpen) << "a closed block";
}

TEST_F(RecordManagerTest, SearchesFindTheRightRecordOrStatus) {
  Handle h;
  fill(h, {rec("BBB", "G002", 'b'), rec("DDD", "G001", 'd'), rec("AAA", "G002", 'a'),
           rec("CCC", "G001", 'c')});
  struct Case {
    uint16_t op;
    const char* value;
    int16_t status;
    char tag;
  };
  const Case cases[] = {
      {kOpGetEqual, "CCC", 0, 'c'},        {kOpGetEqual, "CCD", kStatusKeyNotFound, 0},
      {kOpGetGreater, "BBB", 0, 'c'},      {kOpGetGreaterOrEqual, "BBB", 0, 'b'},
      {kOpGetGreaterOrEqual, "B", 0, 'b'}, {kOpGetGreaterOrEqual, "E", kStatusEndOfFile, 0},
      {kOpGetLess, "BBB", 0, 'a'},         {kOpGetLessOrEqual, "BBB", 0, 'b'},
      {kOpGetLessOrEqual, "BZ", 0, 'b'},   {kOpGetLess, "AAA", kStatusEndOfFile, 0},
      {kOpGetFirst, "", 0, 'a'},           {kOpGetLast, "", 0, 'd'},
  };
  for (const auto& c : cases) {
    int16_t status = h.read(c.op, 0, c.value);
    EXPECT_EQ(status, c.status) << "op " << c.op << " " << c.value;
    if (status == 0) {
      EXPECT_EQ(h.data[7], c.tag) << "op " << c.op << " " << c.value;
      EXPECT_EQ(h.key.substr(0, 3), h.data.substr(0, 3)) << "the whole key comes back";
      EXPECT_EQ(h.length, 8u);
    } else {
      EXPECT_EQ(h.length, 0u);
    }
  }
  EXPECT_EQ(h.read(kOpGetFirst, 2), kStatusInvalidKeyNumber);
  EXPECT_EQ(h.read(kOpGetFirst, -1), kStatusInvalidKeyNumber);
}

TEST_F(RecordManagerTest, SteppingFollowsTheKeyAndKeepsDuplicatesInInsertionOrder) {
  Handle h;
  EXPECT_EQ(createFile(path, codesAndGroups()), 0);
  ASSERT_EQ(h.open(path), 0);
  EXPECT_EQ(h.read(kOpGetNext, 0), kStatusInvalidPositioning) << "nothing current after Open";
  EXPECT_EQ(h.read(kOpGetFirst, 0), kStatusEndOfFile) << "empty file";
  for (const auto& r : {rec("EEE", "G002", '1'), rec("BBB", "G001", '2'), rec("DDD", "G002", '3'),
                        rec("AAA", "G001", '4'), rec("CCC", "G002", '5')}) {
    ASSERT_EQ(h.write(kOpInsert, r), 0);
  }
  EXPECT_EQ(walk(h, 0), "42531");
  EXPECT_EQ(walk(h, 0, false), "13524");
  EXPECT_EQ(walk(h, 1), "24135");
  EXPECT_EQ(walk(h, 1, false), "53142");

  // Stepping continues from the record found, on the key it was found on.
  ASSERT_EQ(h.read(kOpGetEqual, 1, "G002"), 0);
  EXPECT_EQ(h.data[7], '1');
  EXPECT_EQ(h.read(kOpGetNext, 0), kStatusDifferentKeyNumber);
  ASSERT_EQ(h.read(kOpGetNext, 1), 0);
  EXPECT_EQ(h.data[7], '3');
  ASSERT_EQ(h.read(kOpGetPrevious, 1), 0);
  EXPECT_EQ(h.data[7], '1');
  ASSERT_EQ(h.read(kOpGetPrevious, 1), 0);
  EXPECT_EQ(h.data[7], '4');
  // At the end the current record stays where it was.
  ASSERT_EQ(h.read(kOpGetLast, 0), 0);
  EXPECT_EQ(h.read(kOpGetNext, 0), kStatusEndOfFile);
  ASSERT_EQ(h.read(kOpGetPrevious, 0), 0);
  EXPECT_EQ(h.data[7], '3');
}

TEST_F(RecordManagerTest, ShortBuffersPositionsAndDirectReads) {
  Handle h;
  fill(h, {rec("AAA", "G001", 'a'), rec("BBB", "G001", 'b')});
  // A short data buffer takes what fits, says 22 and still makes the record current.
  h.key.assign(255, '\0');
  h.key.replace(0, 3, "BBB");
  uint32_t length = 5;
  EXPECT_EQ(
      callRecordManager(kOpGetEqual, h.block.data(), h.data.data(), length, h.key.data(), 3, 0),
      kStatusBufferTooShort);
  EXPECT_EQ(length, 5u);
  EXPECT_EQ(h.simple(kOpGetPosition), kStatusBufferTooShort) << "no room for the position";
  h.length = 1536;
  ASSERT_EQ(
      callRecordManager(kOpGetPosition, h.block.data(), h.data.data(), h.length, nullptr, 0, 0), 0);
  ASSERT_EQ(h.length, 4u);
  std::string position = h.data.substr(0, 4);
  EXPECT_NE(position, std::string(4, '\0'));

  ASSERT_EQ(h.read(kOpGetFirst, 1), 0);
  EXPECT_EQ(h.data[7], 'a');
  // Get Direct: the position in, the record and its key on the given key out; the record
  // becomes current on that key.
  h.data.assign(1536, '\0');
  h.data.replace(0, 4, position);
  h.key.assign(255, '\0');
  h.length = 1536;
  ASSERT_EQ(
      callRecordManager(kOpGetDirect, h.block.data(), h.data.data(), h.length, h.key.data(), 0, 1),
      0);
  EXPECT_EQ(h.record(), rec("BBB", "G001", 'b'));
  EXPECT_EQ(h.key.substr(0, 4), "G001");
  EXPECT_EQ(h.read(kOpGetPrevious, 1), 0);
  EXPECT_EQ(h.data[7], 'a');

  for (uint32_t bad : {0u, 999u}) {
    h.data.assign(1536, '\0');
    h.data[0] = static_cast<char>(bad & 0xFF);
    h.data[1] = static_cast<char>(bad >> 8);
    h.length = 1536;
    EXPECT_EQ(callRecordManager(kOpGetDirect, h.block.data(), h.data.data(), h.length, h.key.data(),
                                0, 0),
              kStatusInvalidRecordPosition)
        << bad;
  }
}

TEST_F(RecordManagerTest, WritesKeepKeysAndCountsRight) {
  Handle h;
  fill(h, {rec("AAA", "G001", 'a'), rec("BBB", "G001", 'b'), rec("CCC", "G002", 'c')});
  EXPECT_EQ(h.write(kOpInsert, rec("BBB", "G009", 'x')), kStatusDuplicateKey);
  EXPECT_EQ(h.write(kOpInsert, "short"), kStatusBufferTooShort);
  EXPECT_EQ(h.simple(kOpDelete), kStatusOk) << "the inserted CCC was current";

  // Stat: the creation block with the number of records and distinct values of each key.
  h.data.assign(1536, '\0');
  h.length = 1536;
  ASSERT_EQ(
      callRecordManager(kOpStat, h.block.data(), h.data.data(), h.length, h.key.data(), 255, 0), 0);
  ASSERT_EQ(h.length, 16u + 2 * 16);
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(h.data[at]) |
                                 static_cast<uint8_t>(h.data[at + 1]) << 8);
  };
  EXPECT_EQ(u32(0), 8u);
  EXPECT_EQ(u32(4), 2u);
  EXPECT_EQ(u32(6), 2u) << "records";
  EXPECT_EQ(u32(16 + 6), 2u) << "distinct codes";
  EXPECT_EQ(u32(32 + 6), 1u) << "distinct groups";

  // Update: a changed key moves the record in that key's order; a key that may not change is
  // refused; a duplicate of a unique key is refused.
  ASSERT_EQ(h.read(kOpGetEqual, 0, "AAA"), 0);
  ASSERT_EQ(h.write(kOpUpdate, rec("ZZZ", "G001", 'a')), 0);
  EXPECT_EQ(walk(h, 0), "ba");
  ASSERT_EQ(h.read(kOpGetEqual, 0, "BBB"), 0);
  EXPECT_EQ(h.write(kOpUpdate, rec("ZZZ", "G001", 'b')), kStatusDuplicateKey);
  FileDefinition fixed = codesAndGroups();
  fixed.keys[0].segments[0].flags = 0;
  ASSERT_EQ(createFile(dir() + "fixed.dat", fixed), 0);
  Handle f;
  ASSERT_EQ(f.open(dir() + "fixed.dat"), 0);
  ASSERT_EQ(f.write(kOpInsert, rec("AAA", "G001", 'a')), 0);
  EXPECT_EQ(f.write(kOpUpdate, rec("AAB", "G001", 'a')), kStatusKeyNotModifiable);
  EXPECT_EQ(f.write(kOpUpdate, rec("AAA", "G007", 'q')), 0) << "other fields may change";

  // Delete: the next step continues from where the record stood.
  ASSERT_EQ(h.read(kOpGetFirst, 0), 0);
  ASSERT_EQ(h.simple(kOpDelete), 0);
  EXPECT_EQ(h.simple(kOpDelete), kStatusInvalidPositioning);
  ASSERT_EQ(h.read(kOpGetNext, 0), 0);
  EXPECT_EQ(h.data[7], 'a');
}

TEST_F(RecordManagerTest, NullKeysStayOutOfTheirKeyOrder) {
  FileDefinition def;
  def.recordLength = 4;
  def.keys.push_back({{segment(1, 2, kKeyModifiable)}});
  def.keys.push_back({{segment(3, 1, kKeyNull | kKeyDuplicates)}});
  def.keys[1].segments[0].nullValue = ' ';
  ASSERT_EQ(createFile(path, def), 0);
  Handle h;
  ASSERT_EQ(h.open(path), 0);
  for (const char* r : {"01 a", "02Xb", "03 c", "04Ad"}) ASSERT_EQ(h.write(kOpInsert, r), 0);
  std::string tags;
  for (int16_t s = h.read(kOpGetFirst, 1); s == 0; s = h.read(kOpGetNext, 1)) tags += h.data[3];
  EXPECT_EQ(tags, "db");
  EXPECT_EQ(h.read(kOpGetEqual, 1, " "), kStatusKeyNotFound);
}

TEST_F(RecordManagerTest, ACursorSeesWhatAnotherHandleOfTheProcessWrote) {
  Handle reader, writer;
  fill(reader, {rec("AAA", "G001", 'a'), rec("CCC", "G001", 'c'), rec("EEE", "G001", 'e')});
  ASSERT_EQ(writer.open(path), 0);
  ASSERT_EQ(reader.read(kOpGetFirst, 0), 0);
  ASSERT_EQ(reader.read(kOpGetNext, 0), 0);
  ASSERT_EQ(writer.write(kOpInsert, rec("DDD", "G001", 'd')), 0);
  ASSERT_EQ(reader.read(kOpGetNext, 0), 0);
  EXPECT_EQ(reader.data[7], 'd');
  ASSERT_EQ(reader.read(kOpGetEqual, 0, "EEE"), 0);
  ASSERT_EQ(writer.read(kOpGetEqual, 0, "EEE"), 0);
  ASSERT_EQ(writer.simple(kOpDelete), 0);
  EXPECT_EQ(reader.read(kOpGetNext, 0), kStatusEndOfFile);
}

TEST_F(RecordManagerTest, RecordLocksAndExclusiveOpensExcludeOtherHandles) {
  Handle a, b;
  fill(a, {rec("AAA", "G001", 'a'), rec("BBB", "G001", 'b')});
  ASSERT_EQ(b.open(path), 0);

  ASSERT_EQ(a.read(kOpGetEqual + kLockBiasNoWait, 0, "AAA"), 0);
  EXPECT_EQ(b.read(kOpGetEqual + kLockBiasNoWait, 0, "AAA"), kStatusRecordLocked);
  EXPECT_EQ(b.read(kOpGetFirst + kLockBiasWait, 0), kStatusRecordLocked)
      << "a wait on a lock of this very process could never end";
  // A refused locked read leaves the current record where it was.
  ASSERT_EQ(b.read(kOpGetLast, 0), 0);
  EXPECT_EQ(b.read(kOpGetPrevious + kLockBiasNoWait, 0), kStatusRecordLocked);
  ASSERT_EQ(b.read(kOpGetPrevious, 0), 0) << "plain reads pass a lock";
  EXPECT_EQ(b.data[7], 'a');
  EXPECT_EQ(b.write(kOpUpdate, rec("AAA", "G002", 'a')), kStatusRecordLocked);
  EXPECT_EQ(b.simple(kOpDelete), kStatusRecordLocked);

  // A new locked read moves the single lock; Unlock and Close release it.
  ASSERT_EQ(a.read(kOpGetNext + kLockBiasNoWait, 0), 0);
  EXPECT_EQ(b.read(kOpGetEqual + kLockBiasNoWait, 0, "AAA"), 0);
  EXPECT_EQ(b.simple(kOpUnlock), 0);
  EXPECT_EQ(b.read(kOpGetEqual + kLockBiasNoWait, 0, "BBB"), kStatusRecordLocked);
  ASSERT_EQ(a.close(), 0);
  EXPECT_EQ(b.read(kOpGetEqual + kLockBiasNoWait, 0, "BBB"), 0);
  EXPECT_EQ(b.read(kOpGetEqual + 300, 0, "BBB"), kStatusInvalidOperation);
  EXPECT_EQ(b.simple(kOpStat + kLockBiasNoWait), kStatusInvalidOperation);

  // Exclusive opens.
  Handle c;
  EXPECT_EQ(c.open(path, kOpenExclusive), kStatusFileLocked) << "b has it open";
  ASSERT_EQ(b.close(), 0);
  ASSERT_EQ(c.open(path, kOpenExclusive), 0);
  EXPECT_EQ(a.open(path), kStatusFileLocked);
  ASSERT_EQ(c.close(), 0);
  EXPECT_EQ(a.open(path), 0);
}

TEST_F(RecordManagerTest, TransactionsKeepOrUndoTheirWritesTogether) {
  Handle h;
  fill(h, {rec("AAA", "G001", 'a')});
  EXPECT_EQ(h.simple(kOpEndTransaction), kStatusNoTransaction);
  ASSERT_EQ(h.simple(kOpBeginTransaction), 0);
  EXPECT_EQ(h.simple(kOpBeginTransaction), kStatusTransactionActive);
  ASSERT_EQ(h.write(kOpInsert, rec("BBB", "G001", 'b')), 0);
  EXPECT_EQ(h.write(kOpInsert, rec("BBB", "G001", 'x')), kStatusDuplicateKey)
      << "a refused write leaves the transaction going";
  ASSERT_EQ(h.write(kOpInsert, rec("CCC", "G001", 'c')), 0);
  ASSERT_EQ(h.simple(kOpAbortTransaction), 0);
  EXPECT_EQ(walk(h, 0), "a");
  ASSERT_EQ(h.simple(kOpBeginTransaction), 0);
  ASSERT_EQ(h.write(kOpInsert, rec("BBB", "G001", 'b')), 0);
  ASSERT_EQ(h.simple(kOpEndTransaction), 0);
  EXPECT_EQ(walk(h, 0), "ab");
}

TEST_F(RecordManagerTest, ResetClosesEveryFileOfTheProcess) {
  Handle a, b;
  fill(a, {rec("AAA", "G001", 'a')});
  ASSERT_EQ(b.open(path), 0);
  ASSERT_EQ(a.read(kOpGetFirst + kLockBiasNoWait, 0), 0);
  ASSERT_EQ(openFileCount(), 2);
  std::array<uint8_t, 128> scratch;
  scratch.fill(' ');
  uint32_t length = 0;
  ASSERT_EQ(callRecordManager(kOpReset, scratch.data(), nullptr, length, nullptr, 0, 0), 0);
  EXPECT_EQ(openFileCount(), 0);
  EXPECT_EQ(a.read(kOpGetFirst, 0), kStatusFileNotOpen);
  Handle c;
  ASSERT_EQ(c.open(path, kOpenExclusive), 0) << "no lock survived the reset";
}

TEST_F(RecordManagerTest, UnknownOperationsAndBadArguments) {
  Handle h;
  fill(h, {rec("AAA", "G001", 'a')});
  EXPECT_EQ(h.simple(99), kStatusInvalidOperation);
  EXPECT_EQ(h.simple(17), kStatusInvalidOperation);
  Handle other;
  EXPECT_EQ(other.open(""), kStatusInvalidFileName);
  EXPECT_EQ(other.open(path, 7), kStatusInvalidOperation);
  uint32_t length = 0;
  EXPECT_EQ(callRecordManager(kOpGetFirst, nullptr, nullptr, length, nullptr, 0, 0),
            kStatusFileNotOpen);
}

}  // namespace
}  // namespace talmidor
