#include "reports/frame/visit_walk.h"

#include <algorithm>

namespace velmora {

int32_t StoredListCount(const SequenceTable& lists, int32_t handle) {
  if (handle < 0) return 0;
  const SequenceView list = lists.Get(handle);
  return list.empty() ? 0 : std::clamp(list[0], 0, list.size() - 1);
}

WalkCount WalkVisits(WorkspaceDatabase& db, const ReportPeriods& periods,
                     const ActiveReportFilter& filter, uint32_t engine_filter,
                     const std::function<void(const WalkedVisit&)>& take) {
  WalkCount count;
  count.visits_read = WalkRecordsInTime(
      db.sessions(), db.sessions().index(1), periods.WalkStart(), periods.WalkEnd(),
      [](const SessionRecord& r) { return r.first_request_time.value(); },
      [&](int32_t number, const SessionRecord& session) {
        if (!VisitPassesFilter(filter, db, number)) return;
        if (engine_filter != 0 &&
            db.referers().Get(session.referrer).search_engine != engine_filter) {
          return;
        }
        WalkedVisit visit;
        visit.number = number;
        visit.session = session;
        visit.detail = WithoutCacheSlots(db.session_details().Get(number));
        visit.mask = periods.DayMask(session.first_request_time.value());
        ++count.visits_taken;
        take(visit);
      });
  return count;
}

}  // namespace velmora
