// Computing one report for a front end: the filter bar state of this request (the workspace's
// own, with the request's changes on top), the reference time, the cached result and the
// report model that every front end renders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/rules/filter_types.h"
#include "app/session.h"
#include "core/result.h"
#include "core/tick_time.h"
#include "reports/frame/date_range.h"
#include "reports/frame/report_model.h"

namespace velmora {

// What a request changes for this call only; unset fields keep the workspace's filter bar.
struct ReportRequest {
  std::string id;
  std::optional<Ticks> report_day;          // shown as "Today"; else the workspace's day
  std::optional<int32_t> custom_weeks;      // the Custom period
  std::optional<int32_t> visit_list_days;   // "Time interval:" of Today's Visits, 1 to 3
  std::optional<FilterCondition> quick;     // a Quick filter condition
  std::optional<std::string> saved_filter;  // a saved filter by name (Full filter)
  std::optional<std::string> ip_filter;     // "IP Filter:"; "" clears it
  bool show_non_visits = false;
  DateRange sort = DateRange::kWeek;
  std::optional<int32_t> limit;
  bool save = false;  // keep the filter bar changes in the workspace
};

// A day given as YYYY-MM-DD (years 1601 to 9999); none for anything else.
std::optional<Ticks> ParseDay(std::string_view text);

// The filter bar `bar` with the changes of `request`. Fails (kFailed, with the valid choices)
// on a saved filter that does not exist or a value out of range.
Result<FilterBarState> RequestedFilterBar(const FilterBarState& bar, const ReportRequest& request,
                                          const WorkspaceSettings& settings);

// Computes report `request.id` on the session's workspace, opened for reading (OpenForDatabase).
Result<ReportModel> ComputeReport(Session& session, const ReportRequest& request);

// Opens the workspace `path` names for reading and computes report `request.id`. A report id
// that the catalogue does not know fails with kFailed; a report that is no list yet gives a
// model with no rows. With `request.save` the filter bar changes are saved first.
Result<ReportModel> RunReport(Session& session, std::string_view path,
                              const ReportRequest& request);

}  // namespace velmora
