#pragma once
// The locks that other processes must see: a sidecar file beside the data file ("<data
// file>-lock") on which each open handle holds byte-range locks through its own open file
// description (Linux F_OFD_SETLK). Byte 0 stands for the file (shared for a normal open,
// exclusive for an exclusive one), byte p for the record at position p. The operating system
// drops the locks when their handle closes or its process ends, even when it is killed.
// The sidecar file is never removed: another process may hold locks on it.

#include <cstdint>
#include <set>
#include <string>

namespace talmidor {

enum class LockResult { Acquired, Busy, Failed };

class LockFile {
 public:
  LockFile() = default;
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;
  ~LockFile();

  // Opens (creating it when missing) the sidecar of dataPath. Returns 0, 46 when it may not
  // be created or opened, 2 on other failures.
  int16_t open(const std::string& dataPath);
  void close();

  // The file byte: shared for a normal open, exclusive for an exclusive one. Busy when
  // another handle holds it in a conflicting way.
  LockResult lockFile(bool exclusive);

  // Takes the lock of the record at position, waiting for it when wait is set. A lock this
  // handle already holds is acquired again at once. A wait for a lock held by another handle
  // of this process could never end, so it answers Busy instead.
  LockResult lockRecord(uint32_t position, bool wait);
  void unlockRecord(uint32_t position);
  bool holdsRecord(uint32_t position) const { return records_.count(position) != 0; }

  static std::string sidecarPath(const std::string& dataPath) { return dataPath + "-lock"; }

 private:
  int fd_ = -1;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
  std::set<uint32_t> records_;  // record locks this handle holds
};

}  // namespace talmidor
