// One table of key orderings, per key kind: the order the store keeps the keys in, and, for
// the kinds the program's own collation form handles, the order of those collation forms.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "keyed/keyed_fixture.h"
#include "keyed/records.h"

namespace talmidor {
namespace {

// n bytes of v, least significant first.
std::string le(int64_t v, int n) {
  std::string out;
  for (int i = 0; i < n; ++i)
    out += static_cast<char>((static_cast<uint64_t>(v) >> (8 * i)) & 0xFF);
  return out;
}

std::string bytes(std::initializer_list<int> list) {
  std::string out;
  for (int b : list) out += static_cast<char>(b);
  return out;
}

struct Segment {
  uint16_t length;
  uint16_t flags;
  uint8_t type;
};

struct OrderCase {
  const char* kind;
  std::vector<Segment> segments;
  // Key values in insertion order; record i carries the tag 'a' + i.
  std::vector<std::string> keys;
  // The tags in key order.
  const char* order;
  // The program's collation form handles this kind (binary and alternate-sequence segments,
  // plain strings).
  bool collationFormAgrees;
};

constexpr uint16_t kExt = kKeyExtendedType;

const OrderCase kCases[] = {
    {"string, unsigned bytes, shorter prefix first",
     {{2, 0, 0}},
     {"b ", "a ", "ab", "B ", "\x90 ", "a "},
     "dbfcae",
     true},
    {"binary flag: little-endian unsigned",
     {{2, kKeyBinary, 0}},
     {le(258, 2), le(1, 2), le(256, 2), le(65535, 2), le(255, 2)},
     "becad",
     true},
    {"integer, 2 bytes",
     {{2, kExt, kTypeInteger}},
     {le(-1, 2), le(1, 2), le(-300, 2), le(0, 2), le(32767, 2), le(-32768, 2)},
     "fcadbe",
     false},
    {"integer, 4 bytes",
     {{4, kExt, kTypeInteger}},
     {le(70000, 4), le(-70000, 4), le(-1, 4), le(2, 4)},
     "bcda",
     false},
    {"integer, 8 bytes",
     {{8, kExt, kTypeInteger}},
     {le(1LL << 40, 8), le(-(1LL << 40), 8), le(0, 8)},
     "bca",
     false},
    {"unsigned binary type",
     {{3, kExt, kTypeUnsignedBinary}},
     {le(0x10000, 3), le(0xFF, 3), le(0x100, 3)},
     "bca",
     false},
    {"unsigned binary type with the binary flag",
     {{3, kExt | kKeyBinary, kTypeUnsignedBinary}},
     {le(0x10000, 3), le(0xFF, 3), le(0x100, 3)},
     "bca",
     true},
    {"length-prefixed string",
     {{5, kExt, kTypeLengthString}},
     {bytes({2, 'a', 'b', 'Z', 'Z'}), bytes({1, 'b', 0, 0, 0}), bytes({3, 'a', 'b', 'c', 0}),
      bytes({0, 'X', 'X', 'X', 'X'}), bytes({2, 'a', 'b', 'A', 'A'})},
     "daecb",
     false},
    {"zero-terminated string",
     {{4, kExt, kTypeZeroString}},
     {bytes({'a', 'b', 0, 'Z'}), bytes({'a', 0, 0, 0}), bytes({'a', 'b', 'c', 0}),
      bytes({'a', 'b', 0, 'A'}), bytes({'b', 0, 0, 0}), "abcd"},
     "badcfe",
     false},
    {"alternate collating sequence",
     {{2, kKeyAlternate, 0}},
     {"cb", "Ca",
      "\x87"
      "a",
      "ca", "B "},
     "ebcda",
     true},
    {"case-insensitive", {{1, kKeyCaseInsensitive, 0}}, {"b", "A", "a", "B", "["}, "bcade", false},
    {"descending", {{2, kKeyDescending, 0}}, {"b ", "a ", "c ", "ab"}, "cadb", false},
    {"two segments: binary then string",
     {{2, kKeyBinary, 0}, {2, 0, 0}},
     {le(256, 2) + "zz", le(1, 2) + "bb", le(256, 2) + "aa", le(1, 2) + "aa"},
     "dbca",
     true},
    {"two segments: descending string then binary",
     {{1, kKeyDescending, 0}, {1, kKeyBinary, 0}},
     {"a\x02", "b\x01", "a\x01", "b\x02"},
     "bdca",
     false},
    {"duplicates in insertion order", {{1, 0, 0}}, {"x", "a", "x", "a", "x"}, "bdace", true},
};

class KeyOrderTest : public KeyedTest {};

TEST_F(KeyOrderTest, StoreOrderAndCollationFormAgreeWithTheTable) {
  int16_t fileNo = 700;
  for (const auto& c : kCases) {
    FileDefinition def;
    uint16_t position = 1;
    KeySpec key;
    for (size_t i = 0; i < c.segments.size(); ++i) {
      uint16_t flags = c.segments[i].flags | kKeyDuplicates;
      if (i + 1 < c.segments.size()) flags |= kKeySegmented;
      key.segments.push_back(
          makeSegment(position, c.segments[i].length, flags, c.segments[i].type));
      position = static_cast<uint16_t>(position + c.segments[i].length);
      def.hasAlternate = def.hasAlternate || (flags & kKeyAlternate);
    }
    def.keys.push_back(key);
    def.recordLength = position;  // the key, then the tag
    for (int b = 0; b < 256; ++b) {
      def.alternateTable[b] = static_cast<uint8_t>(b >= 'a' && b <= 'z' ? b - 32 : b);
    }
    def.alternateTable[0x87] = 'C';  // ç
    std::vector<std::string> records;
    for (size_t i = 0; i < c.keys.size(); ++i) {
      records.push_back(c.keys[i] + static_cast<char>('a' + i));
    }
    std::string path = dir() + "order" + std::to_string(fileNo) + ".dat";
    makeDataFile(path, def, records);

    char area[64] = {};
    int16_t status = -1;
    openKeyedFile(++fileNo, path, area, status);
    ASSERT_EQ(status, 0) << c.kind;
    auto& block = keyedFileTable().slots[findFileSlot(fileNo)].positionBlock;
    auto walk = [&](uint16_t first, uint16_t next) {
      std::string tags, data(64, '\0'), keyBuffer(255, '\0');
      for (uint16_t op = first;; op = next) {
        uint32_t length = 64;
        if (callRecordManager(op, block.data(), data.data(), length, keyBuffer.data(), 255, 0) !=
            0) {
          break;
        }
        tags += data[length - 1];
      }
      return tags;
    };
    EXPECT_EQ(walk(kOpGetFirst, kOpGetNext), c.order) << c.kind;
    std::string backwards = c.order;
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(walk(kOpGetLast, kOpGetPrevious), backwards) << c.kind;

    if (c.collationFormAgrees) {
      std::vector<size_t> byForm(c.keys.size());
      for (size_t i = 0; i < byForm.size(); ++i) byForm[i] = i;
      std::vector<std::string> forms;
      for (const auto& k : c.keys) forms.push_back(collationForm(k, fileNo));
      std::stable_sort(byForm.begin(), byForm.end(),
                       [&](size_t a, size_t b) { return forms[a] < forms[b]; });
      std::string tags;
      for (size_t i : byForm) tags += static_cast<char>('a' + i);
      EXPECT_EQ(tags, c.order) << c.kind << " (collation form)";
    }
  }
}

}  // namespace
}  // namespace talmidor
