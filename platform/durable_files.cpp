#include "platform/durable_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/sys_error.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

Error Failed(std::string_view what, const std::string& path, int code) {
  return Error{code, std::string(what) + " " + path + ": " + SystemErrorText(code)};
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and says whether the close (which may report a late write error) succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

Status CopyOneFile(const std::string& from, const std::string& to) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Failed("cannot read", from, errno);
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) return Failed("cannot read", from, errno);
  Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (out.get() < 0) return Failed("cannot create", to, errno);
  off_t left = st.st_size;
  while (left > 0) {
    // The kernel copies without the bytes passing through here, and shares extents where the
    // file system can.
    const ssize_t n =
        ::copy_file_range(in.get(), nullptr, out.get(), nullptr, static_cast<size_t>(left), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP)) {
      char buffer[1 << 16];
      const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
      if (got <= 0) return Failed("cannot read", from, got < 0 ? errno : EIO);
      for (ssize_t done = 0; done < got;) {
        const ssize_t put = ::write(out.get(), buffer + done, static_cast<size_t>(got - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return Failed("cannot write", to, put < 0 ? errno : EIO);
        done += put;
      }
      left -= got;
      continue;
    }
    if (n <= 0) return Failed("cannot write", to, n < 0 ? errno : EIO);
    left -= n;
  }
  if (!out.Close()) return Failed("cannot write", to, errno);
  return {};
}

}  // namespace

Status SyncFileSystemOf(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Failed("cannot open", path, errno);
  if (::syncfs(fd.get()) != 0) return Failed("cannot write", path, errno);
  return {};
}

Status CopyFolderFiles(const std::string& from, const std::string& to) {
  if (::mkdir(to.c_str(), 0755) != 0) return Failed("cannot create", to, errno);
  std::error_code ec;
  for (fs::directory_iterator it(from, ec), end; it != end; it.increment(ec)) {
    if (ec) break;
    std::error_code kind_ec;
    if (!it->is_regular_file(kind_ec) || it->is_symlink(kind_ec)) continue;
    const std::string name = it->path().filename().string();
    if (Status copied = CopyOneFile(it->path().string(), (fs::path(to) / name).string());
        !copied.ok()) {
      return copied;
    }
  }
  if (ec) return Failed("cannot read", from, ec.value());
  return {};
}

Status Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return Failed("cannot rename", from, errno);
  return {};
}

Status RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
  if (ec) return Failed("cannot remove", path, ec.value());
  return {};
}

uint64_t FolderFilesSize(const std::string& folder) {
  uint64_t total = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code size_ec;
    if (!it->is_regular_file(size_ec)) continue;
    const uint64_t size = it->file_size(size_ec);
    if (!size_ec) total += size;
  }
  return total;
}

std::string FormatMegabytes(uint64_t bytes) {
  const uint64_t tenths = (bytes * 10 + (1 << 20) - 1) / (1 << 20);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

uint64_t FreeBytesOn(const std::string& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return 0;
  return static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
}

}  // namespace velmora
