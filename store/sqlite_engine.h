#pragma once
// The store engine on SQLite: one database per data file at the data file's own path, in WAL
// mode so that readers and a writer in other processes do not block each other.
//
// Layout: talmidor_meta (format mark and the creation block), records (position, data and
// the collation form of every key, k0, k1, ..., NULL for a null key), one index per key on
// (k<n>, p) where p repeats the position so that duplicates keep their insertion order and a
// search can seek straight to (value, position), and talmidor_counts (one row: number of
// records, last position given, distinct values per key) so that Stat costs no scan.
// Positions are never given twice.

#include "store/store_engine.h"

namespace talmidor {

class SqliteEngine : public StoreEngine {
 public:
  int16_t create(const std::string& path, const FileDefinition& definition,
                 bool overwrite) override;
  int16_t open(const std::string& path, OpenMode mode, std::unique_ptr<StoreFile>& file) override;
};

// A run of Get Next (or Get Previous) calls keeps stepping the SQLite statement that found the
// current record while the calls follow each other within this time and nothing was written in
// this process meanwhile; otherwise the next step searches again from the current record, so
// that records other users wrote in between are seen.
constexpr int kCursorFreshnessMilliseconds = 20;

}  // namespace talmidor
