#include "analysis/visit_finder.h"

#include <algorithm>

#include "analysis/address_key.h"

namespace velmora {

uint32_t VisitFinder::GroupOf(uint32_t address) const {
  return by_network_ ? VisitNetwork(address) : address;
}

size_t VisitFinder::UpperEnd(const std::vector<Entry>& entries, Ticks upper) {
  // Requests come nearly in time order, so the answer is nearly always the end.
  if (entries.empty() || entries.back().last < upper) return entries.size();
  const auto end = std::lower_bound(entries.begin(), entries.end(), upper,
                                    [](const Entry& e, Ticks t) { return e.last < t; });
  return static_cast<size_t>(end - entries.begin());
}

bool VisitFinder::Build(const RecordTable<SessionRecord>& sessions, const TableFile& by_last) {
  groups_.clear();
  const int32_t count = by_last.Count();
  std::vector<bool> seen(static_cast<size_t>(std::max(sessions.Count(), 0)));
  Ticks previous = 0;
  for (int32_t p = 0; p < count; ++p) {
    const auto n = static_cast<int32_t>(by_last.Entry(p));
    if (!sessions.Has(n) || seen[static_cast<size_t>(n)]) return false;
    seen[static_cast<size_t>(n)] = true;
    const SessionRecord visit = sessions.Get(n);
    const Ticks last = visit.last_request_time.value();
    if (last < previous) return false;
    previous = last;
    groups_[GroupOf(visit.visitor_address)].push_back({last, static_cast<uint64_t>(p), n});
  }
  next_stamp_ = static_cast<uint64_t>(count);
  return true;
}

void VisitFinder::Place(int32_t visit, uint32_t address, std::optional<Ticks> previous,
                        Ticks last) {
  std::vector<Entry>& entries = groups_[GroupOf(address)];
  if (previous) {
    auto first = std::lower_bound(entries.begin(), entries.end(), *previous,
                                  [](const Entry& e, Ticks t) { return e.last < t; });
    for (auto it = first; it != entries.end() && it->last == *previous; ++it) {
      if (it->visit == visit) {
        entries.erase(it);
        break;
      }
    }
  }
  // The highest stamp yet: after every entry of an equal time.
  const auto at = std::upper_bound(entries.begin(), entries.end(), last,
                                   [](Ticks t, const Entry& e) { return t < e.last; });
  entries.insert(at, Entry{last, next_stamp_++, visit});
}

}  // namespace velmora
