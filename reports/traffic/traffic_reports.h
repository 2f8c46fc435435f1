// The reports of the Traffic branch: the summary "Traffic", the daily reports, the day-of-week
// and hour-of-day distributions, the monthly reports and the list of Today's Visits. All but
// the last two are sums of the hourly totals over the five periods.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/prompter.h"
#include "reports/filter/report_filter.h"
#include "reports/frame/date_range.h"
#include "reports/frame/report_catalogue.h"
#include "reports/frame/report_model.h"
#include "reports/traffic/hourly_totals.h"
#include "storage/workspace_database.h"

namespace velmora {

struct TrafficRequest {
  const ReportPeriods* periods = nullptr;
  const ActiveReportFilter* filter = nullptr;
  uint32_t fingerprint = 0;
  int32_t visit_list_days = 1;  // Today's Visits: the days listed, 1 to 3
};

// The model of Traffic report `report`; none when `report` is not one of them or its cached
// totals could not be opened (the engine has said why). The database must be open.
std::optional<ReportModel> MakeTrafficReport(WorkspaceDatabase& db, Prompter& prompter,
                                             const ReportDef& report,
                                             const TrafficRequest& request);

// The pieces, for tests: each from totals already loaded.
ReportModel MakeSummary(const ReportDef& report, const HourlyTotals& totals,
                        const ReportPeriods& periods);
std::optional<ReportModel> MakeTimeReport(const ReportDef& report, const HourlyTotals& totals,
                                          const ReportPeriods& periods);
ReportModel MakeTodaysVisits(WorkspaceDatabase& db, const ReportDef& report,
                             const ReportPeriods& periods, const ActiveReportFilter& filter,
                             int32_t days);

}  // namespace velmora
