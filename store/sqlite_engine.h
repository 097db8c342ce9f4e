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

// Reads keep their read transaction, and so their snapshot of the file, open past the call:
// a run of calls then costs no new transaction each, and a run of Get Next (or Get Previous)
// steps the SQLite statement that found the current record instead of searching again. A
// snapshot is let go as soon as a call finds it older than this, or finds that something was
// written in this process since it began, so every read sees what other users wrote at most
// this long before. A handle keeps its last snapshot while it is not called (other files'
// old snapshots are let go by the next call on any file); meanwhile checkpoints cannot restart
// that file's write-ahead log, which only grows with what others write.
constexpr int kSnapshotFreshnessMilliseconds = 20;

}  // namespace talmidor
