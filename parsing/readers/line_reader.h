// ReadLine: the line splitter shared by format detection and both parsers.
//
// Lines are separated by line feeds; carriage returns are never stored (a run of them before a
// line feed ends the line, a run before any other character is dropped) and the separators at
// the start of a line are skipped, so no line is empty. A line longer than 262,142 characters
// keeps its first 262,142 and is marked truncated; the rest of it up to its line feed is read and
// dropped, so a long line is still one line (a request with a 64 KiB query fits whole). A zero
// byte ends the line's text, but the bytes after it up to the line's end are still consumed.
//
// The source is anything with `int GetChar()` returning 0..255, or -1 at the end and from then
// on (the LogReader of log_reader.h, or a test's in-memory source). A source that also shows its
// buffered bytes (`Buffered()`, `Skip(n)`) has its runs of ordinary characters found with memchr
// and copied at once; what comes out is the same, byte for byte.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace velmora {

inline constexpr size_t kMaxLineLength = 262142;

// The one line buffer a parser keeps for a whole file.
class LineBuffer {
 public:
  std::string_view view() const { return {data_.data(), text_size_}; }
  // True when characters of the line beyond kMaxLineLength were dropped.
  bool truncated() const { return truncated_; }

 private:
  template <class Source>
  friend bool ReadLine(Source& source, LineBuffer& line);

  std::array<char, kMaxLineLength + 1> data_{};
  size_t text_size_ = 0;  // characters before the end or the first zero byte
  bool truncated_ = false;
};

// Reads and drops the rest of an overlong line up to and including its line feed; true when
// anything but carriage returns was dropped.
template <class Source>
bool DropRestOfLine(Source& source) {
  bool dropped = false;
  while (true) {
    if constexpr (requires { source.Buffered(); }) {
      const auto buffered = source.Buffered();
      if (!buffered.empty()) {
        const char* run = reinterpret_cast<const char*>(buffered.data());
        const void* at = std::memchr(run, '\n', buffered.size());
        const size_t n = at != nullptr ? static_cast<const char*>(at) - run : buffered.size();
        dropped = dropped || std::any_of(run, run + n, [](char c) { return c != '\r'; });
        source.Skip(n);
      }
    }
    const int c = source.GetChar();
    if (c < 0 || c == '\n') return dropped;
    dropped = dropped || c != '\r';
  }
}

// Reads the next line into `line`; false at the end of the file (no line).
template <class Source>
bool ReadLine(Source& source, LineBuffer& line) {
  int c = source.GetChar();
  while (c == '\r' || c == '\n') c = source.GetChar();
  if (c < 0) return false;

  size_t stored = 0;
  size_t text_size = kMaxLineLength + 1;  // set at the first zero byte
  bool truncated = false;
  while (true) {
    if (c == '\r') {
      do {
        c = source.GetChar();
      } while (c == '\r');
      continue;  // the carriage returns are dropped; look at what follows them
    }
    if (c < 0 || c == '\n') break;
    if (c == 0 && text_size > stored) text_size = stored;
    line.data_[stored++] = static_cast<char>(c);
    if (stored == kMaxLineLength) {
      truncated = DropRestOfLine(source);
      break;
    }
    if constexpr (requires { source.Buffered(); }) {
      // The run of characters up to the next line feed, carriage return or zero byte (each
      // handled above) is copied as the loop would copy it, one by one.
      const auto buffered = source.Buffered();
      size_t n = std::min(buffered.size(), kMaxLineLength - stored);
      if (n != 0) {
        const char* run = reinterpret_cast<const char*>(buffered.data());
        if (const void* at = std::memchr(run, '\n', n)) n = static_cast<const char*>(at) - run;
        if (const void* at = std::memchr(run, '\r', n)) n = static_cast<const char*>(at) - run;
        if (const void* at = std::memchr(run, 0, n)) n = static_cast<const char*>(at) - run;
        std::memcpy(line.data_.data() + stored, run, n);
        stored += n;
        source.Skip(n);
      }
      if (stored == kMaxLineLength) {
        truncated = DropRestOfLine(source);
        break;
      }
    }
    c = source.GetChar();
  }
  line.data_[stored] = '\0';
  line.text_size_ = text_size < stored ? text_size : stored;
  line.truncated_ = truncated;
  return true;
}

}  // namespace velmora
