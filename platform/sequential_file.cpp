#include "platform/sequential_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/sys_error.h"

namespace velmora {

SequentialFile::~SequentialFile() { Close(); }

SequentialFile::SequentialFile(SequentialFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      size_(std::exchange(other.size_, 0)),
      read_error_(std::exchange(other.read_error_, 0)) {}

SequentialFile& SequentialFile::operator=(SequentialFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
    read_error_ = std::exchange(other.read_error_, 0);
  }
  return *this;
}

namespace {

// Why a path that opened is no file to read, in the words Open's error uses.
const char* NotRegularReason(mode_t mode) {
  if (S_ISFIFO(mode)) return "is a FIFO";
  if (S_ISDIR(mode)) return "is a folder";
  return "is not a regular file";
}

Error CannotOpen(int code) { return Error{code, "cannot open: " + SystemErrorText(code)}; }

}  // namespace

Status SequentialFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused just below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return CannotOpen(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int code = errno;
    ::close(fd);
    return CannotOpen(code);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return Error{0, NotRegularReason(st.st_mode)};
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return {};
}

size_t SequentialFile::Read(std::span<uint8_t> out) {
  if (fd_ < 0 || read_error_ != 0) return 0;
  size_t total = 0;
  while (total < out.size()) {
    ssize_t n = ::read(fd_, out.data() + total, out.size() - total);
    if (n > 0) {
      total += static_cast<size_t>(n);
      continue;
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      read_error_ = errno;
    }
    break;  // end of file or a read error: both end the pass
  }
  return total;
}

void SequentialFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  read_error_ = 0;
}

}  // namespace velmora
