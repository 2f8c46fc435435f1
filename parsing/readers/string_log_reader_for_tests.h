// A LogReader over bytes held in memory, for the tests of detection and the parsers. Its small
// buffer makes lines cross refills; a failure given is reported at the end of the bytes, as a
// file that stops early would. Test code only.
#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "parsing/readers/log_reader.h"

namespace velmora::testing {

class StringLogReader : public LogReader {
 public:
  explicit StringLogReader(std::string_view bytes, size_t buffer_size = 61,
                           std::optional<std::string> failure = std::nullopt)
      : LogReader(buffer_size), bytes_(bytes), failure_at_end_(std::move(failure)) {
    Prime();
  }

  uint32_t ProgressFraction() const override {
    if (bytes_.empty()) return 0;
    return static_cast<uint32_t>(uint64_t{offset_} * 1'000'000 / bytes_.size());
  }
  size_t ReadBlock(std::span<uint8_t> out) override {
    const size_t n = std::min(out.size(), bytes_.size() - offset_);
    std::memcpy(out.data(), bytes_.data() + offset_, n);
    offset_ += n;
    if (n == 0 && failure_at_end_) SetFailure(*failure_at_end_);
    return n;
  }
  bool Open(std::string_view) override { return true; }

 private:
  std::string bytes_;
  size_t offset_ = 0;
  std::optional<std::string> failure_at_end_;
};

}  // namespace velmora::testing
