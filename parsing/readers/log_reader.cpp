#include "parsing/readers/log_reader.h"

#include <algorithm>

#include "core/ascii.h"
#include "parsing/readers/bzip2_log_reader.h"
#include "parsing/readers/gzip_log_reader.h"
#include "parsing/readers/plain_log_reader.h"

namespace velmora {

LogReaderKind LogReaderKindForPath(std::string_view path) {
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return LogReaderKind::kPlain;
  std::string_view extension = path.substr(dot);
  if (AsciiEqualsIgnoreCase(extension, ".gz")) return LogReaderKind::kGzip;
  if (AsciiEqualsIgnoreCase(extension, ".bz2")) return LogReaderKind::kBzip2;
  return LogReaderKind::kPlain;
}

LogReader::LogReader(size_t buffer_size)
    : buffer_(buffer_size), cursor_(buffer_.data()), limit_(buffer_.data()) {}

void LogReader::MarkEnded() {
  delivered_before_buffer_ += static_cast<uint64_t>(cursor_ - buffer_.data());
  ended_ = true;
  cursor_ = limit_ = buffer_.data();
}

bool LogReader::FillBuffer() {
  if (ended_) return false;
  delivered_before_buffer_ += static_cast<uint64_t>(cursor_ - buffer_.data());
  std::span<uint8_t> space(reinterpret_cast<uint8_t*>(buffer_.data()), buffer_.size());
  size_t n = std::min(ReadBlock(space), buffer_.size());
  cursor_ = buffer_.data();
  limit_ = cursor_ + n;
  if (n == 0) ended_ = true;
  return n != 0;
}

int64_t LogReader::FileProgress() const {
  uint64_t fraction = ProgressFraction();
  if (fraction == 0) return 0;
  uint64_t handed_out = delivered();
  uint64_t estimated_size = (handed_out + remaining()) * 1'000'000 / fraction;
  if (estimated_size == 0) return 0;
  return static_cast<int64_t>(handed_out * 10'000 / estimated_size);
}

std::unique_ptr<LogReader> MakeLogReader(std::string_view path) {
  switch (LogReaderKindForPath(path)) {
    case LogReaderKind::kGzip:
      return std::make_unique<GzipLogReader>();
    case LogReaderKind::kBzip2:
      return std::make_unique<Bzip2LogReader>();
    case LogReaderKind::kPlain:
      break;
  }
  return std::make_unique<PlainLogReader>();
}

std::unique_ptr<LogReader> OpenLogReader(std::string_view path) {
  return StartLogReader(MakeLogReader(path), path);
}

std::unique_ptr<LogReader> StartLogReader(std::unique_ptr<LogReader> reader,
                                          std::string_view path) {
  if (reader->Open(path)) {
    reader->Prime();
  } else {
    reader->MarkEnded();
  }
  return reader;
}

}  // namespace velmora
