// The custom formats that format detection tries, in the order it tries them. The order is part
// of the behaviour: among formats that fit a file the earlier one wins, so the more specific
// layouts come first. Entries 5 and 6 repeat 2 and 3 on purpose; the numbering is kept.
#pragma once

#include <span>
#include <string_view>

namespace velmora {

inline constexpr int kFormatCandidateCount = 21;

// Candidate i (1..21) is element i - 1.
std::span<const std::string_view> FormatCandidates();

}  // namespace velmora
