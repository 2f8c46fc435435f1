#include "platform/file_mask.h"

#include <cstddef>

#include "core/ascii.h"

namespace velmora {

// Greedy matching with one backtrack point: on a mismatch, the most recent '*' takes one more
// character and matching resumes behind it. Earlier stars never need revisiting, because any
// match they would allow the latest star allows too, so the cost stays O(mask * text) at worst
// and masks such as "*a*a*a*b" cannot blow up.
std::optional<std::string_view> StarMaskEnding(std::string_view mask) {
  // A lone star is the empty ending: the catch-all last rule of most rule lists is then a length
  // test, not a walk.
  if (!mask.empty() && mask[0] == '*' && mask.find_first_of("*?", 1) == std::string_view::npos) {
    return mask.substr(1);
  }
  return std::nullopt;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         AsciiEqualsIgnoreCase(text.substr(text.size() - ending.size()), ending);
}

bool MatchFileMask(std::string_view mask, std::string_view text) {
  // A star and an ending: a suffix test, with no walk.
  if (const std::optional<std::string_view> ending = StarMaskEnding(mask)) {
    return EndsWithIgnoringCase(text, *ending);
  }
  size_t m = 0;
  size_t t = 0;
  size_t star = std::string_view::npos;  // position of the last '*' seen in the mask
  size_t star_text = 0;                  // where the text stood when that star was taken
  while (t < text.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      star_text = t;
    } else if (m < mask.size() && (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(text[t]))) {
      ++m;
      ++t;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      t = ++star_text;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace velmora
