// Matching one log line against a compiled custom format. This is both the test of format
// detection and the line parser of custom-format files.
//
// The match is a single left-to-right pass without backtracking: a field takes characters up to
// its terminator (never giving any back), checks its width and accepted values, and writes the
// record field it names as soon as it has read it. A failed match can therefore leave some
// fields written; callers reset the record before each attempt. Nothing is kept between lines.
#pragma once

#include <string_view>

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/named_layouts.h"
#include "parsing/records/log_record.h"

namespace velmora {

// How the record's texts hold what they were matched to: copies, or borrowed views into `line`
// (LogText::borrow), for a caller that is done with the record before `line` changes.
enum class MatchedTexts { kCopied, kBorrowed };

// True when the whole line matches the whole pattern of `format`.
bool MatchPattern(std::string_view line, LogRecord& record, const CompiledFormat& format,
                  MatchedTexts texts = MatchedTexts::kCopied);

// True when the whole line matches the whole format: its pattern, or the parser of the layout a
// "%{name}" format names (which copies its texts). The test sits here, apart from the pattern's
// loop, whose code the layouts that most logs are in run through for every field.
inline bool MatchLine(std::string_view line, LogRecord& record, const CompiledFormat& format,
                      MatchedTexts texts = MatchedTexts::kCopied) {
  if (format.named() != nullptr) [[unlikely]] {
    return format.named()->parse(line, record);
  }
  return MatchPattern(line, record, format, texts);
}

// One-off convenience: compiles `format` and matches. Loops must compile once instead.
bool MatchLine(std::string_view line, LogRecord& record, std::string_view format);

}  // namespace velmora
