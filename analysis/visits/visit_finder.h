// VisitFinder: the visits of the Sessions index by last request time, grouped by the client key
// a request must share with its visit (its /16 network or host-name key under advanced visit
// detection, else the key itself).
//
// The plain visit search walks every visit whose last request falls within the session timeout
// of the request, so its cost grows with how many visits are open at once, and on a busy site it
// takes a large share of the analysis. The finder offers only the visits of the request's own
// group, in the very order of that walk, so the same visit is found.
//
// That order is the index's: by last request time, and among equal times by when the visit took
// that time, since an entry placed or settled in the index always goes after the entries of an
// equal key. A visit taking a new last request time gets a new, higher stamp here; the visits
// already stored are stamped by their position. Build refuses an index that breaks that picture
// (out of order, an entry twice, an entry naming no visit: only a damaged database has one), and
// the plain walk then serves the run.
//
// Only the recent visits are held: every visit whose last request time is at or after a horizon
// that follows the newest request, two timeouts behind it (moved once a day of log time, so its
// sweeps stay rare). A request older than that (Covers is false) is left to the plain walk.
// Memory thus follows about a day of traffic, not the size of the database.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/tick_time.h"
#include "storage/indexed_table.h"
#include "storage/records.h"
#include "storage/table_file.h"

namespace velmora {

class VisitFinder {
 public:
  // `timeout` is the session timeout; requests join visits whose last request lies within it.
  VisitFinder(bool by_network, Ticks timeout) : by_network_(by_network), timeout_(timeout) {}

  // Reads the index by last request time, for a run whose first request is at `first`; false
  // when it is not a clean ordered index of distinct stored visits, and the finder must not be
  // used.
  bool Build(const RecordTable<SessionRecord>& sessions, const TableFile& by_last, Ticks first);

  // Whether Find knows every visit whose last request time is `lower` or later.
  bool Covers(Ticks lower) const { return lower >= horizon_; }

  // The visit the walk over the index would find for a request from `address`: among the visits
  // of its group whose last request time t satisfies lower <= t < upper, latest first, the first
  // that `matches` accepts. -1 when none does. Covers(lower) must hold.
  template <class Matches>
  int32_t Find(uint32_t address, Ticks lower, Ticks upper, Matches&& matches) const {
    const auto group = groups_.find(GroupOf(address));
    if (group == groups_.end()) return -1;
    const std::vector<Entry>& entries = group->second;
    for (size_t i = UpperEnd(entries, upper); i > 0; --i) {
      const Entry& entry = entries[i - 1];
      if (entry.last < lower) break;
      if (matches(entry.visit)) return entry.visit;
    }
    return -1;
  }

  // Visit `visit` of client `address` now has `last` as its last request time, placed after
  // every visit of an equal time. `previous` is the time it had, or nullopt for a new visit.
  void Place(int32_t visit, uint32_t address, std::optional<Ticks> previous, Ticks last);

 private:
  struct Entry {
    Ticks last;
    uint64_t stamp;
    int32_t visit;
  };

  uint32_t GroupOf(uint32_t address) const;
  // The number of entries whose last request time is below `upper`.
  static size_t UpperEnd(const std::vector<Entry>& entries, Ticks upper);
  // Moves the horizon up behind the newest request once it has run a day ahead, and drops the
  // visits that fell behind it.
  void Advance();

  bool by_network_;
  Ticks timeout_;
  Ticks horizon_ = 0;
  Ticks newest_ = 0;
  uint64_t next_stamp_ = 0;
  std::unordered_map<uint32_t, std::vector<Entry>> groups_;  // each ordered by (last, stamp)
};

}  // namespace velmora
