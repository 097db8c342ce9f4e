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
constexpr uint16_t kOpBeginTransaction = 19;
constexpr uint16_t kOpEndTransaction = 20;
constexpr uint16_t kOpAbortTransaction = 21;
constexpr uint16_t kOpGetPosition = 22;
constexpr uint16_t kOpGetDirect = 23;
constexpr uint16_t kOpUnlock = 27;
constexpr uint16_t kOpReset = 28;
// Added to a read's code: take a single-record lock, waiting (100) or not (200) for it.
constexpr uint16_t kLockBiasWait = 100;
constexpr uint16_t kLockBiasNoWait = 200;

// Key numbers that are modes: of Open (normal, read-only, exclusive) and of Create.
constexpr int8_t kOpenNormal = 0;
constexpr int8_t kOpenReadOnly = -2;
constexpr int8_t kOpenExclusive = -4;
constexpr int8_t kCreateNoOverwrite = -1;

// Statuses.
constexpr int16_t kStatusOk = 0;
constexpr int16_t kStatusInvalidOperation = 1;
constexpr int16_t kStatusIoError = 2;
constexpr int16_t kStatusFileNotOpen = 3;
constexpr int16_t kStatusKeyNotFound = 4;
constexpr int16_t kStatusDuplicateKey = 5;
constexpr int16_t kStatusInvalidKeyNumber = 6;
constexpr int16_t kStatusDifferentKeyNumber = 7;
constexpr int16_t kStatusInvalidPositioning = 8;
constexpr int16_t kStatusEndOfFile = 9;
constexpr int16_t kStatusKeyNotModifiable = 10;
constexpr int16_t kStatusInvalidFileName = 11;
constexpr int16_t kStatusFileNotFound = 12;
constexpr int16_t kStatusDiskFull = 18;
constexpr int16_t kStatusBufferTooShort = 22;
constexpr int16_t kStatusPageSize = 24;
constexpr int16_t kStatusNumberOfKeys = 26;
constexpr int16_t kStatusKeyPosition = 27;
constexpr int16_t kStatusRecordLength = 28;
constexpr int16_t kStatusKeyLength = 29;
constexpr int16_t kStatusNotADataFile = 30;
constexpr int16_t kStatusTransactionActive = 37;
constexpr int16_t kStatusNoTransaction = 39;
constexpr int16_t kStatusInvalidRecordPosition = 43;
constexpr int16_t kStatusAccessDenied = 46;
constexpr int16_t kStatusInvalidAlternate = 48;
constexpr int16_t kStatusInvalidKeyType = 49;
constexpr int16_t kStatusFileExists = 59;
constexpr int16_t kStatusRecordLocked = 84;
constexpr int16_t kStatusFileLocked = 85;

// The one entry point. positionBlock is 128 bytes owned by the record manager (zero bytes
// before Open); dataLength carries the buffer length in and the number of bytes returned out.
//
// What each operation takes and gives:
// - Open: key buffer the file name (keyLength bytes or up to a zero byte); data buffer the
//   owner name, not checked; key number the mode. 12 missing, 30 not a data file, 85 held
//   exclusively by another handle (or, for an exclusive open, open elsewhere at all).
// - Create: data buffer the creation block (see store/file_definition.h), key buffer the file
//   name; key number -1 refuses an existing file with 59, any other replaces it.
// - Reads (Get ...): data buffer receives the record (22 when it is shorter than the record,
//   with as much as fits), key buffer receives the whole key of the record on the key number,
//   whatever keyLength says, so it must hold that key (255 bytes always do). The search reads
//   the key value from the first keyLength bytes of the key buffer, zero-padded. Get Next and
//   Get Previous need the key number the current record was reached on (7 otherwise).
//   Failed reads return no bytes and keep the current record.
// - Insert, Update: data buffer the record, exactly the record length (22 otherwise).
// - Get Position: data buffer receives the current record's position, 4 bytes.
// - Get Direct: data buffer holds the position in its first 4 bytes and receives the record.
// - Stat: data buffer receives the creation block with the counts filled in.
// - Unlock: releases the handle's single-record lock. Reset: closes every file of this
//   process. Begin/End/Abort Transaction: the writes in between are kept or undone together,
//   per file.
// Lock biases apply to the reads (5 to 13 and 23) only; another bias, or one on another
// operation, gives 1. Unknown operations give 1, an unknown position block 3.
int16_t callRecordManager(uint16_t operation, uint8_t* positionBlock, void* data,
                          uint32_t& dataLength, void* key, uint8_t keyLength, int8_t keyNumber);

// Closes every file of this process, as Reset does: the state of a fresh process for tests.
void resetRecordManager();
// Number of files open in this process.
int openFileCount();

}  // namespace talmidor
