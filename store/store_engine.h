#pragma once
// What the record manager needs from the storage underneath: creating and opening data files,
// and per open file the reads along a key with a current record, the writes, single-record
// locks and the statistics. The record manager's entry point speaks only to this interface;
// the SQLite engine is the one in use, and a server engine for installations shared across
// machines can take its place without any change above store/.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_definition.h"

namespace talmidor {

enum class SeekMode { Equal, Greater, GreaterOrEqual, Less, LessOrEqual, First, Last };
enum class LockRequest { None, Wait, NoWait };
enum class OpenMode { Normal, ReadOnly, Exclusive };

// One open handle on a data file. It keeps the current record: the key it was reached on,
// that key's collation form and the record's position. Every method returns a status of the
// record manager (0 on success). A record handed out stays valid until the next call on the
// same file.
class StoreFile {
 public:
  virtual ~StoreFile() = default;
  virtual const FileDefinition& definition() const = 0;

  // Finds a record by the key value rawKey (the key's bytes, segment after segment) and makes
  // it current. Not found: 4 for Equal, 9 otherwise; the current record is kept.
  virtual int16_t seek(int keyNo, SeekMode mode, std::string_view rawKey, LockRequest lock,
                       std::string_view& record) = 0;
  // The record after (before) the current one in the order of keyNo. 8 without a current
  // record, 7 when keyNo is not the key the current record was reached on, 9 at the end.
  virtual int16_t step(int keyNo, bool forward, LockRequest lock, std::string_view& record) = 0;
  // The record at position, made current on keyNo; 43 when there is none.
  virtual int16_t readAt(int keyNo, uint32_t position, LockRequest lock,
                         std::string_view& record) = 0;
  // The current record's position; 8 when there is none (or it was deleted).
  virtual int16_t currentPosition(uint32_t& position) = 0;

  // A new record (the record length long), made current on keyNo. 5 for a duplicate value of
  // a unique key.
  virtual int16_t insert(int keyNo, std::string_view record) = 0;
  // Replaces the current record, which stays current. 8 without one, 84 when another holds
  // its lock, 10 when a key that may not change would, 5 for a duplicate.
  virtual int16_t update(int keyNo, std::string_view record) = 0;
  // Deletes the current record; the next step continues from where it stood.
  virtual int16_t remove() = 0;

  // Releases this handle's single-record lock.
  virtual int16_t unlock() = 0;
  virtual int16_t statistics(uint32_t& records, std::vector<uint32_t>& distinctValues) = 0;

  // Writes between begin and commit (or rollback) are one unit on this file.
  virtual int16_t beginTransaction() = 0;
  virtual int16_t commitTransaction() = 0;
  virtual int16_t rollbackTransaction() = 0;
};

class StoreEngine {
 public:
  virtual ~StoreEngine() = default;
  // Creates an empty data file. 59 when it exists and overwrite is not set; 85 when it is to
  // be overwritten while another handle has it open.
  virtual int16_t create(const std::string& path, const FileDefinition& definition,
                         bool overwrite) = 0;
  // 12 for a missing file, 30 for one that is not a data file of this store, 85 when another
  // handle holds it exclusively (or, for an exclusive open, has it open at all).
  virtual int16_t open(const std::string& path, OpenMode mode,
                       std::unique_ptr<StoreFile>& file) = 0;
};

// The engine the record manager uses.
StoreEngine& storeEngine();

}  // namespace talmidor
