// parsing.log: the plain-text account of the last parse run, in the workspace folder. Each run
// replaces it. Lines end in "\r\n"; times are real UTC times, the only place that shows them.
//
// ParseLogFile writes through to the file at once, so that a reader (the `log` command, a crash)
// sees everything written so far. A log that cannot be created swallows what is written: the run
// goes on without it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/tick_time.h"

namespace velmora {

class ParseLogFile {
 public:
  ParseLogFile() = default;
  ~ParseLogFile() { Close(); }
  ParseLogFile(const ParseLogFile&) = delete;
  ParseLogFile& operator=(const ParseLogFile&) = delete;

  // Creates (or truncates) the file; false when it cannot be created.
  bool Create(const std::string& path);
  void Write(std::string_view text);
  void Close();
  bool is_open() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
};

// "09:05:03.042 January 7, 2002 UTC": each of hour, minute and second as two digits, the
// milliseconds as three, then the month name, the day and the year.
std::string FormatParseLogTime(Ticks utc);

// The figures of a run's closing block.
struct RunSummaryFigures {
  int64_t total_lines = 0;
  int64_t total_errors = 0;
  int64_t run_time_ms = 0;
  int64_t new_files = 0;  // all new files, also when the run was cancelled part-way
};

// "\r\n------------------------------\r\nTotal lines processed: ..." through the blank line that
// ends the block. Averages use integer division; a run time of 0 gives 0 lines per second.
std::string FormatRunSummary(const RunSummaryFigures& figures);

}  // namespace velmora
