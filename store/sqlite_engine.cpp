#include "store/sqlite_engine.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "store/lock_file.h"
#include "store/record_manager.h"
#include "store/sqlite_file.h"
#include "store/sqlite_support.h"

namespace talmidor {

namespace {

// Makes the names of files being created unique within the process.
uint64_t creationCounter = 0;
SqliteEngine sqliteEngine;

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

void removeDatabaseFiles(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::remove((path + suffix).c_str());
  }
}

}  // namespace

int16_t SqliteEngine::open(const std::string& path, OpenMode mode,
                           std::unique_ptr<StoreFile>& file) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return errno == EACCES ? kStatusAccessDenied : kStatusFileNotFound;
  }
  if (!S_ISREG(st.st_mode)) return kStatusNotADataFile;
  return openSqliteFile(path, mode, file);
}

int16_t SqliteEngine::create(const std::string& path, const FileDefinition& definition,
                             bool overwrite) {
  if (!overwrite && fileExists(path)) return kStatusFileExists;
  // Built under a name of its own and moved into place whole, so that no other process ever
  // opens a half-made file.
  std::string building =
      join({path, ".new-", std::to_string(getpid()), "-", std::to_string(++creationCounter)});
  removeDatabaseFiles(building);
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(building.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    int err = sqlite3_system_errno(db);
    sqlite3_close_v2(db);
    removeDatabaseFiles(building);
    return err == EACCES || err == EROFS ? kStatusAccessDenied : kStatusIoError;
  }
  size_t keys = definition.keys.size();
  std::string sql =
      "PRAGMA journal_mode = WAL;"
      "BEGIN;"
      "CREATE TABLE talmidor_meta(name TEXT PRIMARY KEY, value BLOB NOT NULL);"
      "CREATE TABLE records(pos INTEGER PRIMARY KEY, p INTEGER NOT NULL, data BLOB NOT NULL";
  sql += keyColumns(keys, ", ");
  sql += ");";
  std::string counts;
  for (size_t k = 0; k < keys; ++k) {
    std::string n = std::to_string(k);
    sql += join({"CREATE INDEX key", n, " ON records(k", n, ", p);"});
    counts += join({", d", n, " INTEGER NOT NULL DEFAULT 0"});
  }
  sql +=
      join({"CREATE TABLE talmidor_counts(id INTEGER PRIMARY KEY,"
            " records INTEGER NOT NULL DEFAULT 0, last_position INTEGER NOT NULL DEFAULT 0",
            counts, ");INSERT INTO talmidor_counts(id) VALUES (1);"});
  rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_stmt* meta = nullptr;
    rc = sqlite3_prepare_v2(db, "INSERT INTO talmidor_meta VALUES (?1, ?2)", -1, &meta, nullptr);
    if (rc == SQLITE_OK) {
      std::string block = creationBlock(definition);
      sqlite3_bind_text(meta, 1, "format", -1, SQLITE_STATIC);
      sqlite3_bind_blob(meta, 2, kStoreFormatMark,
                        static_cast<int>(std::string_view(kStoreFormatMark).size()), SQLITE_STATIC);
      rc = sqlite3_step(meta);
      sqlite3_reset(meta);
      if (rc == SQLITE_DONE) {
        sqlite3_bind_text(meta, 1, "definition", -1, SQLITE_STATIC);
        bindBlob(meta, 2, block);
        rc = sqlite3_step(meta);
      }
      sqlite3_finalize(meta);
      if (rc == SQLITE_DONE) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
  }
  int16_t status = rc == SQLITE_OK ? kStatusOk : statusOfSqlite(rc);
  sqlite3_close_v2(db);
  if (status != kStatusOk) {
    removeDatabaseFiles(building);
    return status;
  }
  if (overwrite) {
    LockFile lock;
    if (int16_t s = lock.open(path)) {
      removeDatabaseFiles(building);
      return s;
    }
    if (lock.lockFile(true) != LockResult::Acquired) {
      removeDatabaseFiles(building);
      return kStatusFileLocked;
    }
    // An old write-ahead log must not be replayed into the new file.
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    if (std::rename(building.c_str(), path.c_str()) != 0) {
      removeDatabaseFiles(building);
      return kStatusIoError;
    }
    return kStatusOk;
  }
  if (::link(building.c_str(), path.c_str()) == 0) {
    ::unlink(building.c_str());
    return kStatusOk;
  }
  int err = errno;
  if (err == EEXIST) {
    removeDatabaseFiles(building);
    return kStatusFileExists;
  }
  // A file system without hard links: check and move, which leaves a small window.
  if (fileExists(path)) {
    removeDatabaseFiles(building);
    return kStatusFileExists;
  }
  if (std::rename(building.c_str(), path.c_str()) != 0) {
    removeDatabaseFiles(building);
    return kStatusIoError;
  }
  return kStatusOk;
}

StoreEngine& storeEngine() {
  return sqliteEngine;
}

}  // namespace talmidor