// The day walk of the list reports: every stored visit whose first request falls in the days a
// report walks, in order of that time, with the periods its day counts for. Visits the report
// filter hides, and with an engine filter the visits no search on that engine brought, are
// passed over.
#pragma once

#include <cstdint>
#include <functional>

#include "reports/filter/report_filter.h"
#include "reports/frame/date_range.h"
#include "storage/workspace_database.h"

namespace velmora {

struct WalkedVisit {
  int32_t number = -1;  // the Sessions record number
  SessionRecord session;
  SessionDetailRecord detail;  // list handles that name no stored list are -1
  uint32_t mask = 0;           // the periods of the visit's day (date_range.h bits)
};

struct WalkCount {
  int64_t visits_read = 0;  // visits looked at, shown or not
  int64_t visits_taken = 0;
};

// Walks the visits of [periods.WalkStart(), periods.WalkEnd()) through the index of Sessions by
// first request time. The database must be open.
WalkCount WalkVisits(WorkspaceDatabase& db, const ReportPeriods& periods,
                     const ActiveReportFilter& filter, uint32_t engine_filter,
                     const std::function<void(const WalkedVisit&)>& take);

}  // namespace velmora
