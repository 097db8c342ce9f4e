#include "store/lock_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <tuple>

#include "store/record_manager.h"

namespace talmidor {

namespace {

using LockId = std::tuple<uint64_t, uint64_t, uint32_t>;  // device, inode, position

// Record locks held by the handles of this process, with the number of holders (one, since
// they exclude each other). It mirrors what the operating system holds for this process and
// empties itself as the handles close; it only serves to refuse a wait that could never end.
std::map<LockId, int> heldInProcess;

bool setLock(int fd, short type, off_t start, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = 1;
  fl.l_pid = 0;
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

LockFile::~LockFile() {
  close();
}

int16_t LockFile::open(const std::string& dataPath) {
  close();
  std::string path = sidecarPath(dataPath);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EACCES || errno == EROFS ? kStatusAccessDenied : kStatusIoError;
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    ::close(fd);
    return kStatusIoError;
  }
  fd_ = fd;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  return kStatusOk;
}

void LockFile::close() {
  if (fd_ < 0) return;
  for (uint32_t position : records_) {
    auto it = heldInProcess.find({device_, inode_, position});
    if (it != heldInProcess.end() && --it->second <= 0) heldInProcess.erase(it);
  }
  records_.clear();
  // Closing the descriptor drops every lock of this open file description.
  ::close(fd_);
  fd_ = -1;
}

LockResult LockFile::lockFile(bool exclusive) {
  if (fd_ < 0) return LockResult::Failed;
  if (setLock(fd_, exclusive ? F_WRLCK : F_RDLCK, 0, false)) return LockResult::Acquired;
  return errno == EAGAIN || errno == EACCES ? LockResult::Busy : LockResult::Failed;
}

LockResult LockFile::lockRecord(uint32_t position, bool wait) {
  if (fd_ < 0) return LockResult::Failed;
  if (records_.count(position)) return LockResult::Acquired;
  bool taken = setLock(fd_, F_WRLCK, static_cast<off_t>(position), false);
  if (!taken) {
    if (errno != EAGAIN && errno != EACCES) return LockResult::Failed;
    if (!wait || heldInProcess.count({device_, inode_, position})) return LockResult::Busy;
    taken = setLock(fd_, F_WRLCK, static_cast<off_t>(position), true);
    if (!taken) return errno == EDEADLK ? LockResult::Busy : LockResult::Failed;
  }
  records_.insert(position);
  ++heldInProcess[{device_, inode_, position}];
  return LockResult::Acquired;
}

void LockFile::unlockRecord(uint32_t position) {
  if (fd_ < 0 || !records_.count(position)) return;
  setLock(fd_, F_UNLCK, static_cast<off_t>(position), false);
  records_.erase(position);
  auto it = heldInProcess.find({device_, inode_, position});
  if (it != heldInProcess.end() && --it->second <= 0) heldInProcess.erase(it);
}

}  // namespace talmidor
