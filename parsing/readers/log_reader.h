// LogReader: a buffered byte source over one stored log file, plain, gzip or bzip2.
//
// Format detection, the line parsers and the first-entry search read a log one byte at a time
// with GetChar and never see compression. GetChar is the hot path of the whole program: while the
// buffer holds bytes it is a pointer compare and an increment; refilling lives out of line.
//
// Invariants:
//  - Once GetChar has returned -1 it keeps returning -1 and never reads again.
//  - When the data stopped early, failure() says why, from the moment GetChar first returns -1 (or
//    ended() turns true): the file could not be opened or is no file to read, the archive is not
//    one, ended before its end marker or is damaged, or a read failed. The bytes before the stop
//    are all handed out first. After a clean end, and while bytes remain, failure() is empty. The
//    reason is set on the refill path only; GetChar never looks at it.
//  - ReadBlock returns 0 only at the end; a reader sets its failure, if any, in the call that
//    returns that 0 (or in an Open that returns false).
//  - ProgressFraction is in millionths of the underlying file, 0..1,000,000.
//
// Making a reader: the file's first bytes pick the kind (gzip for 1F 8B, bzip2 for "BZh",
// anything else plain; the name plays no part), then Open, then Prime fills the buffer once.
// OpenLogReader does all three.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

enum class LogReaderKind : uint8_t { kPlain, kGzip, kBzip2 };

// The kind a file starting with `first_bytes` holds: gzip for 1F 8B, bzip2 for "BZh", plain for
// anything else (fewer bytes included).
LogReaderKind LogReaderKindForBytes(std::span<const uint8_t> first_bytes);
// The kind of the file at `path` by its first bytes; plain when it cannot be read, so that the
// plain reader's Open says why.
LogReaderKind LogReaderKindOfFile(std::string_view path);

class LogReader {
 public:
  virtual ~LogReader() = default;
  LogReader(const LogReader&) = delete;
  LogReader& operator=(const LogReader&) = delete;

  // Share of the underlying file consumed so far, 0 to 1,000,000.
  virtual uint32_t ProgressFraction() const = 0;
  // Fills `out` with the next decoded bytes and returns their count; 0 only at the end of the
  // data, clean or not.
  virtual size_t ReadBlock(std::span<uint8_t> out) = 0;
  // Opens the file read-only; false, with the failure set, when it cannot be opened (or, for
  // gzip, has a bad header).
  virtual bool Open(std::string_view path) = 0;

  // Fills the buffer for the first time; an empty first fill sets the end flag. Call once after
  // Open; when Open failed call MarkEnded instead (OpenLogReader does both).
  void Prime() { FillBuffer(); }
  // Sets the end flag and drops what the buffer still holds.
  void MarkEnded();

  // The next byte as 0..255, or -1 at the end. The cursor is read once and written once per
  // byte, and the refill rejoins before the write: the compiler can then carry the cursor in a
  // register from one call to the next in a caller's loop instead of through memory.
  int GetChar() {
    const char8_t* p = cursor_;
    if (p == limit_) [[unlikely]] {
      if (!FillBuffer()) return -1;
      p = cursor_;
    }
    cursor_ = p + 1;
    return *p;
  }

  // The bytes the buffer still holds, for a caller that scans them in place (ReadLine looks for
  // the line's end with memchr); Skip(n) then hands out n of them as n GetChar calls would.
  // Empty does not mean the end: GetChar refills.
  std::span<const char8_t> Buffered() const { return {cursor_, limit_}; }
  void Skip(size_t n) { cursor_ += n; }

  // Bytes handed out by GetChar so far.
  uint64_t delivered() const {
    return delivered_before_buffer_ + static_cast<uint64_t>(cursor_ - buffer_.data());
  }
  // Bytes left in the buffer.
  uint32_t remaining() const { return static_cast<uint32_t>(limit_ - cursor_); }
  bool ended() const { return ended_; }
  // Why the data stopped before its clean end, e.g. "cannot open: No such file or directory",
  // "is a folder" or "archive truncated at byte 4096"; empty otherwise.
  const std::optional<std::string>& failure() const { return failure_; }
  size_t buffer_size() const { return buffer_.size(); }

  // Per-file progress in 1/10,000: delivered * 10,000 / ((delivered + remaining) * 1,000,000 /
  // fraction), in 64-bit integers; 0 when the fraction (or the divisor) is 0.
  int64_t FileProgress() const;

 protected:
  explicit LogReader(size_t buffer_size);

  // Records why the data stops here; the first reason given stands.
  void SetFailure(std::string reason) {
    if (!failure_) failure_ = std::move(reason);
  }

 private:
  // Out of line: replaces the buffer's content through ReadBlock; false (end flag set, and from
  // then on without reading again) when nothing came.
  bool FillBuffer();

  // The buffer holds char8_t, which unlike char and uint8_t may not alias other objects: a byte
  // read through cursor_ then cannot be the cursor itself, so a caller's loop over GetChar keeps
  // the cursor in a register instead of storing and reloading it for every byte. Decoders fill
  // it as unsigned char, which may access any object.
  std::vector<char8_t> buffer_;
  const char8_t* cursor_;  // next byte to hand out
  const char8_t* limit_;   // one past the last valid byte
  uint64_t delivered_before_buffer_ = 0;
  bool ended_ = false;
  std::optional<std::string> failure_;
};

// An unopened reader of the kind given.
std::unique_ptr<LogReader> MakeLogReader(LogReaderKind kind);
// An unopened reader of the kind the file's first bytes show.
std::unique_ptr<LogReader> MakeLogReader(std::string_view path);
// Makes, opens and primes a reader; never null. A file that cannot be opened gives a reader that
// is already at its end, with the failure saying why.
std::unique_ptr<LogReader> OpenLogReader(std::string_view path);
// The same for a reader made otherwise (one wrapping another): opens and primes `reader` on
// `path`, or leaves it at its end with its failure.
std::unique_ptr<LogReader> StartLogReader(std::unique_ptr<LogReader> reader, std::string_view path);

}  // namespace velmora
