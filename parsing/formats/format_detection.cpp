#include "parsing/formats/format_detection.h"

#include <algorithm>

#include "parsing/formats/format_matcher.h"
#include "parsing/formats/layout_names.h"
#include "parsing/formats/lenient_forms.h"

namespace velmora {
namespace {

// The candidates compiled once for the life of the program.
const std::array<CompiledFormat, kFormatCandidateCount>& CompiledCandidates() {
  static const std::array<CompiledFormat, kFormatCandidateCount> compiled = [] {
    std::array<CompiledFormat, kFormatCandidateCount> formats;
    for (int i = 0; i < kFormatCandidateCount; ++i) {
      formats[i] = CompiledFormat::Compile(FormatCandidates()[i]);
    }
    return formats;
  }();
  return compiled;
}

}  // namespace

FormatDetector::FormatDetector(std::string_view stored_format)
    : stored_(CompiledFormat::Compile(stored_format)), scratch_(std::make_unique<LogRecord>()) {}

FormatDetector::~FormatDetector() = default;

bool FormatDetector::AddLine(std::string_view line, bool truncated) {
  if (w3c_ || budget_ <= 0) return false;
  --budget_;
  if (line.find("#Fields:") != std::string_view::npos) {
    w3c_ = true;
    w3c_fields_ = line;
    return false;
  }
  if (IsCommentOrBlankLine(line)) {
    ++passed_over_;
    return budget_ > 0;
  }
  if (truncated) return budget_ > 0;
  const auto count = [&](int slot, const CompiledFormat& format) {
    scratch_->Reset();
    if (!MatchLine(line, *scratch_, format)) return;
    if (matches_[slot]++ == 0) first_match_[slot] = line;
  };
  count(0, stored_);
  const auto& candidates = CompiledCandidates();
  for (int i = 0; i < kFormatCandidateCount; ++i) count(i + 1, candidates[i]);
  return budget_ > 0;
}

int FormatDetector::Winner() const {
  const int sampled = lines_sampled() - passed_over_;
  const int tolerance = std::max(sampled / 8, 1);
  // The tolerance of one failure would let a format that matched nothing win a one-line file
  // (an empty stored format, say); a format must match at least one of the lines it was shown.
  const auto qualifies = [&](int matches) {
    return sampled - matches <= tolerance && (lines_sampled() == 0 || matches > 0);
  };
  for (int slot = 0; slot <= kFormatCandidateCount; ++slot) {
    if (qualifies(matches_[slot])) return slot;
  }
  return -1;
}

std::optional<LogFormat> FormatDetector::Result() const {
  if (w3c_) return LogFormat::W3cExtended();
  const int winner = Winner();
  if (winner < 0) return std::nullopt;
  if (winner == 0) return LogFormat::Custom(stored_.text());
  return LogFormat::Custom(FormatCandidates()[winner - 1]);
}

std::string FormatDetector::Layout() const {
  if (w3c_) return W3cLayoutName(w3c_fields_);
  const int winner = Winner();
  if (winner < 0) return {};
  const std::string_view format =
      winner == 0 ? std::string_view(stored_.text()) : FormatCandidates()[winner - 1];
  return LayoutName(format, first_match_[winner]);
}

Result<std::optional<LogFormat>> DetectLogFormat(LogReader& reader,
                                                 std::string_view stored_format) {
  Result<DetectedLayout> detected = DetectLogLayout(reader, stored_format);
  if (!detected.ok()) return detected.error();
  return std::move(detected.value().format);
}

Result<DetectedLayout> DetectLogLayout(LogReader& reader, std::string_view stored_format) {
  FormatDetector detector(stored_format);
  ReadInto(reader, detector);
  if (reader.failure() && reader.delivered() == 0) return Error{0, *reader.failure()};
  return DetectedLayout{detector.Result(), detector.Layout()};
}

}  // namespace velmora
