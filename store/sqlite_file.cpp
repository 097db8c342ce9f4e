#include "store/sqlite_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

#include "store/lock_file.h"
#include "store/record_manager.h"
#include "store/sqlite_engine.h"
#include "store/sqlite_support.h"

namespace talmidor {

namespace {

constexpr int kBusyTimeoutMilliseconds = 5000;
constexpr int64_t kAfterEveryPosition = std::numeric_limits<int64_t>::max();

// Bumped by every write through any handle of this process: other handles then let their
// snapshot go instead of reading on in an older one.
uint64_t writeGeneration = 0;
using Clock = std::chrono::steady_clock;
constexpr auto kFreshness = std::chrono::milliseconds(kSnapshotFreshnessMilliseconds);
// When the snapshots of all open files were last looked at.
Clock::time_point lastSweep;

// Sorts after the collation form of every key (at most 255 bytes).
const std::string afterEveryKey(kMaxKeyLength + 1, '\xFF');

// The status of a lock attempt: busy is the given status, a failure an I/O error.
int16_t statusOfLock(LockResult result, int16_t busy) {
  switch (result) {
    case LockResult::Acquired:
      return kStatusOk;
    case LockResult::Busy:
      return busy;
    case LockResult::Failed:
      break;
  }
  return kStatusIoError;
}

class SqliteFile;
// The files open in this process, for letting go of their old snapshots.
std::vector<SqliteFile*> openFiles;

class SqliteFile : public StoreFile {
 public:
  SqliteFile() { openFiles.push_back(this); }
  SqliteFile(const SqliteFile&) = delete;
  SqliteFile& operator=(const SqliteFile&) = delete;
  ~SqliteFile() override {
    endSnapshot();
    openFiles.erase(std::find(openFiles.begin(), openFiles.end(), this));
    if (inTransaction_) exec("ROLLBACK");
    // Closes once the statements below are finalized.
    sqlite3_close_v2(db_);
  }

  int16_t open(const std::string& path, OpenMode mode);

  const FileDefinition& definition() const override { return def_; }
  int16_t seek(int keyNo, SeekMode mode, std::string_view rawKey, LockRequest lock,
               std::string_view& record) override;
  int16_t step(int keyNo, bool forward, LockRequest lock, std::string_view& record) override;
  int16_t readAt(int keyNo, uint32_t position, LockRequest lock, std::string_view& record) override;
  int16_t currentPosition(uint32_t& position) override;
  int16_t insert(int keyNo, std::string_view record) override;
  int16_t update(int keyNo, std::string_view record) override;
  int16_t remove() override;
  int16_t unlock() override;
  int16_t statistics(uint32_t& records, std::vector<uint32_t>& distinctValues) override;
  int16_t beginTransaction() override;
  int16_t commitTransaction() override;
  int16_t rollbackTransaction() override;

 private:
  struct KeyStatements {
    Statement forward;   // (k, p) > (?1, ?2) in key order
    Statement backward;  // (k, p) < (?1, ?2) in reverse key order
    Statement atPosition;
    Statement countEqual;  // 0, 1 or 2: how many records hold a value (at most 2 counted)
  };
  struct Current {
    bool valid = false;   // a record was reached
    bool exists = true;   // false once it was deleted through this handle
    bool hasKey = false;  // false: its key on `key` is null, so it has no place to step from
    int key = 0;
    std::string collation;
    uint32_t position = 0;
  };
  // The pieces of a record a write needs, for every key.
  struct KeyForms {
    std::vector<std::string> forms;
    std::vector<bool> present;
  };

  int exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  int prepareKey(int keyNo);
  void closeCursor() {
    if (cursor_) sqlite3_reset(cursor_);
    cursor_ = nullptr;
  }
  // Every read starts here: a snapshot that has grown too old, or that predates a write made
  // in this process, is let go; now and then the other files' old snapshots are too.
  void beginRead();
  // After a plain read succeeded: keeps the read transaction (and with it the snapshot) open
  // past the call, so that the next call costs no new transaction.
  void keepSnapshot();
  // Ends the read transaction this handle holds, if any.
  void endSnapshot() {
    closeCursor();
    if (pinned_) sqlite3_reset(pin_.get());
    pinned_ = false;
  }
  void endSnapshotIfStale(Clock::time_point now) {
    if (pinned_ && (now - snapshotStart_ > kFreshness || snapshotGeneration_ != writeGeneration)) {
      endSnapshot();
    }
  }
  bool cursorUsable(int keyNo, bool forward) const {
    return cursor_ != nullptr && pinned_ && cursorKey_ == keyNo && cursorForward_ == forward;
  }
  // Steps stmt (already bound, or the open cursor) once and makes the row current.
  int16_t stepOnce(sqlite3_stmt* stmt, int keyNo, bool forward, SeekMode mode,
                   std::string_view seekForm, LockRequest lock, std::string_view& record,
                   bool& vanished);
  // Takes the record lock for a record just found and reads it again under the lock.
  int16_t lockFound(int keyNo, uint32_t position, LockRequest lock, std::string_view& record,
                    bool& vanished);
  // Takes the record lock, waiting for it when lock says so.
  int16_t lockRecord(uint32_t position, LockRequest lock) {
    return statusOfLock(lock_.lockRecord(position, lock == LockRequest::Wait), kStatusRecordLocked);
  }
  void takeSingleLock(uint32_t position);
  // Makes the row of an atPosition statement the current record, its data copied to record_.
  void holdRow(sqlite3_stmt* stmt, int keyNo, uint32_t position, std::string_view& record);
  void formsOf(std::string_view record, KeyForms& out);
  int16_t countEqual(int keyNo, const std::string& form, int& count);
  // countEqual for a value a write brings: a duplicate on a key that allows none is refused.
  int16_t countNewValue(int keyNo, const std::string& form, int& count);
  // Binds the key columns of an insert or update (?3 on) to the forms, null where absent.
  void bindForms(sqlite3_stmt* stmt, const KeyForms& forms);
  // Write scope: its own transaction, or a savepoint inside the caller's transaction.
  int16_t beginWrite();
  int16_t endWrite(int16_t status);
  int16_t readStored(uint32_t position, std::string& data);
  int16_t applyCounts(int64_t records, int64_t lastPosition, const std::vector<int64_t>& distinct);
  // Checks that no other handle holds the record's lock, taking it for the write if needed.
  int16_t lockForWrite(uint32_t position, bool& temporary);

  sqlite3* db_ = nullptr;
  FileDefinition def_;
  LockFile lock_;
  bool readOnly_ = false;
  bool inTransaction_ = false;
  std::vector<KeyStatements> perKey_;
  Statement readCounts_, writeCounts_, insert_, update_, delete_, readData_;
  Statement savepoint_, release_, rollbackTo_;

  Current current_;
  sqlite3_stmt* cursor_ = nullptr;  // the statement that found the current record, still open
  bool cursorForward_ = true;
  int cursorKey_ = 0;
  Statement pin_;  // a statement left stepped holds the read transaction open
  bool pinned_ = false;
  Clock::time_point snapshotStart_, readStart_;
  uint64_t snapshotGeneration_ = 0;
  uint32_t singleLock_ = 0;  // position of the single-record lock held, 0 none

  std::string rawKey_, seekForm_, record_;
};

int16_t SqliteFile::open(const std::string& path, OpenMode mode) {
  readOnly_ = mode == OpenMode::ReadOnly;
  if (int16_t s = lock_.open(path)) return s;
  if (int16_t s = statusOfLock(lock_.lockFile(mode == OpenMode::Exclusive), kStatusFileLocked)) {
    return s;
  }
  int flags = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) return rc == SQLITE_CANTOPEN ? kStatusAccessDenied : statusOfSqlite(rc);
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);

  // Anything that is not one of our databases, or a damaged one, is "not a data file".
  Statement meta;
  if (meta.prepare(db_, "SELECT value FROM talmidor_meta WHERE name = ?1") != SQLITE_OK) {
    return kStatusNotADataFile;
  }
  auto readMeta = [&](const char* name, std::string& value) {
    ResetOnExit reset(meta.get());
    sqlite3_bind_text(meta.get(), 1, name, -1, SQLITE_STATIC);
    if (sqlite3_step(meta.get()) != SQLITE_ROW) return false;
    value.assign(columnBlob(meta.get(), 0));
    return true;
  };
  std::string format, block;
  if (!readMeta("format", format) || format != kStoreFormatMark || !readMeta("definition", block)) {
    return kStatusNotADataFile;
  }
  if (parseCreationBlock(reinterpret_cast<const uint8_t*>(block.data()), block.size(), def_) != 0) {
    return kStatusNotADataFile;
  }
  size_t keys = def_.keys.size();
  std::string counts;
  for (size_t k = 0; k < keys; ++k) counts += join({", d", std::to_string(k)});
  std::string sql =
      join({"SELECT records, last_position", counts, " FROM talmidor_counts WHERE id = 1"});
  if (readCounts_.prepare(db_, sql) != SQLITE_OK) return kStatusNotADataFile;
  {
    ResetOnExit reset(readCounts_.get());
    if (sqlite3_step(readCounts_.get()) != SQLITE_ROW) return kStatusNotADataFile;
  }
  std::string set = "records = records + ?1, last_position = max(last_position, ?2)";
  for (size_t k = 0; k < keys; ++k) {
    std::string n = std::to_string(k);
    set += join({", d", n, " = d", n, " + ?", std::to_string(k + 3)});
  }
  std::string columns = keyColumns(keys, ", ");
  std::string values, assignments;
  for (size_t k = 0; k < keys; ++k) {
    values += join({", ?", std::to_string(k + 3)});
    assignments += join({", k", std::to_string(k), " = ?", std::to_string(k + 3)});
  }
  if (readData_.prepare(db_, "SELECT data FROM records WHERE pos = ?1") != SQLITE_OK ||
      pin_.prepare(db_, "SELECT 1 FROM talmidor_counts") != SQLITE_OK ||
      (!readOnly_ &&
       (writeCounts_.prepare(db_, join({"UPDATE talmidor_counts SET ", set, " WHERE id = 1"})) !=
            SQLITE_OK ||
        insert_.prepare(db_, join({"INSERT INTO records(pos, p, data", columns,
                                   ") VALUES (?1, ?1, ?2", values, ")"})) != SQLITE_OK ||
        update_.prepare(db_, join({"UPDATE records SET data = ?2", assignments,
                                   " WHERE pos = ?1"})) != SQLITE_OK ||
        delete_.prepare(db_, "DELETE FROM records WHERE pos = ?1") != SQLITE_OK ||
        savepoint_.prepare(db_, "SAVEPOINT write_op") != SQLITE_OK ||
        release_.prepare(db_, "RELEASE write_op") != SQLITE_OK ||
        rollbackTo_.prepare(db_, "ROLLBACK TO write_op") != SQLITE_OK))) {
    return kStatusNotADataFile;
  }
  perKey_.resize(keys);
  for (size_t k = 0; k < keys; ++k) {
    if (prepareKey(static_cast<int>(k)) != SQLITE_OK) return kStatusNotADataFile;
  }
  exec("PRAGMA synchronous = NORMAL");
  // Pages are read through a memory map (no system call per page) and cached beyond it; both
  // are taken only as they are used. The store never shrinks a file, so the map stays valid.
  exec("PRAGMA mmap_size = 268435456");
  exec("PRAGMA cache_size = -32768");
  return kStatusOk;
}

int SqliteFile::prepareKey(int keyNo) {
  std::string k = join({"k", std::to_string(keyNo)});
  KeyStatements& s = perKey_[keyNo];
  int rc = s.forward.prepare(db_, join({"SELECT pos, data, ", k, " FROM records WHERE (", k,
                                        ", p) > (?1, ?2) ORDER BY ", k, ", p"}));
  if (rc == SQLITE_OK) {
    rc = s.backward.prepare(db_, join({"SELECT pos, data, ", k, " FROM records WHERE (", k,
                                       ", p) < (?1, ?2) ORDER BY ", k, " DESC, p DESC"}));
  }
  if (rc == SQLITE_OK) {
    rc = s.atPosition.prepare(db_, join({"SELECT data, ", k, " FROM records WHERE pos = ?1"}));
  }
  if (rc == SQLITE_OK) {
    rc = s.countEqual.prepare(
        db_, join({"SELECT count(*) FROM (SELECT 1 FROM records WHERE ", k, " = ?1 LIMIT 2)"}));
  }
  return rc;
}

void SqliteFile::beginRead() {
  readStart_ = Clock::now();
  endSnapshotIfStale(readStart_);
  if (readStart_ - lastSweep > kFreshness) {
    lastSweep = readStart_;
    for (SqliteFile* other : openFiles) {
      if (other != this) other->endSnapshotIfStale(readStart_);
    }
  }
}

void SqliteFile::keepSnapshot() {
  if (pinned_) return;
  if (sqlite3_step(pin_.get()) != SQLITE_ROW) {
    sqlite3_reset(pin_.get());
    return;
  }
  pinned_ = true;
  snapshotStart_ = readStart_;
  snapshotGeneration_ = writeGeneration;
}

void SqliteFile::takeSingleLock(uint32_t position) {
  if (singleLock_ != 0 && singleLock_ != position) lock_.unlockRecord(singleLock_);
  singleLock_ = position;
}

int16_t SqliteFile::lockFound(int keyNo, uint32_t position, LockRequest lock,
                              std::string_view& record, bool& vanished) {
  bool hadIt = lock_.holdsRecord(position);
  if (int16_t s = lockRecord(position, lock)) return s;
  // The record was found before the lock was taken: read it again under the lock, outside
  // the cursor's snapshot, so that what the caller holds locked is what is stored.
  sqlite3_stmt* stmt = perKey_[keyNo].atPosition.get();
  ResetOnExit reset(stmt);
  sqlite3_bind_int64(stmt, 1, position);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) {
    if (!hadIt) lock_.unlockRecord(position);
    if (rc == SQLITE_DONE) {
      vanished = true;
      return kStatusOk;
    }
    return statusOfSqlite(rc);
  }
  takeSingleLock(position);
  holdRow(stmt, keyNo, position, record);
  return kStatusOk;
}

int16_t SqliteFile::stepOnce(sqlite3_stmt* stmt, int keyNo, bool forward, SeekMode mode,
                             std::string_view seekForm, LockRequest lock, std::string_view& record,
                             bool& vanished) {
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) {
    closeCursor();
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) return statusOfSqlite(rc);
    return mode == SeekMode::Equal ? kStatusKeyNotFound : kStatusEndOfFile;
  }
  std::string_view form = columnBlob(stmt, 2);
  if (mode == SeekMode::Equal && form != seekForm) {
    closeCursor();
    sqlite3_reset(stmt);
    return kStatusKeyNotFound;
  }
  uint32_t position = static_cast<uint32_t>(sqlite3_column_int64(stmt, 0));
  if (lock != LockRequest::None) {
    // What is locked must be read again outside this snapshot.
    sqlite3_reset(stmt);
    endSnapshot();
    return lockFound(keyNo, position, lock, record, vanished);
  }
  cursor_ = stmt;
  cursorForward_ = forward;
  cursorKey_ = keyNo;
  keepSnapshot();
  record = columnBlob(stmt, 1);
  current_.valid = true;
  current_.exists = true;
  current_.hasKey = true;
  current_.key = keyNo;
  current_.collation.assign(form);
  current_.position = position;
  return kStatusOk;
}

int16_t SqliteFile::seek(int keyNo, SeekMode mode, std::string_view rawKey, LockRequest lock,
                         std::string_view& record) {
  beginRead();
  collateKey(def_, keyNo, rawKey, seekForm_);
  bool forward = mode == SeekMode::Equal || mode == SeekMode::Greater ||
                 mode == SeekMode::GreaterOrEqual || mode == SeekMode::First;
  std::string_view bound = seekForm_;
  int64_t position = 0;
  switch (mode) {
    case SeekMode::Greater:
    case SeekMode::LessOrEqual:
      position = kAfterEveryPosition;
      break;
    case SeekMode::First:
      bound = std::string_view();
      break;
    case SeekMode::Last:
      bound = afterEveryKey;
      position = kAfterEveryPosition;
      break;
    default:
      break;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    closeCursor();
    sqlite3_stmt* stmt = forward ? perKey_[keyNo].forward.get() : perKey_[keyNo].backward.get();
    bindBlob(stmt, 1, bound);
    sqlite3_bind_int64(stmt, 2, position);
    bool vanished = false;
    int16_t status = stepOnce(stmt, keyNo, forward, mode, seekForm_, lock, record, vanished);
    if (!vanished) return status;
  }
  return kStatusRecordLocked;
}

int16_t SqliteFile::step(int keyNo, bool forward, LockRequest lock, std::string_view& record) {
  if (!current_.valid || !current_.hasKey) return kStatusInvalidPositioning;
  if (current_.key != keyNo) return kStatusDifferentKeyNumber;
  beginRead();
  for (int attempt = 0; attempt < 3; ++attempt) {
    sqlite3_stmt* stmt;
    if (cursorUsable(keyNo, forward)) {
      stmt = cursor_;
    } else {
      closeCursor();
      stmt = forward ? perKey_[keyNo].forward.get() : perKey_[keyNo].backward.get();
      bindBlob(stmt, 1, current_.collation);
      sqlite3_bind_int64(stmt, 2, current_.position);
    }
    bool vanished = false;
    int16_t status = stepOnce(stmt, keyNo, forward, SeekMode::First, {}, lock, record, vanished);
    if (!vanished) return status;
  }
  return kStatusRecordLocked;
}

int16_t SqliteFile::readAt(int keyNo, uint32_t position, LockRequest lock,
                           std::string_view& record) {
  beginRead();
  closeCursor();
  if (position == 0 || position > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
    return kStatusInvalidRecordPosition;
  }
  bool hadIt = lock_.holdsRecord(position);
  if (lock != LockRequest::None) {
    // Read under the lock, outside any older snapshot.
    endSnapshot();
    if (int16_t s = lockRecord(position, lock)) return s;
  }
  sqlite3_stmt* stmt = perKey_[keyNo].atPosition.get();
  ResetOnExit reset(stmt);
  sqlite3_bind_int64(stmt, 1, position);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) {
    if (lock != LockRequest::None && !hadIt) lock_.unlockRecord(position);
    return rc == SQLITE_DONE ? kStatusInvalidRecordPosition : statusOfSqlite(rc);
  }
  if (lock != LockRequest::None) {
    takeSingleLock(position);
  } else {
    keepSnapshot();
  }
  holdRow(stmt, keyNo, position, record);
  return kStatusOk;
}

void SqliteFile::holdRow(sqlite3_stmt* stmt, int keyNo, uint32_t position,
                         std::string_view& record) {
  record_.assign(columnBlob(stmt, 0));
  record = record_;
  current_.valid = true;
  current_.exists = true;
  current_.key = keyNo;
  current_.hasKey = sqlite3_column_type(stmt, 1) != SQLITE_NULL;
  current_.collation.assign(columnBlob(stmt, 1));
  current_.position = position;
}

int16_t SqliteFile::currentPosition(uint32_t& position) {
  if (!current_.valid || !current_.exists) return kStatusInvalidPositioning;
  position = current_.position;
  return kStatusOk;
}

void SqliteFile::formsOf(std::string_view record, KeyForms& out) {
  size_t keys = def_.keys.size();
  out.forms.resize(keys);
  out.present.resize(keys);
  for (size_t k = 0; k < keys; ++k) {
    extractKey(def_, static_cast<int>(k), record, rawKey_);
    out.present[k] = collateKey(def_, static_cast<int>(k), rawKey_, out.forms[k]);
  }
}

int16_t SqliteFile::countEqual(int keyNo, const std::string& form, int& count) {
  sqlite3_stmt* stmt = perKey_[keyNo].countEqual.get();
  ResetOnExit reset(stmt);
  bindBlob(stmt, 1, form);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) return statusOfSqlite(rc);
  count = sqlite3_column_int(stmt, 0);
  return kStatusOk;
}

int16_t SqliteFile::countNewValue(int keyNo, const std::string& form, int& count) {
  int16_t status = countEqual(keyNo, form, count);
  if (status == kStatusOk && count > 0 && !def_.keys[keyNo].duplicates()) {
    status = kStatusDuplicateKey;
  }
  return status;
}

void SqliteFile::bindForms(sqlite3_stmt* stmt, const KeyForms& forms) {
  for (size_t k = 0; k < forms.forms.size(); ++k) {
    if (forms.present[k]) {
      bindBlob(stmt, static_cast<int>(k + 3), forms.forms[k]);
    } else {
      sqlite3_bind_null(stmt, static_cast<int>(k + 3));
    }
  }
}

int16_t SqliteFile::beginWrite() {
  if (readOnly_) return kStatusAccessDenied;
  endSnapshot();
  ++writeGeneration;
  int rc;
  if (inTransaction_) {
    rc = sqlite3_step(savepoint_.get());
    sqlite3_reset(savepoint_.get());
  } else {
    rc = exec("BEGIN IMMEDIATE");
  }
  return rc == SQLITE_OK || rc == SQLITE_DONE ? kStatusOk : statusOfSqlite(rc);
}

int16_t SqliteFile::endWrite(int16_t status) {
  ++writeGeneration;
  if (inTransaction_) {
    if (status != kStatusOk) {
      sqlite3_step(rollbackTo_.get());
      sqlite3_reset(rollbackTo_.get());
    }
    sqlite3_step(release_.get());
    sqlite3_reset(release_.get());
    return status;
  }
  if (status != kStatusOk) {
    exec("ROLLBACK");
    return status;
  }
  int rc = exec("COMMIT");
  if (rc != SQLITE_OK) {
    exec("ROLLBACK");
    return statusOfSqlite(rc);
  }
  return kStatusOk;
}

int16_t SqliteFile::readStored(uint32_t position, std::string& data) {
  sqlite3_stmt* stmt = readData_.get();
  ResetOnExit reset(stmt);
  sqlite3_bind_int64(stmt, 1, position);
  int rc = sqlite3_step(stmt);
  if (rc == SQLITE_DONE) return kStatusInvalidPositioning;
  if (rc != SQLITE_ROW) return statusOfSqlite(rc);
  data.assign(columnBlob(stmt, 0));
  return kStatusOk;
}

int16_t SqliteFile::applyCounts(int64_t records, int64_t lastPosition,
                                const std::vector<int64_t>& distinct) {
  sqlite3_stmt* stmt = writeCounts_.get();
  ResetOnExit reset(stmt);
  sqlite3_bind_int64(stmt, 1, records);
  sqlite3_bind_int64(stmt, 2, lastPosition);
  for (size_t k = 0; k < distinct.size(); ++k) {
    sqlite3_bind_int64(stmt, static_cast<int>(k + 3), distinct[k]);
  }
  int rc = sqlite3_step(stmt);
  return rc == SQLITE_DONE ? kStatusOk : statusOfSqlite(rc);
}

int16_t SqliteFile::lockForWrite(uint32_t position, bool& temporary) {
  temporary = false;
  if (lock_.holdsRecord(position)) return kStatusOk;
  int16_t status = statusOfLock(lock_.lockRecord(position, false), kStatusRecordLocked);
  temporary = status == kStatusOk;
  return status;
}

int16_t SqliteFile::insert(int keyNo, std::string_view record) {
  if (int16_t s = beginWrite()) return s;
  KeyForms forms;
  formsOf(record, forms);
  size_t keys = def_.keys.size();
  std::vector<int64_t> distinct(keys, 0);
  int16_t status = kStatusOk;
  for (size_t k = 0; k < keys && status == kStatusOk; ++k) {
    if (!forms.present[k]) continue;
    int count = 0;
    status = countNewValue(static_cast<int>(k), forms.forms[k], count);
    distinct[k] = count == 0 ? 1 : 0;
  }
  int64_t position = 0;
  if (status == kStatusOk) {
    ResetOnExit reset(readCounts_.get());
    int rc = sqlite3_step(readCounts_.get());
    if (rc != SQLITE_ROW) {
      status = statusOfSqlite(rc);
    } else {
      position = sqlite3_column_int64(readCounts_.get(), 1) + 1;
      if (position > std::numeric_limits<int32_t>::max()) status = kStatusDiskFull;
    }
  }
  if (status == kStatusOk) {
    sqlite3_stmt* stmt = insert_.get();
    ResetOnExit reset(stmt);
    sqlite3_bind_int64(stmt, 1, position);
    bindBlob(stmt, 2, record);
    bindForms(stmt, forms);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) status = statusOfSqlite(rc);
  }
  if (status == kStatusOk) status = applyCounts(1, position, distinct);
  status = endWrite(status);
  if (status != kStatusOk) return status;
  current_.valid = true;
  current_.exists = true;
  current_.key = keys ? keyNo : 0;
  current_.hasKey = keys && forms.present[keyNo];
  current_.collation = keys ? forms.forms[keyNo] : std::string();
  current_.position = static_cast<uint32_t>(position);
  return kStatusOk;
}

int16_t SqliteFile::update(int keyNo, std::string_view record) {
  if (!current_.valid || !current_.exists) return kStatusInvalidPositioning;
  if (readOnly_) return kStatusAccessDenied;
  uint32_t position = current_.position;
  bool temporary = false;
  if (int16_t s = lockForWrite(position, temporary)) return s;
  int16_t status = beginWrite();
  std::string old;
  if (status == kStatusOk) status = readStored(position, old);
  KeyForms before, after;
  size_t keys = def_.keys.size();
  std::vector<int64_t> distinct(keys, 0);
  if (status == kStatusOk) {
    formsOf(old, before);
    formsOf(record, after);
  }
  for (size_t k = 0; k < keys && status == kStatusOk; ++k) {
    bool changed = before.present[k] != after.present[k] || before.forms[k] != after.forms[k];
    if (!changed) continue;
    if (!def_.keys[k].modifiable()) {
      status = kStatusKeyNotModifiable;
      break;
    }
    int count = 0;
    if (after.present[k]) {
      status = countNewValue(static_cast<int>(k), after.forms[k], count);
      if (count == 0) distinct[k] += 1;
    }
    if (status == kStatusOk && before.present[k]) {
      status = countEqual(static_cast<int>(k), before.forms[k], count);
      if (count == 1) distinct[k] -= 1;
    }
  }
  if (status == kStatusOk) {
    sqlite3_stmt* stmt = update_.get();
    ResetOnExit reset(stmt);
    sqlite3_bind_int64(stmt, 1, position);
    bindBlob(stmt, 2, record);
    bindForms(stmt, after);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) status = statusOfSqlite(rc);
  }
  if (status == kStatusOk) status = applyCounts(0, 0, distinct);
  status = endWrite(status);
  if (temporary) lock_.unlockRecord(position);
  if (status != kStatusOk) return status;
  // An update gives up the single-record lock on the record.
  if (singleLock_ == position) {
    lock_.unlockRecord(position);
    singleLock_ = 0;
  }
  if (keys) {
    current_.key = keyNo;
    current_.hasKey = after.present[keyNo];
    current_.collation = after.forms[keyNo];
  }
  return kStatusOk;
}

int16_t SqliteFile::remove() {
  if (!current_.valid || !current_.exists) return kStatusInvalidPositioning;
  if (readOnly_) return kStatusAccessDenied;
  uint32_t position = current_.position;
  bool temporary = false;
  if (int16_t s = lockForWrite(position, temporary)) return s;
  int16_t status = beginWrite();
  std::string old;
  if (status == kStatusOk) status = readStored(position, old);
  KeyForms before;
  size_t keys = def_.keys.size();
  std::vector<int64_t> distinct(keys, 0);
  if (status == kStatusOk) formsOf(old, before);
  for (size_t k = 0; k < keys && status == kStatusOk; ++k) {
    if (!before.present[k]) continue;
    int count = 0;
    status = countEqual(static_cast<int>(k), before.forms[k], count);
    if (count == 1) distinct[k] = -1;
  }
  if (status == kStatusOk) {
    sqlite3_stmt* stmt = delete_.get();
    ResetOnExit reset(stmt);
    sqlite3_bind_int64(stmt, 1, position);
    int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) status = statusOfSqlite(rc);
  }
  if (status == kStatusOk) status = applyCounts(-1, 0, distinct);
  status = endWrite(status);
  if (temporary || singleLock_ == position) lock_.unlockRecord(position);
  if (singleLock_ == position) singleLock_ = 0;
  if (status != kStatusOk) return status;
  // The position stays, so that the next step continues from where the record stood.
  current_.exists = false;
  return kStatusOk;
}

int16_t SqliteFile::unlock() {
  if (singleLock_ != 0) lock_.unlockRecord(singleLock_);
  singleLock_ = 0;
  return kStatusOk;
}

int16_t SqliteFile::statistics(uint32_t& records, std::vector<uint32_t>& distinctValues) {
  beginRead();
  sqlite3_stmt* stmt = readCounts_.get();
  ResetOnExit reset(stmt);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW) return statusOfSqlite(rc);
  keepSnapshot();
  records = static_cast<uint32_t>(sqlite3_column_int64(stmt, 0));
  distinctValues.resize(def_.keys.size());
  for (size_t k = 0; k < distinctValues.size(); ++k) {
    distinctValues[k] = static_cast<uint32_t>(sqlite3_column_int64(stmt, static_cast<int>(k + 2)));
  }
  return kStatusOk;
}

int16_t SqliteFile::beginTransaction() {
  if (readOnly_) return kStatusAccessDenied;
  if (inTransaction_) return kStatusTransactionActive;
  endSnapshot();
  int rc = exec("BEGIN IMMEDIATE");
  if (rc != SQLITE_OK) return statusOfSqlite(rc);
  inTransaction_ = true;
  return kStatusOk;
}

int16_t SqliteFile::commitTransaction() {
  if (!inTransaction_) return kStatusNoTransaction;
  endSnapshot();
  ++writeGeneration;
  int rc = exec("COMMIT");
  if (rc != SQLITE_OK) {
    exec("ROLLBACK");
    inTransaction_ = false;
    return statusOfSqlite(rc);
  }
  inTransaction_ = false;
  return kStatusOk;
}

int16_t SqliteFile::rollbackTransaction() {
  if (!inTransaction_) return kStatusNoTransaction;
  endSnapshot();
  ++writeGeneration;
  exec("ROLLBACK");
  inTransaction_ = false;
  return kStatusOk;
}

}  // namespace

int16_t openSqliteFile(const std::string& path, OpenMode mode, std::unique_ptr<StoreFile>& file) {
  auto opened = std::make_unique<SqliteFile>();
  if (int16_t status = opened->open(path, mode)) return status;
  file = std::move(opened);
  return kStatusOk;
}

}  // namespace talmidor
