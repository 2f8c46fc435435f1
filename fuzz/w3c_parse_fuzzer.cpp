// ParseW3C over a whole file held in memory, with record completion under the default options.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "parsing/lines/parse_sink.h"
#include "parsing/lines/w3c_parser.h"
#include "parsing/readers/string_log_reader_for_tests.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::testing::StringLogReader reader(velmora::fuzz::AsText(data, size));
  velmora::ParseOptions options;
  velmora::ParseSink sink;
  velmora::ParseW3C(reader, options, sink);
  return 0;
}
