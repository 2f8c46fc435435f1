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
    : fd_(std::exchange(other.fd_, -1)), size_(std::exchange(other.size_, 0)) {}

SequentialFile& SequentialFile::operator=(SequentialFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

Status SequentialFile::Open(const std::string& path) {
  Close();
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused just below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    int code = errno;
    return Error{code, SystemErrorText(code)};
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int code = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(fd);
    return Error{code, SystemErrorText(code)};
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return {};
}

size_t SequentialFile::Read(std::span<uint8_t> out) {
  if (fd_ < 0) return 0;
  size_t total = 0;
  while (total < out.size()) {
    ssize_t n = ::read(fd_, out.data() + total, out.size() - total);
    if (n > 0) {
      total += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;  // end of file or a read error: both end the pass
  }
  return total;
}

void SequentialFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

}  // namespace velmora
