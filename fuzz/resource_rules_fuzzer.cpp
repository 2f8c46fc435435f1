// The compiled resource rules with masks and URL both fuzzed (one mask per line, the URL on the
// last line), checked against trying every piece of every mask in order with a plain
// dynamic-programming matcher: the compiled rules skip the masks a URL's last character rules
// out, and must still give the class of the first mask that matches.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "analysis/rules/resource_rules.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest = velmora::fuzz::AsText(data, size);
  std::vector<velmora::ResourceMask> masks;
  while (rest.find('\n') != std::string_view::npos && masks.size() < 64) {
    const auto [mask, after] = velmora::fuzz::SplitAt(rest, '\n');
    masks.push_back({std::string(mask), static_cast<uint32_t>(masks.size() + 1), 0});
    rest = after;
  }
  const std::string_view url = rest;
  size_t mask_bytes = 0;
  for (const velmora::ResourceMask& m : masks) mask_bytes += m.mask.size();
  if (mask_bytes * (url.size() + 1) > 200'000) return 0;  // the reference is quadratic

  uint32_t expected = velmora::kUnmatchedRequestClass;
  for (const velmora::ResourceMask& m : masks) {
    bool any = false;
    for (const std::string_view piece : velmora::SplitMaskText(m.mask)) {
      any = any || velmora::fuzz::ReferenceMaskMatch(piece, url);
    }
    if (any) {
      expected = m.request_class;
      break;
    }
  }
  if (velmora::CompiledResourceRules(masks).ClassOf(url) != expected) std::abort();
  return 0;
}
