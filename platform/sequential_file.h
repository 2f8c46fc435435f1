// SequentialFile: a regular file opened read-only for one front-to-back pass (the log readers).
//
// Open refuses anything that is not a regular file, so a FIFO or a device placed among the logs
// can neither block the open nor stall a read. Read never reports errors apart from a short
// count: 0 means the end of the file or a read error, and interrupted reads are retried.
// Move-only; the destructor closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/result.h"

namespace velmora {

class SequentialFile {
 public:
  SequentialFile() = default;
  ~SequentialFile();
  SequentialFile(SequentialFile&& other) noexcept;
  SequentialFile& operator=(SequentialFile&& other) noexcept;
  SequentialFile(const SequentialFile&) = delete;
  SequentialFile& operator=(const SequentialFile&) = delete;

  // Opens an existing regular file for reading, hinting sequential access; an open file is closed
  // first. Error code is the errno (EINVAL for a file that is not regular).
  Status Open(const std::string& path);
  bool is_open() const { return fd_ >= 0; }

  // Fills as much of `out` as the file still holds; 0 at the end, on a read error or when closed.
  size_t Read(std::span<uint8_t> out);
  // The file's size when it was opened.
  uint64_t size() const { return size_; }
  void Close();

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace velmora
