// Format detection: which format fits the first lines of a log file. Up to 200 lines are read;
// a "#Fields:" directive anywhere in them means W3C Extended at once. Otherwise every line is
// tried against the stored format string (the last format detected in the workspace) and the 21
// candidates; a format wins when it fails at most one line in eight (at least one failure is
// always tolerated, but a format must match at least one line). The stored format wins over
// every candidate, and an earlier candidate over a later one. A file without lines gives the
// stored format back, even an empty one.
//
// Over a stored log file (DetectLogFormat) a reader that stopped with a failure before handing out
// a single byte gives that failure instead: there was nothing to detect from. A reader that fails
// later, inside a truncated archive say, is judged by the lines before the damage, as a parse run
// reads them.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "core/result.h"
#include "parsing/formats/format_candidates.h"
#include "parsing/formats/format_compiler.h"
#include "parsing/formats/log_format.h"
#include "parsing/readers/line_reader.h"
#include "parsing/readers/log_reader.h"
#include "parsing/records/log_record.h"

namespace velmora {

inline constexpr int kDetectionLineBudget = 200;

// The detection's counters, fed one line at a time so that it runs over any line source.
class FormatDetector {
 public:
  explicit FormatDetector(std::string_view stored_format);
  ~FormatDetector();

  // Takes the next line; false when no more lines are wanted (W3C found, or the budget is spent).
  bool AddLine(std::string_view line);

  // Nothing (no format fits), W3C Extended, the stored format or a candidate.
  std::optional<LogFormat> Result() const;

  int lines_sampled() const { return kDetectionLineBudget - budget_; }

 private:
  CompiledFormat stored_;
  std::unique_ptr<LogRecord> scratch_;  // reset, not rebuilt, before each attempt
  int budget_ = kDetectionLineBudget;
  bool w3c_ = false;
  int stored_matches_ = 0;
  std::array<int, kFormatCandidateCount> candidate_matches_{};
};

// Runs the detection over `source` (a LogReader at the start of a file, or any source with
// `int GetChar()`). The source is consumed; parse from a fresh one.
template <class Source>
std::optional<LogFormat> DetectFormat(Source& source, std::string_view stored_format) {
  FormatDetector detector(stored_format);
  auto line = std::make_unique<LineBuffer>();
  while (ReadLine(source, *line) && detector.AddLine(line->view())) {
  }
  return detector.Result();
}

// DetectFormat over `reader` at the start of a stored log file; the error's message is the
// reader's failure when nothing could be read (its code is 0).
Result<std::optional<LogFormat>> DetectLogFormat(LogReader& reader, std::string_view stored_format);

}  // namespace velmora
