#pragma once
// The table of open keyed files: up to 40 files, each named by the program's own file number
// and bound to a record area the caller owns. Opening, key information and closing.

#include <array>
#include <cstdint>
#include <string>

namespace talmidor {

struct FileSlot {
  int16_t fileNo = 0;  // 0: the slot is free
  std::array<uint8_t, 128> positionBlock{};
  char* recordArea = nullptr;
  int32_t recordLength = 0;
  int16_t keyNo = 0;
  std::string keyValue;  // always as long as the current key
  int16_t lockMode = 0;  // 0 no locks, 1 lock and wait, 2 lock and report
};

struct KeyedFileTable {
  bool created = false;
  // Entry 0 is never given to a file: its position block is the scratch block of Reset.
  std::array<FileSlot, 41> slots;
  // Pairs of bytes: slot number, saved lock mode; newest last.
  std::string lockModeStack;
};

// Statuses of the keyed-file layer on top of the record manager's.
constexpr int16_t kStatusAlreadyOpen = 1002;
constexpr int16_t kStatusNoFreeSlot = 1003;
constexpr int16_t kStatusKeyNotDefined = 1004;

KeyedFileTable& keyedFileTable();
void resetKeyedFileTable();

// The slot (1..40) holding fileNo; else minus the highest free slot; 0 when none is free.
int16_t findFileSlot(int16_t fileNo);

// Opens the data file at path (suite form, ".dat" when the name has no extension) under
// fileNo, creating it from its definition file when it is missing. Status 0, 1002 or 1003;
// any other failure shows a message and ends the program.
void openKeyedFile(int16_t fileNo, const std::string& path, char* recordArea, int16_t& status);

// Total length of key keyNo and the record length; both 0 when the file is not open, the key
// length 0 when the file has no such key.
void getKeyInfo(int16_t fileNo, int16_t keyNo, int16_t& keyLength, int16_t& recordLength);

// Closes every file of the program; frees all slots only when that succeeds.
void closeAllKeyedFiles(int16_t& status);

}  // namespace talmidor
