// The custom format compiler and MatchLine, with the format and the line both taken from the
// input (format, then a newline, then the line; the line may hold any byte).
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "parsing/format_compiler.h"
#include "parsing/format_matcher.h"
#include "parsing/log_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto [format, line] = velmora::fuzz::SplitAt(velmora::fuzz::AsText(data, size), '\n');
  const velmora::CompiledFormat compiled = velmora::CompiledFormat::Compile(format);
  velmora::LogRecord record;
  velmora::MatchLine(line, record, compiled);
  // A record is reused from line to line: the second match must not depend on the first.
  velmora::MatchLine(format, record, compiled);
  return 0;
}
