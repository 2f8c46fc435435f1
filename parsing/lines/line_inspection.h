// What the command line's "inspect line" and "inspect detect" show: one line read with a custom
// format and completed as a parse run would, and the format detected for one stored log file.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "core/result.h"
#include "parsing/formats/format_detection.h"
#include "parsing/formats/log_format.h"
#include "parsing/records/log_record.h"
#include "parsing/records/record_completion.h"

namespace velmora {

struct LineInspection {
  bool matched = false;   // the whole line matched the whole format
  bool analysed = false;  // CompleteRecord's answer; false when the line did not match
  // The record after MatchLine and, when it matched, after its time and CompleteRecord. A failed
  // match can leave some fields written.
  std::unique_ptr<LogRecord> record;
};

LineInspection InspectLine(std::string_view line, std::string_view format_string,
                           const ParseOptions& options);

// Detection over the file at `path`, read plain, gzip or bzip2 by its first bytes; a file that
// cannot be read gives the reader's reason as the error (DetectLogFormat).
Result<std::optional<LogFormat>> DetectFileFormat(std::string_view path,
                                                  std::string_view stored_format);
// The same, with the name of the layout found.
Result<DetectedLayout> DetectFileLayout(std::string_view path, std::string_view stored_format);

}  // namespace velmora
