#include "parsing/readers/log_reader.h"

#include <algorithm>
#include <array>
#include <string>

#include "parsing/readers/bzip2_log_reader.h"
#include "parsing/readers/gzip_log_reader.h"
#include "parsing/readers/plain_log_reader.h"
#include "platform/sequential_file.h"

namespace velmora {

LogReaderKind LogReaderKindForBytes(std::span<const uint8_t> first_bytes) {
  const std::span<const uint8_t> b = first_bytes;
  if (b.size() >= 2 && b[0] == 0x1F && b[1] == 0x8B) return LogReaderKind::kGzip;
  if (b.size() >= 3 && b[0] == 'B' && b[1] == 'Z' && b[2] == 'h') return LogReaderKind::kBzip2;
  return LogReaderKind::kPlain;
}

LogReaderKind LogReaderKindOfFile(std::string_view path) {
  SequentialFile file;
  if (!file.Open(std::string(path)).ok()) return LogReaderKind::kPlain;
  std::array<uint8_t, 3> first{};
  const size_t n = file.Read(first);
  return LogReaderKindForBytes(std::span<const uint8_t>(first.data(), n));
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

std::unique_ptr<LogReader> MakeLogReader(LogReaderKind kind) {
  switch (kind) {
    case LogReaderKind::kGzip:
      return std::make_unique<GzipLogReader>();
    case LogReaderKind::kBzip2:
      return std::make_unique<Bzip2LogReader>();
    case LogReaderKind::kPlain:
      break;
  }
  return std::make_unique<PlainLogReader>();
}

std::unique_ptr<LogReader> MakeLogReader(std::string_view path) {
  return MakeLogReader(LogReaderKindOfFile(path));
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
