// The custom formats that format detection tries, in the order it tries them, each with the name
// of the layout it reads. The order is part of the behaviour: among formats that fit a file the
// earlier one wins, so the more specific layouts come first. Entries 5 and 6 repeat 2 and 3 on
// purpose; the numbering is kept. The layouts added later (extra trailing fields, virtual hosts,
// the cloud and proxy logs) come after the first 21, so a file those took is still taken by them.
#pragma once

#include <span>
#include <string_view>

namespace velmora {

inline constexpr int kFormatCandidateCount = 32;

struct FormatCandidate {
  std::string_view format;
  std::string_view layout;  // what the command line names it, "NCSA combined"
};

// Candidate i (1..kFormatCandidateCount) is element i - 1.
std::span<const FormatCandidate> FormatCandidateTable();
// The candidates' format strings alone, in the same order.
std::span<const std::string_view> FormatCandidates();

}  // namespace velmora
