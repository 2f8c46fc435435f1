#include "analysis/referrers/search_engine_table.h"

#include <functional>
#include <string>
#include <vector>

namespace velmora {

int EngineCount() { return static_cast<int>(SearchEngineRows().size()); }

std::string_view EngineName(int row) {
  if (row <= 0 || row >= EngineCount()) return {};
  return SearchEngineRows()[static_cast<size_t>(row)].name;
}

namespace {

// The first row one of whose hosts is part of `domain`; 0 for none.
int ScanEnginesForDomain(std::string_view domain) {
  const std::span<const SearchEngineRow> rows = SearchEngineRows();
  for (size_t row = 1; row < rows.size(); ++row) {
    for (std::string_view host : rows[row].hosts) {
      if (host.empty()) break;
      if (domain.find(host) != std::string_view::npos) return static_cast<int>(row);
    }
  }
  return 0;
}

}  // namespace

int FindEngineByDomain(std::string_view domain) {
  // A site's referrers come from a few thousand domains: the answer for the last domain of each
  // slot is kept (per thread, so that nothing is shared).
  constexpr size_t kSlots = 8192;  // a power of two
  constexpr size_t kLongestRemembered = 96;
  struct Slot {
    std::string domain;
    int row = -1;
  };
  if (domain.size() > kLongestRemembered) return ScanEnginesForDomain(domain);
  thread_local std::vector<Slot> memo(kSlots);
  Slot& slot = memo[std::hash<std::string_view>{}(domain) & (kSlots - 1)];
  if (slot.row < 0 || slot.domain != domain) {
    slot.row = ScanEnginesForDomain(domain);
    slot.domain.assign(domain);
  }
  return slot.row;
}

}  // namespace velmora
