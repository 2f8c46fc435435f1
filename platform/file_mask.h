// File masks as resource rules and filters write them: "*" matches any run of characters
// (including "/"), "?" exactly one, everything else itself ignoring ASCII case. A mask matches
// the whole text, not a part of it.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

bool MatchFileMask(std::string_view mask, std::string_view text);

// For a mask that is a star and then no wildcard ("*.gif", or "*" alone), the ending a text must
// have (".gif", or "" for any text, ignoring case); nullopt for any other mask. Most resource
// masks are of this kind.
std::optional<std::string_view> StarMaskEnding(std::string_view mask);

// Whether `text` ends with `ending`, ignoring ASCII case: MatchFileMask for such a mask.
bool EndsWithIgnoringCase(std::string_view text, std::string_view ending);

}  // namespace velmora
