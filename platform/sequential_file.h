// SequentialFile: a regular file opened read-only for one front-to-back pass (the log readers).
//
// Open refuses anything that is not a regular file, so a FIFO or a device placed among the logs
// can neither block the open nor stall a read. Its error says why, in words fit to follow the
// path: "cannot open: " and the system's text, "is a FIFO", "is a folder" or "is not a regular
// file". Read reports a failure only as a short count: 0 means the end of the file or a read
// error, which read_error() then tells apart; interrupted reads are retried, and after a read
// error Read returns 0 without reading again. Move-only; the destructor closes.
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
  // first. Error code is the errno when the system refused, 0 for a path that is not a regular
  // file; the message is one of the reasons above.
  Status Open(const std::string& path);
  bool is_open() const { return fd_ >= 0; }

  // Fills as much of `out` as the file still holds; 0 at the end, on a read error or when closed.
  size_t Read(std::span<uint8_t> out);
  // The errno of the read that failed, 0 while none has.
  int read_error() const { return read_error_; }
  // The file's size when it was opened.
  uint64_t size() const { return size_; }
  void Close();

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  int read_error_ = 0;
};

}  // namespace velmora
