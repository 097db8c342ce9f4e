#pragma once
// One open handle on a data file of the SQLite engine: the reads along a key with their open
// statement and kept snapshot, the writes with their counts, and the record locks.

#include <cstdint>
#include <memory>
#include <string>

#include "store/store_engine.h"

namespace talmidor {

// Opens an existing file (its existence already checked): 30 when it is not one of our data
// files, 85 when its locks refuse this open.
int16_t openSqliteFile(const std::string& path, OpenMode mode, std::unique_ptr<StoreFile>& file);

}  // namespace talmidor
