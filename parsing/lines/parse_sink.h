// ParseSink: what the per-file parsers need from the parse run around them - the parse log, the
// per-file progress bar, the run totals, and the analysis that takes each record. The parse
// driver implements it over the run's progress channel (ProgressDialog), parsing.log and the
// request processor; tests and the command line implement only what they look at (every method
// has an empty default).
#pragma once

#include <cstdint>
#include <string_view>

#include "parsing/records/log_record.h"

namespace velmora {

// The per-file bar's range; positions are in 1/10,000 of the file.
inline constexpr int32_t kFileProgressRange = 10'000;

class ParseSink {
 public:
  virtual ~ParseSink() = default;

  // Appends literal text (line breaks included) to the parse log.
  virtual void WriteLog(std::string_view text) { (void)text; }
  // A new file starts: per-file range kFileProgressRange, position 0.
  virtual void StartFileProgress() {}
  // The per-file position, with the rule of ProgressDialog::SetDetail: taken when it is 0 or
  // greater than the current one.
  virtual void SetFileProgress(int64_t position) { (void)position; }
  // Lines and errors of a file read to its end, added to the run's totals.
  virtual void AddRunTotals(int64_t lines, int64_t errors) {
    (void)lines;
    (void)errors;
  }
  // Asked every few hundred lines: false stops the file where it is (the user cancelled, or the
  // tables cannot be written), and the parser returns as for a file not read to its end.
  virtual bool KeepGoing() { return true; }
  // One completed record: the hourly counters take every record, the request processor only
  // those with `analysed` set. The record is reused for the next line once this returns.
  virtual void ProcessRecord(LogRecord& record, bool analysed) {
    (void)record;
    (void)analysed;
  }
};

}  // namespace velmora
