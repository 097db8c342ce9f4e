#include "store/record_manager.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "store/store_engine.h"

namespace talmidor {

namespace {

// Position block: a mark, the handle's number and where it stood in the table last.
constexpr uint8_t kBlockMark[4] = {'T', 'K', 'F', 1};

struct OpenHandle {
  uint32_t id = 0;
  std::unique_ptr<StoreFile> file;
  bool inTransaction = false;
};

// The files open in this process.
struct RecordManagerState {
  std::vector<OpenHandle> handles;
  uint32_t nextId = 1;
  bool inTransaction = false;
  std::string rawKey;  // scratch
};

RecordManagerState state;

uint32_t get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

OpenHandle* handleOf(const uint8_t* block) {
  if (block == nullptr || std::memcmp(block, kBlockMark, 4) != 0) return nullptr;
  uint32_t id = get32(block + 4);
  uint32_t hint = get32(block + 8);
  if (hint < state.handles.size() && state.handles[hint].id == id) return &state.handles[hint];
  for (auto& h : state.handles) {
    if (h.id == id) return &h;
  }
  return nullptr;
}

void writeBlock(uint8_t* block, uint32_t id, uint32_t index) {
  std::memset(block, 0, 128);
  std::memcpy(block, kBlockMark, 4);
  put32(block + 4, id);
  put32(block + 8, index);
}

// A name from the key buffer: keyLength bytes or up to the first zero byte.
std::string nameFrom(const void* key, uint8_t keyLength) {
  if (key == nullptr) return "";
  const char* p = static_cast<const char*>(key);
  return std::string(p, strnlen(p, keyLength));
}

bool isLockableRead(uint16_t operation) {
  return (operation >= kOpGetEqual && operation <= kOpGetLast) || operation == kOpGetDirect;
}

bool validKey(const StoreFile& file, int8_t keyNumber) {
  return keyNumber >= 0 && static_cast<size_t>(keyNumber) < file.definition().keys.size();
}

// Hands a record found on keyNo to the caller: the record into the data buffer, its key into
// the key buffer.
int16_t deliver(const StoreFile& file, int keyNo, std::string_view record, void* data,
                uint32_t& dataLength, void* key) {
  size_t n = std::min<size_t>(dataLength, record.size());
  if (data != nullptr && n > 0) std::memcpy(data, record.data(), n);
  if (data == nullptr) n = 0;
  dataLength = static_cast<uint32_t>(n);
  if (key != nullptr) {
    extractKey(file.definition(), keyNo, record, state.rawKey);
    std::memcpy(key, state.rawKey.data(), state.rawKey.size());
  }
  return n < record.size() ? kStatusBufferTooShort : kStatusOk;
}

int16_t openFile(uint8_t* block, void* key, uint8_t keyLength, int8_t mode) {
  if (block == nullptr) return kStatusInvalidOperation;
  std::string name = nameFrom(key, keyLength);
  if (name.empty()) return kStatusInvalidFileName;
  OpenMode openMode;
  switch (mode) {
    case 0:
    case -1:
    case -3:
      openMode = OpenMode::Normal;
      break;
    case kOpenReadOnly:
      openMode = OpenMode::ReadOnly;
      break;
    case kOpenExclusive:
      openMode = OpenMode::Exclusive;
      break;
    default:
      return kStatusInvalidOperation;
  }
  std::unique_ptr<StoreFile> file;
  if (int16_t status = storeEngine().open(name, openMode, file)) return status;
  OpenHandle handle;
  handle.id = state.nextId++;
  handle.file = std::move(file);
  state.handles.push_back(std::move(handle));
  writeBlock(block, state.handles.back().id, static_cast<uint32_t>(state.handles.size() - 1));
  return kStatusOk;
}

int16_t createFile(const void* data, uint32_t dataLength, void* key, uint8_t keyLength,
                   int8_t keyNumber) {
  std::string name = nameFrom(key, keyLength);
  if (name.empty()) return kStatusInvalidFileName;
  FileDefinition definition;
  if (int16_t status = parseCreationBlock(static_cast<const uint8_t*>(data), data ? dataLength : 0,
                                          definition)) {
    return status;
  }
  return storeEngine().create(name, definition, keyNumber != kCreateNoOverwrite);
}

// Joins the handle to the caller's transaction before its first write in it.
int16_t joinTransaction(OpenHandle& handle) {
  if (!state.inTransaction || handle.inTransaction) return kStatusOk;
  if (int16_t status = handle.file->beginTransaction()) return status;
  handle.inTransaction = true;
  return kStatusOk;
}

int16_t endTransaction(bool commit) {
  if (!state.inTransaction) return kStatusNoTransaction;
  int16_t result = kStatusOk;
  for (auto& h : state.handles) {
    if (!h.inTransaction) continue;
    int16_t status = commit ? h.file->commitTransaction() : h.file->rollbackTransaction();
    if (result == kStatusOk) result = status;
    h.inTransaction = false;
  }
  state.inTransaction = false;
  return result;
}

int16_t dispatch(uint16_t operation, uint8_t* block, void* data, uint32_t& dataLength, void* key,
                 uint8_t keyLength, int8_t keyNumber) {
  uint16_t base = operation % 100;
  uint16_t bias = operation - base;
  LockRequest lock = LockRequest::None;
  if (bias == kLockBiasWait) {
    lock = LockRequest::Wait;
  } else if (bias == kLockBiasNoWait) {
    lock = LockRequest::NoWait;
  } else if (bias != 0) {
    return kStatusInvalidOperation;
  }
  if (bias != 0 && !isLockableRead(base)) return kStatusInvalidOperation;

  switch (base) {
    case kOpOpen:
      return openFile(block, key, keyLength, keyNumber);
    case kOpCreate:
      return createFile(data, dataLength, key, keyLength, keyNumber);
    case kOpReset:
      resetRecordManager();
      return kStatusOk;
    case kOpBeginTransaction:
      if (state.inTransaction) return kStatusTransactionActive;
      state.inTransaction = true;
      return kStatusOk;
    case kOpEndTransaction:
      return endTransaction(true);
    case kOpAbortTransaction:
      return endTransaction(false);
    default:
      break;
  }

  OpenHandle* handle = handleOf(block);
  bool known =
      base <= kOpStat || base == kOpGetPosition || base == kOpGetDirect || base == kOpUnlock;
  if (!known) return kStatusInvalidOperation;
  if (handle == nullptr) return kStatusFileNotOpen;
  StoreFile& file = *handle->file;
  const FileDefinition& def = file.definition();
  std::string_view record;

  switch (base) {
    case kOpClose: {
      if (handle->inTransaction) file.rollbackTransaction();
      auto it = state.handles.begin() + (handle - state.handles.data());
      state.handles.erase(it);
      std::memset(block, 0, 128);
      return kStatusOk;
    }
    case kOpInsert:
    case kOpUpdate: {
      if (data == nullptr || dataLength != def.recordLength) return kStatusBufferTooShort;
      if (!def.keys.empty() && !validKey(file, keyNumber)) return kStatusInvalidKeyNumber;
      if (int16_t status = joinTransaction(*handle)) return status;
      std::string_view given(static_cast<const char*>(data), dataLength);
      int keyNo = def.keys.empty() ? 0 : keyNumber;
      int16_t status = base == kOpInsert ? file.insert(keyNo, given) : file.update(keyNo, given);
      if (status == kStatusOk && key != nullptr && !def.keys.empty()) {
        extractKey(def, keyNo, given, state.rawKey);
        std::memcpy(key, state.rawKey.data(), state.rawKey.size());
      }
      return status;
    }
    case kOpDelete: {
      if (int16_t status = joinTransaction(*handle)) return status;
      return file.remove();
    }
    case kOpStat: {
      uint32_t records = 0;
      std::vector<uint32_t> distinct;
      if (int16_t status = file.statistics(records, distinct)) return status;
      std::string block = statBlock(def, records, distinct);
      size_t n = data ? std::min<size_t>(dataLength, block.size()) : 0;
      if (n > 0) std::memcpy(data, block.data(), n);
      dataLength = static_cast<uint32_t>(n);
      return n < block.size() ? kStatusBufferTooShort : kStatusOk;
    }
    case kOpGetPosition: {
      if (data == nullptr || dataLength < 4) return kStatusBufferTooShort;
      uint32_t position = 0;
      if (int16_t status = file.currentPosition(position)) return status;
      put32(static_cast<uint8_t*>(data), position);
      dataLength = 4;
      return kStatusOk;
    }
    case kOpGetDirect: {
      if (data == nullptr || dataLength < 4) return kStatusBufferTooShort;
      if (!validKey(file, keyNumber)) return kStatusInvalidKeyNumber;
      uint32_t position = get32(static_cast<const uint8_t*>(data));
      int16_t status = file.readAt(keyNumber, position, lock, record);
      if (status != kStatusOk) {
        dataLength = 0;
        return status;
      }
      return deliver(file, keyNumber, record, data, dataLength, key);
    }
    case kOpUnlock:
      return file.unlock();
    case kOpGetNext:
    case kOpGetPrevious: {
      if (!validKey(file, keyNumber)) return kStatusInvalidKeyNumber;
      int16_t status = file.step(keyNumber, base == kOpGetNext, lock, record);
      if (status != kStatusOk) {
        dataLength = 0;
        return status;
      }
      return deliver(file, keyNumber, record, data, dataLength, key);
    }
    default: {  // the searches, 5 and 8 to 13
      if (!validKey(file, keyNumber)) return kStatusInvalidKeyNumber;
      SeekMode mode;
      switch (base) {
        case kOpGetEqual:
          mode = SeekMode::Equal;
          break;
        case kOpGetGreater:
          mode = SeekMode::Greater;
          break;
        case kOpGetGreaterOrEqual:
          mode = SeekMode::GreaterOrEqual;
          break;
        case kOpGetLess:
          mode = SeekMode::Less;
          break;
        case kOpGetLessOrEqual:
          mode = SeekMode::LessOrEqual;
          break;
        case kOpGetFirst:
          mode = SeekMode::First;
          break;
        default:
          mode = SeekMode::Last;
          break;
      }
      std::string& value = state.rawKey;
      size_t length = static_cast<size_t>(def.keys[keyNumber].length());
      value.assign(length, '\0');
      if (key != nullptr && mode != SeekMode::First && mode != SeekMode::Last) {
        std::memcpy(value.data(), key, std::min<size_t>(length, keyLength));
      }
      int16_t status = file.seek(keyNumber, mode, value, lock, record);
      if (status != kStatusOk) {
        dataLength = 0;
        return status;
      }
      return deliver(file, keyNumber, record, data, dataLength, key);
    }
  }
}

}  // namespace

int16_t callRecordManager(uint16_t operation, uint8_t* positionBlock, void* data,
                          uint32_t& dataLength, void* key, uint8_t keyLength, int8_t keyNumber) {
  try {
    return dispatch(operation, positionBlock, data, dataLength, key, keyLength, keyNumber);
  } catch (const std::exception&) {
    // Out of memory, mostly: a failure of the call, never of the caller.
    return kStatusIoError;
  }
}

void resetRecordManager() {
  for (auto& h : state.handles) {
    if (h.inTransaction) h.file->rollbackTransaction();
  }
  state.handles.clear();
  state.inTransaction = false;
}

int openFileCount() {
  return static_cast<int>(state.handles.size());
}

}  // namespace talmidor
