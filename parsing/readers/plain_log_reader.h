// PlainLogReader: a log stored as plain text, read straight into the 64 KiB buffer.
// Its progress is the share of the file's bytes read, 0 for an empty file.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "parsing/readers/log_reader.h"
#include "platform/sequential_file.h"

namespace velmora {

class PlainLogReader final : public LogReader {
 public:
  static constexpr size_t kBufferSize = 65'536;

  PlainLogReader() : LogReader(kBufferSize) {}

  uint32_t ProgressFraction() const override;
  size_t ReadBlock(std::span<uint8_t> out) override;
  bool Open(std::string_view path) override;

 private:
  SequentialFile file_;
  uint64_t bytes_read_ = 0;
};

}  // namespace velmora
