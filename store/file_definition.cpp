#include "store/file_definition.h"

#include <algorithm>

#include "store/record_manager.h"

namespace talmidor {

namespace {

constexpr uint16_t kKnownFlags = kKeyDuplicates | kKeyModifiable | kKeyBinary | kKeyNull |
                                 kKeySegmented | kKeyAlternate | kKeyDescending | kKeyExtendedType |
                                 kKeyCaseInsensitive;

uint16_t get16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void put16(std::string& out, size_t at, uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}

void put32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

enum class SegmentKind { String, LengthString, ZeroString, Integer, Unsigned };

SegmentKind kindOf(const SegmentSpec& s) {
  if (s.flags & kKeyExtendedType) {
    switch (s.extendedType) {
      case kTypeInteger:
        return SegmentKind::Integer;
      case kTypeLengthString:
        return SegmentKind::LengthString;
      case kTypeZeroString:
        return SegmentKind::ZeroString;
      case kTypeUnsignedBinary:
        return SegmentKind::Unsigned;
      default:
        return SegmentKind::String;
    }
  }
  return (s.flags & kKeyBinary) ? SegmentKind::Unsigned : SegmentKind::String;
}

// The refusal of a segment kind this store cannot order, or 0.
int16_t checkSegmentKind(const SegmentSpec& s) {
  if (s.flags & ~kKnownFlags) return kStatusInvalidKeyType;
  bool text = true;
  if (s.flags & kKeyExtendedType) {
    switch (s.extendedType) {
      case kTypeString:
      case kTypeLengthString:
      case kTypeZeroString:
        if (s.flags & kKeyBinary) return kStatusInvalidKeyType;
        break;
      case kTypeInteger:
        if (s.length != 1 && s.length != 2 && s.length != 4 && s.length != 8) {
          return kStatusKeyLength;
        }
        text = false;
        break;
      case kTypeUnsignedBinary:
        text = false;
        break;
      default:
        return kStatusInvalidKeyType;
    }
  } else if (s.flags & kKeyBinary) {
    text = false;
  }
  bool alternate = s.flags & kKeyAlternate;
  bool noCase = s.flags & kKeyCaseInsensitive;
  if ((alternate || noCase) && !text) return kStatusInvalidKeyType;
  if (alternate && noCase) return kStatusInvalidKeyType;
  return 0;
}

uint8_t foldByte(const FileDefinition& d, const SegmentSpec& s, uint8_t b) {
  if (s.flags & kKeyAlternate) return d.alternateTable[b];
  if ((s.flags & kKeyCaseInsensitive) && b >= 'a' && b <= 'z') return static_cast<uint8_t>(b - 32);
  return b;
}

}  // namespace

int KeySpec::length() const {
  int total = 0;
  for (const auto& s : segments) total += s.length;
  return total;
}

int16_t parseCreationBlock(const uint8_t* block, size_t length, FileDefinition& definition) {
  FileDefinition d;
  if (block == nullptr || length < kFileSpecSize) return kStatusBufferTooShort;
  d.recordLength = get16(block);
  d.pageSize = get16(block + 2);
  uint16_t keyCount = get16(block + 4);
  d.fileFlags = get16(block + 10);
  d.preallocate = get16(block + 14);
  if (d.recordLength == 0 || d.recordLength > kMaxRecordLength) return kStatusRecordLength;
  if (d.pageSize < 512 || d.pageSize > 4096 || d.pageSize % 512 != 0) return kStatusPageSize;
  if (keyCount > kMaxSegments) return kStatusNumberOfKeys;
  size_t at = kFileSpecSize;
  int segmentCount = 0;
  bool usesAlternate = false;
  for (int k = 0; k < keyCount; ++k) {
    KeySpec key;
    bool more = true;
    while (more) {
      if (++segmentCount > kMaxSegments) return kStatusNumberOfKeys;
      if (at + kSegmentSpecSize > length) return kStatusBufferTooShort;
      const uint8_t* p = block + at;
      SegmentSpec s;
      s.position = get16(p);
      s.length = get16(p + 2);
      s.flags = get16(p + 4);
      s.extendedType = p[10];
      s.nullValue = p[11];
      at += kSegmentSpecSize;
      if (s.length == 0) return kStatusKeyLength;
      if (s.position == 0 || s.position + s.length - 1 > d.recordLength) {
        return kStatusKeyPosition;
      }
      if (int16_t refused = checkSegmentKind(s)) return refused;
      usesAlternate = usesAlternate || (s.flags & kKeyAlternate);
      more = s.flags & kKeySegmented;
      key.segments.push_back(s);
    }
    if (key.length() > kMaxKeyLength) return kStatusKeyLength;
    d.keys.push_back(std::move(key));
  }
  if (usesAlternate) {
    if (at + kAlternateSize > length || block[at] != kAlternateSignature) {
      return kStatusInvalidAlternate;
    }
    d.hasAlternate = true;
    d.alternateName.assign(reinterpret_cast<const char*>(block + at + 1), 8);
    std::copy(block + at + 9, block + at + 9 + 256, d.alternateTable.begin());
  }
  definition = std::move(d);
  return kStatusOk;
}

std::string statBlock(const FileDefinition& d, uint32_t records,
                      const std::vector<uint32_t>& distinctValues) {
  size_t segments = 0;
  for (const auto& k : d.keys) segments += k.segments.size();
  std::string out(
      kFileSpecSize + segments * kSegmentSpecSize + (d.hasAlternate ? kAlternateSize : 0), '\0');
  put16(out, 0, d.recordLength);
  put16(out, 2, d.pageSize);
  put16(out, 4, static_cast<uint16_t>(d.keys.size()));
  put32(out, 6, records);
  put16(out, 10, d.fileFlags);
  put16(out, 14, d.preallocate);
  size_t at = kFileSpecSize;
  for (size_t k = 0; k < d.keys.size(); ++k) {
    uint32_t distinct = k < distinctValues.size() ? distinctValues[k] : 0;
    for (const auto& s : d.keys[k].segments) {
      put16(out, at, s.position);
      put16(out, at + 2, s.length);
      put16(out, at + 4, s.flags);
      put32(out, at + 6, distinct);
      out[at + 10] = static_cast<char>(s.extendedType);
      out[at + 11] = static_cast<char>(s.nullValue);
      at += kSegmentSpecSize;
    }
  }
  if (d.hasAlternate) {
    out[at] = static_cast<char>(kAlternateSignature);
    std::string name = d.alternateName;
    name.resize(8, ' ');
    out.replace(at + 1, 8, name);
    for (int c = 0; c < 256; ++c) out[at + 9 + c] = static_cast<char>(d.alternateTable[c]);
  }
  return out;
}

std::string creationBlock(const FileDefinition& definition) {
  std::string block = statBlock(definition, 0, {});
  put16(block, 14, definition.preallocate);
  return block;
}

void extractKey(const FileDefinition& d, int keyNo, std::string_view record, std::string& raw) {
  raw.clear();
  for (const auto& s : d.keys[keyNo].segments) {
    size_t start = s.position - 1u;
    if (start < record.size()) {
      size_t n = std::min<size_t>(s.length, record.size() - start);
      raw.append(record.data() + start, n);
      raw.append(s.length - n, '\0');
    } else {
      raw.append(s.length, '\0');
    }
  }
}

std::string extractKey(const FileDefinition& d, int keyNo, std::string_view record) {
  std::string raw;
  extractKey(d, keyNo, record, raw);
  return raw;
}

bool collateKey(const FileDefinition& d, int keyNo, std::string_view rawKey, std::string& out) {
  const KeySpec& key = d.keys[keyNo];
  out.clear();
  auto byteAt = [&](size_t i) -> uint8_t {
    return i < rawKey.size() ? static_cast<uint8_t>(rawKey[i]) : 0;
  };
  bool allNull = key.nullKey();
  size_t at = 0;
  for (const auto& s : key.segments) {
    for (size_t i = 0; i < s.length && allNull; ++i) allNull = byteAt(at + i) == s.nullValue;
    at += s.length;
  }
  at = 0;
  for (const auto& s : key.segments) {
    size_t start = out.size();
    switch (kindOf(s)) {
      case SegmentKind::String:
        for (size_t i = 0; i < s.length; ++i)
          out.push_back(static_cast<char>(foldByte(d, s, byteAt(at + i))));
        break;
      case SegmentKind::LengthString: {
        // The content after the length byte; shorter contents sort first.
        size_t n = std::min<size_t>(byteAt(at), s.length - 1u);
        for (size_t i = 0; i < n; ++i)
          out.push_back(static_cast<char>(foldByte(d, s, byteAt(at + 1 + i))));
        out.append(s.length - 1u - n, '\0');
        break;
      }
      case SegmentKind::ZeroString: {
        size_t i = 0;
        for (; i < s.length && byteAt(at + i) != 0; ++i) {
          out.push_back(static_cast<char>(foldByte(d, s, byteAt(at + i))));
        }
        out.append(s.length - i, '\0');
        break;
      }
      case SegmentKind::Integer:
      case SegmentKind::Unsigned:
        // Stored least significant byte first: most significant first sorts numerically.
        for (size_t i = s.length; i > 0; --i) out.push_back(static_cast<char>(byteAt(at + i - 1)));
        if (kindOf(s) == SegmentKind::Integer) out[start] = static_cast<char>(out[start] ^ 0x80);
        break;
    }
    if (s.flags & kKeyDescending) {
      for (size_t i = start; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
    }
    at += s.length;
  }
  return !allNull;
}

}  // namespace talmidor
