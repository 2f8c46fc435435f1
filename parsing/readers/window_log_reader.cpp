#include "parsing/readers/window_log_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velmora {

WindowLogReader::WindowLogReader(std::unique_ptr<LogReader> inner, uint64_t start, uint64_t end,
                                 std::string preamble)
    : LogReader(64 * 1024),
      inner_(std::move(inner)),
      start_(start),
      end_(std::max(start, end)),
      preamble_(std::move(preamble)) {}

size_t WindowLogReader::ReadBlock(std::span<uint8_t> out) {
  if (preamble_sent_ < preamble_.size()) {
    const size_t n = std::min(out.size(), preamble_.size() - preamble_sent_);
    std::memcpy(out.data(), preamble_.data() + preamble_sent_, n);
    preamble_sent_ += n;
    return n;
  }
  if (!skipped_) {
    skipped_ = true;
    while (inner_->delivered() < start_ && inner_->GetChar() != -1) {
      const uint64_t left = start_ - inner_->delivered();
      inner_->Skip(static_cast<size_t>(std::min<uint64_t>(left, inner_->Buffered().size())));
    }
  }
  size_t n = 0;
  while (n < out.size() && inner_->delivered() < end_) {
    const int c = inner_->GetChar();
    if (c == -1) break;
    out[n++] = static_cast<uint8_t>(c);
    const std::span<const char8_t> more = inner_->Buffered();
    const size_t take = static_cast<size_t>(
        std::min<uint64_t>({more.size(), out.size() - n, end_ - inner_->delivered()}));
    std::memcpy(out.data() + n, more.data(), take);
    inner_->Skip(take);
    n += take;
  }
  if (n == 0 && inner_->failure()) SetFailure(*inner_->failure());
  return n;
}

uint64_t WindowLogReader::content_delivered() const {
  const uint64_t handed = delivered();
  const uint64_t preamble = std::min<uint64_t>(handed, preamble_.size());
  return start_ + (handed - preamble);
}

std::string FieldsLineBefore(LogReader& reader, uint64_t end) {
  constexpr std::string_view kFields = "#Fields:";
  // Longer than any column list; a hostile line is not kept whole.
  constexpr size_t kLongestKept = 64 * 1024;
  std::string last;
  std::string line;
  bool at_line_start = true;
  bool keeping = false;
  while (reader.delivered() < end) {
    const int c = reader.GetChar();
    if (c == -1) break;
    if (at_line_start) {
      line.clear();
      keeping = true;
    }
    if (keeping) {
      line.push_back(static_cast<char>(c));
      if ((line.size() <= kFields.size() && line != kFields.substr(0, line.size())) ||
          line.size() > kLongestKept) {
        keeping = false;
      }
    }
    at_line_start = c == '\n';
    if (at_line_start && keeping && line.size() > kFields.size()) last = line;
  }
  return last;
}

}  // namespace velmora
