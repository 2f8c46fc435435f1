// The file-mask matcher with mask and text both fuzzed (mask, then a newline, then the text).
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"
#include "platform/file_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto [mask, text] = velmora::fuzz::SplitAt(velmora::fuzz::AsText(data, size), '\n');
  (void)velmora::MatchFileMask(mask, text);
  return 0;
}
