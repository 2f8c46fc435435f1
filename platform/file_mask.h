// File masks as resource rules and filters write them: "*" matches any run of characters
// (including "/"), "?" exactly one, everything else itself ignoring ASCII case. A mask matches
// the whole text, not a part of it.
#pragma once

#include <string_view>

namespace velmora {

bool MatchFileMask(std::string_view mask, std::string_view text);

}  // namespace velmora
