// The file-mask matcher with mask and text both fuzzed (mask, then a newline, then the text),
// checked against a plain dynamic-programming matcher wherever that one is cheap enough.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "platform/file_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto [mask, text] = velmora::fuzz::SplitAt(velmora::fuzz::AsText(data, size), '\n');
  const bool matched = velmora::MatchFileMask(mask, text);
  if (mask.size() * text.size() <= 100'000 &&
      matched != velmora::fuzz::ReferenceMaskMatch(mask, text))
    std::abort();
  return 0;
}
