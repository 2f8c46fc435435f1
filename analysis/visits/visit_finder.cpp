#include "analysis/visits/visit_finder.h"

#include <algorithm>

#include "analysis/visits/address_key.h"

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

bool VisitFinder::Build(const RecordTable<SessionRecord>& sessions, const TableFile& by_last,
                        Ticks first) {
  groups_.clear();
  newest_ = first;
  horizon_ = first > 2 * timeout_ ? first - 2 * timeout_ : 0;
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
    if (last >= horizon_) {
      groups_[GroupOf(visit.visitor_address)].push_back({last, static_cast<uint64_t>(p), n});
    }
  }
  next_stamp_ = static_cast<uint64_t>(count);
  return true;
}

void VisitFinder::Place(int32_t visit, uint32_t address, std::optional<Ticks> previous,
                        Ticks last) {
  if (previous && *previous >= horizon_) {
    std::vector<Entry>& entries = groups_[GroupOf(address)];
    auto first = std::lower_bound(entries.begin(), entries.end(), *previous,
                                  [](const Entry& e, Ticks t) { return e.last < t; });
    for (auto it = first; it != entries.end() && it->last == *previous; ++it) {
      if (it->visit == visit) {
        entries.erase(it);
        break;
      }
    }
  }
  const uint64_t stamp = next_stamp_++;
  if (last >= horizon_) {
    std::vector<Entry>& entries = groups_[GroupOf(address)];
    // The highest stamp yet: after every entry of an equal time.
    const auto at = std::upper_bound(entries.begin(), entries.end(), last,
                                     [](Ticks t, const Entry& e) { return t < e.last; });
    entries.insert(at, Entry{last, stamp, visit});
  }
  if (last > newest_) {
    newest_ = last;
    if (newest_ - horizon_ > 2 * timeout_ + kTicksPerDay) Advance();
  }
}

void VisitFinder::Advance() {
  horizon_ = newest_ - 2 * timeout_;
  for (auto group = groups_.begin(); group != groups_.end();) {
    std::vector<Entry>& entries = group->second;
    const auto kept = std::lower_bound(entries.begin(), entries.end(), horizon_,
                                       [](const Entry& e, Ticks t) { return e.last < t; });
    entries.erase(entries.begin(), kept);
    if (entries.empty()) {
      group = groups_.erase(group);
    } else {
      if (entries.capacity() > 2 * entries.size() + 8) entries.shrink_to_fit();
      ++group;
    }
  }
}

}  // namespace velmora
