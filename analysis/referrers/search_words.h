// Cutting a search phrase into the words that search reports count. Word characters are '_',
// '`', 'a' to 'z', '.', '/', '0' to '9', ':', '@', 'A' to 'Z' and every byte of 128 or more;
// every other byte separates words. A word counts when it has at least 3 characters and, if it
// is made of digits and dots only, at least 2 dots (so 2002 and 3.5 are dropped, 1.2.3 counts).
// Case is kept: Apple and apple are two words.
#pragma once

#include <string_view>
#include <vector>

namespace velmora {

// At most this many words are taken from one phrase; the rest is ignored.
inline constexpr size_t kMaxSearchWords = 255;

// The counted words of `phrase` in the order they appear, repeats kept; views into `phrase`.
std::vector<std::string_view> SplitSearchWords(std::string_view phrase);

}  // namespace velmora
