#include "keyed/records.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "config/session.h"
#include "console/help.h"
#include "console/screen_stack.h"
#include "keyed/file_statistics.h"
#include "keyed/keyed_files.h"
#include "platform/cp850.h"
#include "platform/platform.h"
#include "store/record_manager.h"

namespace talmidor {

namespace {

constexpr int16_t kLockBias = 200;
constexpr int kMaxSlot = 40;

std::string_view lockWaitText(const std::string& language) {
  if (language == "SPA") return "FICHERO BLOQUEADO. ESPERE UN MOMENTO."_cp;
  if (language == "GLG") return "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO."_cp;
  if (language == "OCI") return "FICH╚R BLOQUEJAT. ESPERATZ UN MOMENT."_cp;
  return "FITXER BLOQUEJAT. ESPEREU UN MOMENT."_cp;
}

// The reads that take a single-record lock when the file's lock mode asks for one.
bool takesLockBias(int16_t operation) {
  return (operation >= 5 && operation <= 13) || operation == 19 ||
         (operation >= 22 && operation <= 24) || (operation >= 33 && operation <= 35);
}

// The slot of an open file, or nullptr.
FileSlot* openSlot(int16_t fileNo) {
  int16_t found = findFileSlot(fileNo);
  return found > 0 ? &keyedFileTable().slots[found] : nullptr;
}

// After every call the key value takes the first bytes of the key buffer, as many as it had.
void updateKeyValue(FileSlot& slot, const char* keyBuffer) {
  slot.keyValue.assign(keyBuffer, std::min(slot.keyValue.size(), kKeyBufferSize));
}

size_t usableRecordLength(const FileSlot& slot) {
  if (slot.recordArea == nullptr || slot.recordLength <= 0) return 0;
  return std::min(static_cast<size_t>(slot.recordLength), kDataBufferSize);
}

}  // namespace

void setLockMode(int16_t fileNo, const std::string& options, int16_t& status) {
  int16_t slotNo = findFileSlot(fileNo);
  if (slotNo <= 0) {
    status = kStatusFileNotOpen;
    return;
  }
  FileSlot& slot = keyedFileTable().slots[slotNo];
  std::string& stack = keyedFileTable().lockModeStack;
  for (char c : options) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'D':
        slot.lockMode = 0;
        break;
      case 'A':
        slot.lockMode = 1;
        break;
      case 'B':
        slot.lockMode = 2;
        break;
      case '+':
        stack += static_cast<char>(slotNo);
        stack += static_cast<char>(slot.lockMode);
        break;
      case '-':
        // The newest pair of this slot, searched from the last pair backwards.
        for (size_t at = stack.size() >= 2 ? stack.size() - 2 : stack.size(); at < stack.size();
             at -= 2) {
          if (static_cast<int16_t>(static_cast<unsigned char>(stack[at])) == slotNo) {
            slot.lockMode = static_cast<int16_t>(static_cast<unsigned char>(stack[at + 1]));
            stack.erase(at, 2);
            break;
          }
          if (at < 2) break;
        }
        break;
      default:
        break;
    }
  }
}

int16_t readWithLockWait(int16_t slotNo, int16_t operation) {
  if (slotNo < 1 || slotNo > kMaxSlot) return kStatusFileNotOpen;
  FileSlot& slot = keyedFileTable().slots[slotNo];
  int16_t biased = operation;
  if (slot.lockMode != 0 && takesLockBias(operation))
    biased = static_cast<int16_t>(operation + kLockBias);
  size_t recordLength = usableRecordLength(slot);
  int attempts = 0;
  int16_t status;
  for (;;) {
    // Shown once, after the first pause.
    if (attempts == 1) showMessageBox(24, std::string(lockWaitText(session().language)));
    std::array<char, kDataBufferSize> data{};
    if (recordLength > 0) std::memcpy(data.data(), slot.recordArea, recordLength);
    uint32_t dataLength = static_cast<uint32_t>(recordLength);
    std::array<char, kKeyBufferSize> key{};
    size_t keyLength = std::min(slot.keyValue.size(), kKeyBufferSize - 1);
    std::memcpy(key.data(), slot.keyValue.data(), keyLength);
    status = callRecordManager(static_cast<uint16_t>(biased), slot.positionBlock.data(),
                               data.data(), dataLength, key.data(), static_cast<uint8_t>(keyLength),
                               static_cast<int8_t>(slot.keyNo));
    size_t returned = std::min<size_t>(recordLength, dataLength);
    if (returned > 0) std::memcpy(slot.recordArea, data.data(), returned);
    updateKeyValue(slot, key.data());
    bool locked = status == kStatusRecordLocked || status == kStatusFileLocked;
    if (!locked || slot.lockMode != 1) break;
    double r = platform().system->randomFraction();
    platform().system->pause(static_cast<int>(std::lround(10000.0 * r + 1.0)));
    if (attempts < 2) ++attempts;
  }
  if (attempts > 0) popScreen();
  return status;
}

void readByKey(int16_t fileNo, int16_t keyNo, const std::string& keyValue, int16_t direction,
               int16_t& status) {
  int16_t slotNo = findFileSlot(fileNo);
  if (slotNo <= 0) {
    status = kStatusFileNotOpen;
    return;
  }
  int16_t keyLength = 0, recordLength = 0;
  getKeyInfo(fileNo, keyNo, keyLength, recordLength);
  if (keyLength == 0) {
    status = kStatusKeyNotDefined;
    return;
  }
  FileSlot& slot = keyedFileTable().slots[slotNo];
  slot.keyNo = keyNo;
  slot.keyValue = (keyValue + std::string(static_cast<size_t>(keyLength), '\0'))
                      .substr(0, static_cast<size_t>(keyLength));
  int16_t operation = direction < 0    ? kOpGetLessOrEqual
                      : direction == 0 ? kOpGetEqual
                                       : kOpGetGreaterOrEqual;
  status = readWithLockWait(slotNo, operation);
  if (status == kStatusBufferTooShort) status = kStatusOk;
}

void moveRecords(int16_t fileNo, int16_t count, int16_t& status) {
  int16_t slotNo = findFileSlot(fileNo);
  if (slotNo <= 0) {
    status = kStatusFileNotOpen;
    return;
  }
  FileSlot& slot = keyedFileTable().slots[slotNo];
  int16_t operation = count < 0 ? kOpGetPrevious : kOpGetNext;
  status = kStatusOk;
  int n = std::abs(static_cast<int>(count));
  // Records stepped over: nothing is copied into the record area and nothing is locked.
  std::array<char, kKeyBufferSize> key{};
  while (n > 1 && status == kStatusOk) {
    std::array<char, kDataBufferSize> data{};
    uint32_t dataLength = kDataBufferSize;
    size_t keyLength = std::min(strnlen(key.data(), key.size()), kKeyBufferSize - 1);
    status = callRecordManager(static_cast<uint16_t>(operation), slot.positionBlock.data(),
                               data.data(), dataLength, key.data(), static_cast<uint8_t>(keyLength),
                               static_cast<int8_t>(slot.keyNo));
    updateKeyValue(slot, key.data());
    if (status == kStatusBufferTooShort) status = kStatusOk;
    --n;
  }
  if (n != 0 && status == kStatusOk) {
    status = readWithLockWait(slotNo, operation);
    if (status == kStatusBufferTooShort) status = kStatusOk;
  }
}

int32_t recordPosition(int16_t fileNo, int32_t position) {
  FileSlot* slot = openSlot(fileNo);
  if (slot == nullptr) return 0;
  std::array<char, kDataBufferSize> data{};
  uint32_t dataLength = kDataBufferSize;
  if (position == 0) {
    std::array<char, kKeyBufferSize> scratch{};
    int16_t status = callRecordManager(kOpGetPosition, slot->positionBlock.data(), data.data(),
                                       dataLength, scratch.data(), 0, 0);
    if (status != kStatusOk) return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(data[i]);
    return static_cast<int32_t>(value);
  }
  uint32_t value = static_cast<uint32_t>(position);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  std::array<char, kKeyBufferSize> key{};
  int16_t status = callRecordManager(kOpGetDirect, slot->positionBlock.data(), data.data(),
                                     dataLength, key.data(), 0, static_cast<int8_t>(slot->keyNo));
  updateKeyValue(*slot, key.data());
  if (status == kStatusBufferTooShort) status = kStatusOk;
  if (status == kStatusOk) {
    size_t returned = std::min<size_t>(usableRecordLength(*slot), dataLength);
    if (returned > 0) std::memcpy(slot->recordArea, data.data(), returned);
  }
  return status;
}

std::string collationForm(const std::string& value, int16_t fileNo) {
  FileSlot* slot = openSlot(fileNo);
  if (slot == nullptr) return value;
  std::string stat = readFileStatistics(*slot);
  int keys = statisticsWord(stat, 4);
  std::string out = value;
  size_t at = 16;
  size_t p = 0;  // where the current segment starts in the value
  struct Segment {
    size_t start, length;
    uint16_t flags;
  };
  std::vector<Segment> current;
  for (int k = 0; k < keys; ++k) {
    bool more = true;
    while (more && at + 16 <= stat.size()) {
      size_t length = statisticsWord(stat, at + 2);
      uint16_t flags = statisticsWord(stat, at + 4);
      if (k == slot->keyNo) {
        current.push_back({p, length, flags});
        p += length;
      }
      more = flags & 0x0010;
      at += 16;
    }
  }
  // The alternate collating sequence follows the last descriptor of all keys: entry c lies
  // 9 + c bytes after its signature byte.
  size_t table = at + 9;
  for (const Segment& s : current) {
    if (s.flags & 0x0004) {
      if (out.size() < s.start + s.length) out.resize(s.start + s.length, '\0');
      std::reverse(out.begin() + static_cast<std::ptrdiff_t>(s.start),
                   out.begin() + static_cast<std::ptrdiff_t>(s.start + s.length));
    } else if (s.flags & 0x0020) {
      for (size_t i = s.start; i < s.start + s.length && i < out.size(); ++i) {
        size_t entry = table + static_cast<uint8_t>(out[i]);
        if (entry < stat.size()) out[i] = stat[entry];
      }
    }
  }
  return out;
}

std::string currentKeyCollationForm(int16_t fileNo) {
  FileSlot* slot = openSlot(fileNo);
  if (slot == nullptr) return "";
  return collationForm(slot->keyValue, fileNo);
}

}  // namespace talmidor
