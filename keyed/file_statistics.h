#pragma once
// Reading the file statistics of an open file, shared by the key information and the key
// collation form.

#include <cstddef>
#include <cstdint>
#include <string>

#include "keyed/keyed_files.h"

namespace talmidor {

// Size of the per-call data buffer; hence the longest record the program handles.
constexpr size_t kDataBufferSize = 1536;
// Size of the per-call key buffer.
constexpr size_t kKeyBufferSize = 256;

// The data buffer of a Stat call on the slot's file (kDataBufferSize bytes, zero where Stat
// wrote nothing). The status is not looked at: a failed Stat leaves zeros, so no keys.
std::string readFileStatistics(FileSlot& slot);

// The 16-bit little-endian value at offset of a statistics buffer; 0 past its end.
uint16_t statisticsWord(const std::string& statistics, size_t offset);

}  // namespace talmidor
