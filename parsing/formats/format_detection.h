// Format detection: which format fits the first lines of a log file. Up to 200 lines are read;
// a "#Fields:" directive anywhere in them means W3C Extended at once. Otherwise every line is
// tried against the stored format string (the last format detected in the workspace) and the
// candidates; a format wins when it fails at most one line in eight (at least one failure is
// always tolerated, but a format must match at least one line). The stored format wins over
// every candidate, and an earlier candidate over a later one. A file without lines gives the
// stored format back, even an empty one.
//
// Comment lines ("#" first) and lines of blanks alone count against no format: logs carry
// them between their requests, and the parser passes them over. A line cut at the line buffer's
// limit counts against every format, as the parser counts it an error.
//
// Over a stored log file (DetectLogFormat) a reader that stopped with a failure before handing out
// a single byte gives that failure instead: there was nothing to detect from. A reader that fails
// later, inside a truncated archive say, is judged by the lines before the damage, as a parse run
// reads them.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
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
  // `truncated`: the line lost characters beyond the line buffer's limit.
  bool AddLine(std::string_view line, bool truncated = false);

  // Nothing (no format fits), W3C Extended, the stored format or a candidate.
  std::optional<LogFormat> Result() const;
  // The name of the layout Result() chose ("NCSA combined + 1 field"), empty when it chose none.
  std::string Layout() const;

  int lines_sampled() const { return kDetectionLineBudget - budget_; }

 private:
  CompiledFormat stored_;
  std::unique_ptr<LogRecord> scratch_;  // reset, not rebuilt, before each attempt
  // The format Result() chose: -1 none, 0 the stored one, i for candidate i.
  int Winner() const;

  int budget_ = kDetectionLineBudget;
  int passed_over_ = 0;  // comment and blank lines
  bool w3c_ = false;
  std::string w3c_fields_;  // the "#Fields:" line that said W3C Extended
  // Matches of the stored format (element 0) and of candidate i (element i), and the first line
  // each matched, which names the extra fields of a layout that has them.
  std::array<int, kFormatCandidateCount + 1> matches_{};
  std::array<std::string, kFormatCandidateCount + 1> first_match_;
};

// Feeds `detector` the first lines of `source`.
template <class Source>
void ReadInto(Source& source, FormatDetector& detector) {
  auto line = std::make_unique<LineBuffer>();
  while (ReadLine(source, *line) && detector.AddLine(line->view(), line->truncated())) {
  }
}

// Runs the detection over `source` (a LogReader at the start of a file, or any source with
// `int GetChar()`). The source is consumed; parse from a fresh one.
template <class Source>
std::optional<LogFormat> DetectFormat(Source& source, std::string_view stored_format) {
  FormatDetector detector(stored_format);
  ReadInto(source, detector);
  return detector.Result();
}

// DetectFormat over `reader` at the start of a stored log file; the error's message is the
// reader's failure when nothing could be read (its code is 0).
Result<std::optional<LogFormat>> DetectLogFormat(LogReader& reader, std::string_view stored_format);

// The format DetectLogFormat finds with the name of its layout, for a user to read.
struct DetectedLayout {
  std::optional<LogFormat> format;
  std::string layout;  // empty when no format was found
};
Result<DetectedLayout> DetectLogLayout(LogReader& reader, std::string_view stored_format);

}  // namespace velmora
