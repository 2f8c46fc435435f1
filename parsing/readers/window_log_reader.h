// WindowLogReader: the part of another reader's bytes from `start` up to `end`, for a log that is
// read on where an earlier run stopped (it has grown since) or whose last line is not written to
// its end yet. A `preamble`, when given, is handed out first: a W3C log read from the middle needs
// the column list of its last "#Fields:" line before `start` (FieldsLineBefore finds it).
//
// delivered() counts the preamble; content_delivered() does not, and is the position in the
// inner reader's content, which is what the next run starts from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "parsing/readers/log_reader.h"

namespace velmora {

class WindowLogReader final : public LogReader {
 public:
  // `inner` is open and primed. `end` is a content position, or UINT64_MAX for the whole rest.
  WindowLogReader(std::unique_ptr<LogReader> inner, uint64_t start, uint64_t end,
                  std::string preamble = {});

  uint32_t ProgressFraction() const override { return inner_->ProgressFraction(); }
  size_t ReadBlock(std::span<uint8_t> out) override;
  bool Open(std::string_view) override { return true; }

  // Where the content handed out so far ends: start plus the content bytes handed out.
  uint64_t content_delivered() const;

 private:
  std::unique_ptr<LogReader> inner_;
  uint64_t start_;
  uint64_t end_;
  std::string preamble_;
  size_t preamble_sent_ = 0;
  bool skipped_ = false;
};

// The last line starting with "#Fields:" (its line end included) in the first `end` bytes of
// `reader`'s content, which it reads; empty when there is none.
std::string FieldsLineBefore(LogReader& reader, uint64_t end);

}  // namespace velmora
