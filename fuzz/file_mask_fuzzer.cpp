// The file-mask matcher with mask and text both fuzzed (mask, then a newline, then the text),
// checked against a plain dynamic-programming matcher wherever that one is cheap enough.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/ascii.h"
#include "fuzz/fuzz_input.h"
#include "platform/file_mask.h"

namespace {

// matched[j]: the mask so far matches the first j characters of the text.
bool ReferenceMatch(std::string_view mask, std::string_view text) {
  std::vector<char> matched(text.size() + 1, 0);
  matched[0] = 1;
  for (const char m : mask) {
    std::vector<char> next(text.size() + 1, 0);
    for (size_t j = 0; j <= text.size(); ++j) {
      if (m == '*') {
        next[j] = matched[j] || (j > 0 && next[j - 1]);
      } else if (j > 0 && matched[j - 1]) {
        next[j] = m == '?' || velmora::AsciiLower(m) == velmora::AsciiLower(text[j - 1]);
      }
    }
    matched.swap(next);
  }
  return matched[text.size()] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto [mask, text] = velmora::fuzz::SplitAt(velmora::fuzz::AsText(data, size), '\n');
  const bool matched = velmora::MatchFileMask(mask, text);
  if (mask.size() * text.size() <= 100'000 && matched != ReferenceMatch(mask, text)) std::abort();
  return 0;
}
