#include "parsing/lines/line_inspection.h"

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_detection.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/readers/log_reader.h"
#include "parsing/records/record_time.h"

namespace velmora {

LineInspection InspectLine(std::string_view line, std::string_view format_string,
                           const ParseOptions& options) {
  LineInspection out;
  out.record = std::make_unique<LogRecord>();
  out.matched = MatchLine(line, *out.record, CompiledFormat::Compile(format_string));
  if (out.matched) {
    TimeFromCalendar(*out.record);
    out.analysed = CompleteRecord(options, *out.record);
  }
  return out;
}

Result<std::optional<LogFormat>> DetectFileFormat(std::string_view path,
                                                  std::string_view stored_format) {
  const std::unique_ptr<LogReader> reader = OpenLogReader(path);
  return DetectLogFormat(*reader, stored_format);
}

Result<DetectedLayout> DetectFileLayout(std::string_view path, std::string_view stored_format) {
  const std::unique_ptr<LogReader> reader = OpenLogReader(path);
  return DetectLogLayout(*reader, stored_format);
}

}  // namespace velmora
