// The per-visit lists worked out from a visit's whole sequence of numbers at once, independently
// of the step-by-step updates, for tests to compare against. Each result starts with its count.
#pragma once

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "analysis/visit_lists/visit_list_update.h"

namespace velmora::testing {

inline std::vector<int32_t> WithCount(std::vector<int32_t> entries) {
  entries.insert(entries.begin(), static_cast<int32_t>(entries.size()));
  return entries;
}

inline std::vector<int32_t> SetListOf(const std::vector<int32_t>& numbers) {
  const std::set<int32_t> distinct(numbers.begin(), numbers.end());
  return WithCount({distinct.begin(), distinct.end()});
}

inline std::vector<int32_t> FullPathOf(const std::vector<int32_t>& pages) {
  std::vector<int32_t> path;
  for (int32_t page : pages) {
    if (path.empty() || path.back() != page) path.push_back(page);
  }
  return WithCount(path);
}

// Entry page, the other pages seen except entry and exit in ascending order, exit page; a path
// that never left its first page holds it once.
inline std::vector<int32_t> SummaryOf(const std::vector<int32_t>& pages) {
  const int32_t entry = pages.front();
  const int32_t exit = pages.back();
  if (std::all_of(pages.begin(), pages.end(), [&](int32_t p) { return p == entry; })) {
    return WithCount({entry});
  }
  std::set<int32_t> middle(pages.begin(), pages.end());
  middle.erase(entry);
  middle.erase(exit);
  std::vector<int32_t> list{entry};
  list.insert(list.end(), middle.begin(), middle.end());
  list.push_back(exit);
  return WithCount(list);
}

inline std::vector<int32_t> ModelListOf(VisitListKind kind, const std::vector<int32_t>& numbers) {
  switch (kind) {
    case VisitListKind::kFullPathPages:
      return FullPathOf(numbers);
    case VisitListKind::kSummaryPages:
      return SummaryOf(numbers);
    default:
      return SetListOf(numbers);
  }
}

}  // namespace velmora::testing
