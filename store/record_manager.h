#pragma once
// The record manager: every keyed data file operation goes through one entry point of the
// classic shape (operation code, 128-byte position block, data buffer, data length in and out,
// key buffer, key length, key number) and answers a 16-bit status.

#include <cstdint>

namespace talmidor {

// Operation codes.
constexpr uint16_t kOpOpen = 0;
constexpr uint16_t kOpClose = 1;
constexpr uint16_t kOpInsert = 2;
constexpr uint16_t kOpUpdate = 3;
constexpr uint16_t kOpDelete = 4;
constexpr uint16_t kOpGetEqual = 5;
constexpr uint16_t kOpGetNext = 6;
constexpr uint16_t kOpGetPrevious = 7;
constexpr uint16_t kOpGetGreater = 8;
constexpr uint16_t kOpGetGreaterOrEqual = 9;
constexpr uint16_t kOpGetLess = 10;
constexpr uint16_t kOpGetLessOrEqual = 11;
constexpr uint16_t kOpGetFirst = 12;
constexpr uint16_t kOpGetLast = 13;
constexpr uint16_t kOpCreate = 14;
constexpr uint16_t kOpStat = 15;
constexpr uint16_t kOpGetPosition = 22;
constexpr uint16_t kOpGetDirect = 23;
constexpr uint16_t kOpUnlock = 27;
constexpr uint16_t kOpReset = 28;
// Added to a read's code: take a single-record lock, waiting (100) or not (200) for it.
constexpr uint16_t kLockBiasWait = 100;
constexpr uint16_t kLockBiasNoWait = 200;

// Key numbers that are modes.
constexpr int8_t kOpenNormal = 0;
constexpr int8_t kOpenExclusive = -4;
constexpr int8_t kCreateNoOverwrite = -1;
// Unlock with this key number releases every single-record lock of the file.
constexpr int8_t kUnlockAll = -2;

// Statuses.
constexpr int16_t kStatusOk = 0;
constexpr int16_t kStatusInvalidOperation = 1;
constexpr int16_t kStatusIoError = 2;
constexpr int16_t kStatusFileNotOpen = 3;
constexpr int16_t kStatusKeyNotFound = 4;
constexpr int16_t kStatusDuplicateKey = 5;
constexpr int16_t kStatusInvalidKeyNumber = 6;
constexpr int16_t kStatusInvalidPositioning = 8;
constexpr int16_t kStatusEndOfFile = 9;
constexpr int16_t kStatusInvalidFileName = 11;
constexpr int16_t kStatusFileNotFound = 12;
constexpr int16_t kStatusBufferTooShort = 22;
constexpr int16_t kStatusPageSize = 24;
constexpr int16_t kStatusNumberOfKeys = 26;
constexpr int16_t kStatusKeyPosition = 27;
constexpr int16_t kStatusRecordLength = 28;
constexpr int16_t kStatusKeyLength = 29;
constexpr int16_t kStatusNotADataFile = 30;
constexpr int16_t kStatusInvalidRecordPosition = 43;
constexpr int16_t kStatusAccessDenied = 46;
constexpr int16_t kStatusFileExists = 59;
constexpr int16_t kStatusRecordLocked = 84;
constexpr int16_t kStatusFileLocked = 85;

// The one entry point. positionBlock is 128 bytes owned by the record manager (zero bytes
// before Open); dataLength carries the buffer length in and the number of bytes returned out.
int16_t callRecordManager(uint16_t operation, uint8_t* positionBlock, void* data,
                          uint32_t& dataLength, void* key, uint8_t keyLength, int8_t keyNumber);

}  // namespace talmidor
