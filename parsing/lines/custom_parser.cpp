#include "parsing/lines/custom_parser.h"

#include <algorithm>
#include <memory>
#include <string>

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/lines/w3c_parser.h"
#include "parsing/readers/line_reader.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

constexpr int64_t kProgressEveryLines = 128;

}  // namespace

bool CustomErrorTally::CountError(int64_t line_count) {
  ++since_warning_;
  // Half the lines read so far, but never fewer than 200: a short damaged stretch at the start
  // of a file does not warn at once.
  const int64_t tolerance = std::max<int64_t>(line_count / 2 + 1, 200);
  if (since_warning_ <= tolerance) return false;
  accumulated_ += since_warning_;
  since_warning_ = 0;
  return true;
}

bool ParseCustom(LogReader& reader, const LogFormat& format, const ParseOptions& options,
                 ParseSink& sink) {
  if (format.is_w3c()) return ParseW3C(reader, options, sink);

  sink.WriteLog("Log file format: ");
  sink.WriteLog(format.format_string());
  sink.WriteLog("\r\n");
  sink.StartFileProgress();

  const CompiledFormat compiled = CompiledFormat::Compile(format.format_string());
  // One record and one line buffer for the whole file; both are large, so not on the stack.
  auto record = std::make_unique<LogRecord>();
  auto line = std::make_unique<LineBuffer>();
  int64_t lines = 0;
  CustomErrorTally errors;

  while (ReadLine(reader, *line)) {
    ++lines;
    if (lines % kProgressEveryLines == 0) {
      sink.SetFileProgress(reader.FileProgress());
      if (!sink.KeepGoing()) return false;
    }
    record->Reset();
    // The record is done with (handed on or analysed) before the next line is read.
    if (MatchLine(line->view(), *record, compiled, MatchedTexts::kBorrowed)) {
      TimeFromCalendar(*record);
      const bool analysed = CompleteRecord(options, *record);
      sink.ProcessRecord(*record, analysed);
    } else if (errors.CountError(lines)) {
      sink.WriteLog(kTooManyErrorsWarning);
    }
  }

  sink.WriteLog("Lines Processed: " + std::to_string(lines) +
                "\r\nErrors: " + std::to_string(errors.total()) + "\r\n\r\n");
  sink.AddRunTotals(lines, errors.total());
  sink.SetFileProgress(kFileProgressRange);
  return true;
}

}  // namespace velmora
