#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <mutex>
#include <utility>

#include "platform/sys_error.h"

namespace velmora {
namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}
MappedFileFaultHook& Hook() {
  static MappedFileFaultHook hook;
  return hook;
}

// Copies the hook under the lock and calls it outside, so a hook may itself open files.
int InjectedFault(MappedFileStep step, const std::string& path) {
  MappedFileFaultHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  return hook ? hook(step, path) : 0;
}

Error SystemError(int code) { return Error{code, SystemErrorText(code)}; }

}  // namespace

void SetMappedFileFaultHook(MappedFileFaultHook hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

MappedFile::~MappedFile() { Close(); }

MappedFile::MappedFile(MappedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      data_(std::exchange(other.data_, nullptr)),
      mapped_size_(std::exchange(other.mapped_size_, 0)),
      path_(std::move(other.path_)) {
  other.path_.clear();
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    data_ = std::exchange(other.data_, nullptr);
    mapped_size_ = std::exchange(other.mapped_size_, 0);
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

Status MappedFile::Open(const std::string& path, FileOpenMode mode) {
  Close();
  if (const int fault = InjectedFault(MappedFileStep::kOpen, path); fault != 0) {
    return SystemError(fault);
  }
  // No O_TRUNC here: a file held by someone else must fail on the lock untouched, so truncation
  // waits until the lock is ours.
  int flags = O_RDWR | O_CLOEXEC;
  if (mode == FileOpenMode::kCreateAlways) flags |= O_CREAT;
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return SystemError(errno);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    ::close(fd);
    return SystemError(code);
  }
  if (mode == FileOpenMode::kCreateAlways && ::ftruncate(fd, 0) != 0) {
    const int code = errno;
    ::close(fd);
    return SystemError(code);
  }
  fd_ = fd;
  path_ = path;
  return {};
}

Result<uint64_t> MappedFile::FileSize() const {
  if (fd_ < 0) return SystemError(EBADF);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return SystemError(errno);
  return static_cast<uint64_t>(st.st_size);
}

Result<size_t> MappedFile::ReadAt(uint64_t offset, std::span<unsigned char> out) const {
  if (fd_ < 0) return SystemError(EBADF);
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SystemError(errno);
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

Status MappedFile::Resize(uint64_t size) {
  if (fd_ < 0) return SystemError(EBADF);
  if (const int fault = InjectedFault(MappedFileStep::kResize, path_); fault != 0) {
    return SystemError(fault);
  }
  if (size > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return SystemError(EFBIG);
  // Pages of a view beyond the end of the file fault on access; refuse rather than leave them.
  if (data_ != nullptr && size < mapped_size_) return SystemError(EBUSY);
  // Growth reserves the disk blocks: a sparse extension would let a full disk surface later as
  // SIGBUS on a write into the view, where no message can be shown and data is lost.
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return SystemError(errno);
  if (size > static_cast<uint64_t>(st.st_size)) {
    const int rc = ::posix_fallocate(fd_, st.st_size, static_cast<off_t>(size) - st.st_size);
    if (rc == 0) return {};
    if (rc != EOPNOTSUPP && rc != EINVAL) return SystemError(rc);
  }
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return SystemError(errno);
  return {};
}

Status MappedFile::FitsTheFile(size_t size) const {
  // A view longer than the file would fault past its end; the file must be resized first.
  Result<uint64_t> file_size = FileSize();
  if (!file_size.ok()) return file_size.error();
  if (*file_size < size) return SystemError(EINVAL);
  return {};
}

Status MappedFile::Map(size_t size) {
  if (fd_ < 0) return SystemError(EBADF);
  Unmap();
  if (const int fault = InjectedFault(MappedFileStep::kMap, path_); fault != 0) {
    return SystemError(fault);
  }
  if (size == 0) return SystemError(EINVAL);
  if (Status fits = FitsTheFile(size); !fits.ok()) return fits;
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (view == MAP_FAILED) return SystemError(errno);
  data_ = static_cast<unsigned char*>(view);
  mapped_size_ = size;
  return {};
}

Status MappedFile::Extend(size_t size) {
  if (data_ == nullptr) return Map(size);
  if (const int fault = InjectedFault(MappedFileStep::kMap, path_); fault != 0) {
    return SystemError(fault);
  }
  if (size < mapped_size_) return SystemError(EINVAL);
  if (Status fits = FitsTheFile(size); !fits.ok()) return fits;
  void* view = ::mremap(data_, mapped_size_, size, MREMAP_MAYMOVE);
  if (view == MAP_FAILED) return SystemError(errno);
  data_ = static_cast<unsigned char*>(view);
  mapped_size_ = size;
  return {};
}

void MappedFile::Unmap() {
  if (data_ != nullptr) ::munmap(data_, mapped_size_);
  data_ = nullptr;
  mapped_size_ = 0;
}

void MappedFile::Close() {
  Unmap();
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the lock
  fd_ = -1;
  path_.clear();
}

}  // namespace velmora
