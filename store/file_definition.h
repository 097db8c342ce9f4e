#pragma once
// The layout of a keyed data file as the Create operation receives it and Stat returns it,
// and the collation form of keys: the byte string whose plain byte order is the order of the
// keys in the file.
//
// Creation block, all integers little-endian: file specification (16 bytes: record length,
// page size, number of keys, 4 reserved bytes (Stat: number of records), file flags, 2
// reserved, pages to preallocate), then one 16-byte segment specification per segment, key 0's
// segments first (position from 1, length, flags, 4 reserved bytes (Stat: distinct key values),
// extended type, null value, 4 reserved), then, when a segment uses the alternate collating
// sequence, 0xAC, an 8-byte name and a 256-byte table.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talmidor {

// Segment flags.
constexpr uint16_t kKeyDuplicates = 0x0001;
constexpr uint16_t kKeyModifiable = 0x0002;
constexpr uint16_t kKeyBinary = 0x0004;
constexpr uint16_t kKeyNull = 0x0008;
constexpr uint16_t kKeySegmented = 0x0010;
constexpr uint16_t kKeyAlternate = 0x0020;
constexpr uint16_t kKeyDescending = 0x0040;
constexpr uint16_t kKeyExtendedType = 0x0100;
constexpr uint16_t kKeyCaseInsensitive = 0x0400;

// Extended types accepted.
constexpr uint8_t kTypeString = 0;
constexpr uint8_t kTypeInteger = 1;
constexpr uint8_t kTypeLengthString = 10;
constexpr uint8_t kTypeZeroString = 11;
constexpr uint8_t kTypeUnsignedBinary = 14;

constexpr uint8_t kAlternateSignature = 0xAC;
constexpr size_t kFileSpecSize = 16;
constexpr size_t kSegmentSpecSize = 16;
constexpr size_t kAlternateSize = 1 + 8 + 256;
constexpr uint16_t kMaxRecordLength = 4096;
constexpr int kMaxSegments = 119;
constexpr int kMaxKeyLength = 255;

struct SegmentSpec {
  uint16_t position = 1;  // from 1
  uint16_t length = 1;
  uint16_t flags = 0;
  uint8_t extendedType = 0;
  uint8_t nullValue = 0;
};

struct KeySpec {
  std::vector<SegmentSpec> segments;
  // Taken from the key's first segment.
  bool duplicates() const { return segments.front().flags & kKeyDuplicates; }
  bool modifiable() const { return segments.front().flags & kKeyModifiable; }
  bool nullKey() const { return segments.front().flags & kKeyNull; }
  // Sum of the segment lengths.
  int length() const;
};

struct FileDefinition {
  uint16_t recordLength = 0;
  uint16_t pageSize = 1024;
  uint16_t fileFlags = 0;
  uint16_t preallocate = 0;
  std::vector<KeySpec> keys;
  bool hasAlternate = false;
  std::string alternateName = std::string(8, ' ');  // 8 bytes
  std::array<uint8_t, 256> alternateTable{};
};

// Reads a creation block of length bytes (bytes after the block are ignored). Returns 0, or
// the status that refuses it: 22 block too short, 28 record length, 24 page size, 26 number of
// keys or segments, 27 segment outside the record, 29 key or segment length, 49 a key kind
// that is not supported, 48 a missing or malformed alternate collating sequence.
int16_t parseCreationBlock(const uint8_t* block, size_t length, FileDefinition& definition);

// The creation block of a definition (the form that parseCreationBlock reads back).
std::string creationBlock(const FileDefinition& definition);

// The Stat layout: the creation block with the number of records and of distinct values of
// each key filled in.
std::string statBlock(const FileDefinition& definition, uint32_t records,
                      const std::vector<uint32_t>& distinctValues);

// The key's bytes as they stand in the record, segment after segment.
std::string extractKey(const FileDefinition& definition, int keyNo, std::string_view record);
void extractKey(const FileDefinition& definition, int keyNo, std::string_view record,
                std::string& rawKey);

// The collation form of a key given as its bytes (segment after segment, as extractKey gives
// them; a short rawKey counts as padded with zero bytes). Returns false for a null key (flag
// 0x0008 and every byte of the key equal to its segment's null value), which is left out of
// the key's order; out then still holds the form, for searching.
bool collateKey(const FileDefinition& definition, int keyNo, std::string_view rawKey,
                std::string& out);

}  // namespace talmidor
