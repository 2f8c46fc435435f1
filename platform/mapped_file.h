// MappedFile: a file opened read-write under an exclusive lock and mapped whole into memory.
//
// The table engine builds on it step by step, because each step has its own message when it
// fails: Open (the file itself, with the lock), Resize (lengthen to the mapping size) and Map (the
// view). A file held by another MappedFile, in this process or another, fails to open with
// EWOULDBLOCK: the "no sharing" rule. Move-only; the destructor unmaps and closes.
//
// Tests replace failures of any step through SetMappedFileFaultHook, so that Retry/Cancel paths can
// be exercised without filling a disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/result.h"

namespace velmora {

enum class FileOpenMode : uint8_t {
  kExisting,      // fail with ENOENT when missing
  kCreateAlways,  // create, or truncate an existing file to 0 bytes
};

enum class MappedFileStep : uint8_t { kOpen, kResize, kMap };

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Opens `path` read-write and takes the exclusive lock; an open file is closed first. Error code
  // is the errno, the message its system text. kCreateAlways truncates only once the lock is held,
  // so a file in use by someone else is left intact.
  Status Open(const std::string& path, FileOpenMode mode);
  bool is_open() const { return fd_ >= 0; }

  // Current length of the file on disk.
  Result<uint64_t> FileSize() const;
  // Reads up to out.size() bytes from `offset` without mapping anything; returns how many were
  // there (fewer at the end of the file).
  Result<size_t> ReadAt(uint64_t offset, std::span<unsigned char> out) const;
  // Lengthens (or shortens) the file to `size` bytes; new bytes read as zero. Shortening below
  // the current view fails with EBUSY (unmap first): pages past the end would fault.
  Status Resize(uint64_t size);
  // Maps the first `size` bytes read-write and shared; any earlier view is unmapped first. Fails
  // with EINVAL for size 0 or a file shorter than `size` (Resize first).
  Status Map(size_t size);
  // Lengthens the view to `size` bytes (Resize first) keeping what is mapped: the pages already
  // touched stay in place instead of being unmapped and faulted in again, so growing a large file
  // in small steps does not cost time in proportion to its size at every step. Maps afresh when
  // nothing is mapped; on failure the old view is left as it was.
  Status Extend(size_t size);
  void Unmap();
  // Unmaps, unlocks and closes; harmless when closed. Operations on a closed file fail with EBADF.
  void Close();

  unsigned char* data() const { return data_; }
  size_t mapped_size() const { return mapped_size_; }
  const std::string& path() const { return path_; }

 private:
  // EINVAL when the file is shorter than a view of `size` bytes.
  Status FitsTheFile(size_t size) const;

  int fd_ = -1;
  unsigned char* data_ = nullptr;
  size_t mapped_size_ = 0;
  std::string path_;
};

// Test seam: when set, called before each step; a non-zero return fails the step with that errno.
using MappedFileFaultHook = std::function<int(MappedFileStep step, const std::string& path)>;
void SetMappedFileFaultHook(MappedFileFaultHook hook);

}  // namespace velmora
