// ParseCustom: reads one log file with a custom format string, line by line, and hands every
// record that matches to the analysis. Lines that do not match are errors: counted, never logged
// one by one, and reported in runs by the warning "ERROR: Too many errors in log file"; the file
// is still read to its end. Given the W3C Extended format it hands over to ParseW3C.
#pragma once

#include "parsing/formats/log_format.h"
#include "parsing/lines/parse_sink.h"
#include "parsing/readers/log_reader.h"
#include "parsing/records/record_completion.h"

namespace velmora {

// The warning about a run of unmatched lines, as the parse log shows it.
inline constexpr std::string_view kTooManyErrorsWarning = "ERROR: Too many errors in log file\r\n";

// Reads `reader` to its end. True when the file was read to its end (always, for a custom
// format; ParseW3C's result for W3C Extended).
bool ParseCustom(LogReader& reader, const LogFormat& format, const ParseOptions& options,
                 ParseSink& sink);

// The error counting of ParseCustom, apart so that its tolerance can be tested line by line.
class CustomErrorTally {
 public:
  // Counts one unmatched line as the `line_count`-th line of the file; true when the errors since
  // the last warning have just exceeded the tolerance (the caller writes the warning).
  bool CountError(int64_t line_count);
  int64_t total() const { return accumulated_ + since_warning_; }

 private:
  int64_t since_warning_ = 0;
  int64_t accumulated_ = 0;
};

}  // namespace velmora
