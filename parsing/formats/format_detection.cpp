#include "parsing/formats/format_detection.h"

#include <algorithm>

#include "parsing/formats/format_matcher.h"

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

bool FormatDetector::AddLine(std::string_view line) {
  if (w3c_ || budget_ <= 0) return false;
  --budget_;
  if (line.find("#Fields:") != std::string_view::npos) {
    w3c_ = true;
    return false;
  }
  scratch_->Reset();
  if (MatchLine(line, *scratch_, stored_)) ++stored_matches_;
  const auto& candidates = CompiledCandidates();
  for (int i = 0; i < kFormatCandidateCount; ++i) {
    scratch_->Reset();
    if (MatchLine(line, *scratch_, candidates[i])) ++candidate_matches_[i];
  }
  return budget_ > 0;
}

std::optional<LogFormat> FormatDetector::Result() const {
  if (w3c_) return LogFormat::W3cExtended();
  const int sampled = lines_sampled();
  const int tolerance = std::max(sampled / 8, 1);
  // The tolerance of one failure would let a format that matched nothing win a one-line file
  // (an empty stored format, say); a format must match at least one of the lines it was shown.
  const auto qualifies = [&](int matches) {
    return sampled - matches <= tolerance && (sampled == 0 || matches > 0);
  };
  if (qualifies(stored_matches_)) return LogFormat::Custom(stored_.text());
  for (int i = 0; i < kFormatCandidateCount; ++i) {
    if (qualifies(candidate_matches_[i])) return LogFormat::Custom(FormatCandidates()[i]);
  }
  return std::nullopt;
}

Result<std::optional<LogFormat>> DetectLogFormat(LogReader& reader,
                                                 std::string_view stored_format) {
  std::optional<LogFormat> format = DetectFormat(reader, stored_format);
  if (reader.failure() && reader.delivered() == 0) return Error{0, *reader.failure()};
  return format;
}

}  // namespace velmora
