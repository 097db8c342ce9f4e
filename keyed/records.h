#pragma once
// Reading records of the open keyed files: by key, along the current key and by record
// position; lock modes with their save-and-restore stack; the lock-wait loop; the collation
// form of key values.

#include <cstdint>
#include <string>

namespace talmidor {

// Applies the option letters (D 0, A 1, B 2, "+" save, "-" restore) to the file's lock mode.
// Status 3 when the file is not open; otherwise status is left as it was.
void setLockMode(int16_t fileNo, const std::string& options, int16_t& status);

// Makes keyNo current and reads the record whose key is <= (direction < 0), == (0) or >=
// (direction > 0) the value. Status 3 file not open, 1004 no such key, else the read's status.
void readByKey(int16_t fileNo, int16_t keyNo, const std::string& keyValue, int16_t direction,
               int16_t& status);

// Moves count records along the current key (backwards when negative) and reads the one
// reached. Count 0 does nothing and gives 0.
void moveRecords(int16_t fileNo, int16_t count, int16_t& status);

// Position 0: the current record's position (0 on error). Any other: reads the record at that
// position into the record area and returns the status.
int32_t recordPosition(int16_t fileNo, int32_t position);

// The value rewritten segment by segment of the file's current key into the order the record
// manager compares keys in; unchanged when the file is not open.
std::string collationForm(const std::string& value, int16_t fileNo);
// collationForm of the current key value; "" when the file is not open.
std::string currentKeyCollationForm(int16_t fileNo);

// Reads into the slot's record area with the slot's lock handling; returns the raw status.
int16_t readWithLockWait(int16_t slot, int16_t operation);

}  // namespace talmidor
