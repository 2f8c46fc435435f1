#include "platform/workspace_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <limits>
#include <string>
#include <thread>
#include <utility>

#include "core/workspace_layout.h"
#include "platform/sys_error.h"

namespace velmora {
namespace {

constexpr std::string_view kWriterHoldsIt = "Another parse run is using this workspace";
constexpr std::string_view kReadersHoldIt =
    "Another velmora command is reading this workspace; try again when it ends";

// A writer writes its id just after it takes the lock: whoever is refused in between finds no
// id, or the id of an earlier writer that died, and looks again for a little while.
constexpr int kIdReadAttempts = 50;
constexpr auto kIdReadPause = std::chrono::milliseconds(2);

Error LockError(int code, const std::string& path) {
  return Error{code, "Can't lock the workspace '" + path + "': " + SystemErrorText(code)};
}

Error WriterBusy(int64_t writer_pid) {
  std::string text(kWriterHoldsIt);
  if (writer_pid != 0) text += " (process " + std::to_string(writer_pid) + ")";
  return Error{EWOULDBLOCK, text, ErrorKind::kBusy};
}

bool Flock(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool ProcessExists(int64_t pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The live process the lock file names, or 0.
int64_t NamedWriter(int fd) {
  char text[32] = {};
  const ssize_t size = ::pread(fd, text, sizeof text - 1, 0);
  if (size <= 0) return 0;
  int64_t pid = 0;
  std::from_chars(text, text + size, pid);
  return ProcessExists(pid) ? pid : 0;
}

// Called while a writer is known to hold the lock.
int64_t WriterOf(int fd) {
  for (int attempt = 1;; ++attempt) {
    const int64_t pid = NamedWriter(fd);
    if (pid != 0 || attempt == kIdReadAttempts) return pid;
    std::this_thread::sleep_for(kIdReadPause);
  }
}

}  // namespace

WorkspaceLock::~WorkspaceLock() { Release(); }

WorkspaceLock::WorkspaceLock(WorkspaceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), exclusive_(std::exchange(other.exclusive_, false)) {}

WorkspaceLock& WorkspaceLock::operator=(WorkspaceLock&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = std::exchange(other.fd_, -1);
    exclusive_ = std::exchange(other.exclusive_, false);
  }
  return *this;
}

void WorkspaceLock::Release() {
  if (fd_ < 0) return;
  // A writer that lets go cleanly leaves no id behind. An id that stays (the file would not
  // shrink, the writer died) names a process without the lock, which NamedWriter allows for.
  if (exclusive_) static_cast<void>(::ftruncate(fd_, 0) == 0);
  ::close(fd_);  // the lock goes with the file's last descriptor
  fd_ = -1;
  exclusive_ = false;
}

Result<WorkspaceLock> WorkspaceLock::TryExclusive(std::string_view workspace_folder) {
  const std::string path = WorkspacePath(workspace_folder, kLockFileName);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return LockError(errno, path);
  WorkspaceLock lock(fd, /*exclusive=*/false);  // closes the file on every failure below
  if (!Flock(fd, LOCK_EX | LOCK_NB)) {
    if (errno != EWOULDBLOCK) return LockError(errno, path);
    // Who holds it: a writer keeps readers out too, readers keep out only writers.
    if (!Flock(fd, LOCK_SH | LOCK_NB)) {
      return errno == EWOULDBLOCK ? WriterBusy(WriterOf(fd)) : LockError(errno, path);
    }
    // Readers, or nobody if the holder let go meanwhile: turning the shared lock into the
    // exclusive one tells which.
    if (!Flock(fd, LOCK_EX | LOCK_NB)) {
      if (errno != EWOULDBLOCK) return LockError(errno, path);
      return Error{EWOULDBLOCK, std::string(kReadersHoldIt), ErrorKind::kBusy};
    }
  }
  lock.exclusive_ = true;
  // The id ends with a line break, so that it reads right even before the file is cut to its
  // length. Should the write fail, the lock holds all the same; the refused cannot name it.
  const std::string id = std::to_string(::getpid()) + "\n";
  const auto size = static_cast<ssize_t>(id.size());
  static_cast<void>(::pwrite(fd, id.data(), id.size(), 0) == size && ::ftruncate(fd, size) == 0);
  return lock;
}

Result<WorkspaceLock> WorkspaceLock::TryShared(std::string_view workspace_folder) {
  return TakeShared(workspace_folder, nullptr);
}

Result<WorkspaceLock> WorkspaceLock::Shared(std::string_view workspace_folder,
                                            const LockWaitFn& before_waiting) {
  return TakeShared(workspace_folder, &before_waiting);
}

Result<WorkspaceLock> WorkspaceLock::TakeShared(std::string_view workspace_folder,
                                                const LockWaitFn* before_waiting) {
  const std::string path = WorkspacePath(workspace_folder, kLockFileName);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return LockError(errno, path);
  WorkspaceLock lock(fd, /*exclusive=*/false);
  if (!Flock(fd, LOCK_SH | LOCK_NB)) {
    if (errno != EWOULDBLOCK) return LockError(errno, path);
    const int64_t writer = WriterOf(fd);
    if (before_waiting == nullptr) return WriterBusy(writer);
    if (*before_waiting) (*before_waiting)(writer);
    if (!Flock(fd, LOCK_SH)) return LockError(errno, path);
  }
  return lock;
}

}  // namespace velmora
