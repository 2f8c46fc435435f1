#include "parsing/lines/custom_parser.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/formats/lenient_forms.h"
#include "parsing/lines/w3c_parser.h"
#include "parsing/readers/line_reader.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

constexpr int64_t kProgressEveryLines = 128;

// The line against the format, then against its lenient forms.
bool MatchAnyForm(std::string_view line, LogRecord& record, const CompiledFormat& format,
                  const std::vector<CompiledFormat>& lenient) {
  if (MatchLine(line, record, format, MatchedTexts::kBorrowed)) return true;
  for (const CompiledFormat& form : lenient) {
    record.Reset();
    if (MatchLine(line, record, form, MatchedTexts::kBorrowed)) return true;
  }
  return false;
}

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
  const std::vector<CompiledFormat> lenient = LenientForms(format.format_string());
  // One record and one line buffer for the whole file; both are large, so not on the stack.
  auto record = std::make_unique<LogRecord>();
  auto line = std::make_unique<LineBuffer>();
  int64_t lines = 0;
  CustomErrorTally errors;
  bool told_of_long_line = false;

  while (ReadLine(reader, *line)) {
    ++lines;
    if (lines % kProgressEveryLines == 0) {
      sink.SetFileProgress(reader.FileProgress());
      if (!sink.KeepGoing()) return false;
    }
    record->Reset();
    const std::string_view text = line->view();
    if (line->truncated()) {
      // Its end is lost, so whatever its start matched would be a guess: one error, said once.
      if (!told_of_long_line) {
        told_of_long_line = true;
        sink.WriteLog("ERROR: Line " + std::to_string(lines) + " is longer than " +
                      std::to_string(kMaxLineLength) + " characters; such lines are errors\r\n");
      }
      if (errors.CountError(lines)) sink.WriteLog(kTooManyErrorsWarning);
      continue;
    }
    // The record is done with (handed on or analysed) before the next line is read.
    if (MatchAnyForm(text, *record, compiled, lenient)) {
      TimeFromCalendar(*record);
      const bool analysed = CompleteRecord(options, *record);
      sink.ProcessRecord(*record, analysed);
    } else if (IsCommentOrBlankLine(text) || compiled.IsHeaderLine(text)) {
      continue;  // not a request, and no error either
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
