// The custom format compiler and MatchLine, with the format and the line both taken from the
// input (format, then a newline, then the line; the line may hold any byte). Matching with the
// texts borrowed from the line must give what matching with copies gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "fuzz/fuzz_input.h"
#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/records/log_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto [format, line] = velmora::fuzz::SplitAt(velmora::fuzz::AsText(data, size), '\n');
  const velmora::CompiledFormat compiled = velmora::CompiledFormat::Compile(format);
  velmora::LogRecord record;
  const bool matched = velmora::MatchLine(line, record, compiled);
  velmora::LogRecord borrowed;
  if (velmora::MatchLine(line, borrowed, compiled, velmora::MatchedTexts::kBorrowed) != matched) {
    std::abort();
  }
  const auto copied_texts = std::as_const(record).Texts();
  const auto borrowed_texts = std::as_const(borrowed).Texts();
  for (size_t i = 0; i < copied_texts.size(); ++i) {
    if (copied_texts[i]->view() != borrowed_texts[i]->view()) std::abort();
  }
  if (record.status != borrowed.status || record.bytes_sent != borrowed.bytes_sent ||
      !(record.calendar_time == borrowed.calendar_time) ||
      record.time_taken != borrowed.time_taken) {
    std::abort();
  }
  // A record is reused from line to line: the second match must not depend on the first.
  velmora::MatchLine(format, record, compiled);
  return 0;
}
