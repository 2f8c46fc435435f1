#include "reports/frame/visit_walk.h"

#include "storage/sorted_index.h"

namespace velmora {
WalkCount WalkVisits(WorkspaceDatabase& db, const ReportPeriods& periods,
                     const ActiveReportFilter& filter, uint32_t engine_filter,
                     const std::function<void(const WalkedVisit&)>& take) {
  WalkCount count;
  RecordTable<SessionRecord>& sessions = db.sessions();
  const TableFile& by_first = sessions.index(1);
  const Ticks start = periods.WalkStart();
  const Ticks end = periods.WalkEnd();
  const SearchResult before = SearchIndex(
      by_first,
      [&](uint32_t entry) {
        return ThreeWay(start,
                        sessions.Get(static_cast<int32_t>(entry)).first_request_time.value());
      },
      SearchMode::kStrictLower);
  Ticks mask_day = 0;
  uint32_t mask = 0;
  bool have_mask = false;
  for (int32_t pos = before.position + 1; pos >= 0 && pos < by_first.Count(); ++pos) {
    WalkedVisit visit;
    visit.number = static_cast<int32_t>(by_first.Entry(pos));
    if (!sessions.Has(visit.number)) continue;
    visit.session = sessions.Get(visit.number);
    ++count.visits_read;
    const Ticks first = visit.session.first_request_time.value();
    if (first >= end) break;
    if (first < start) continue;  // only a damaged index puts one here
    if (!VisitPassesFilter(filter, db, visit.number)) continue;
    if (engine_filter != 0 &&
        db.referers().Get(visit.session.referrer).search_engine != engine_filter) {
      continue;
    }
    if (!have_mask || StartOfDay(first) != mask_day) {
      mask_day = StartOfDay(first);
      mask = periods.DayMask(mask_day);
      have_mask = true;
    }
    visit.mask = mask;
    visit.detail = WithoutCacheSlots(db.session_details().Get(visit.number));
    ++count.visits_taken;
    take(visit);
  }
  return count;
}

}  // namespace velmora
