// The report-time filter: which stored visits a report shows and counts. It is prepared from
// the filter bar once before a report is computed (report_filter_resolve.h turns each condition's
// value into a table number) and then asked once per visit.
//
// A visit passes when (1) it is a visit or "Show Non-visit" is on (a visit flag of 0 marks a
// non-visit); (2) with an "IP Filter:" set, in every mode, its client key AND the mask equals the
// address; (3) its conditions hold: none in Unfiltered, one in Quick filter, those of the saved
// filter in Full filter, all of them ("All conditions are satisfied": an empty list passes) or
// at least one ("At least one condition is satisfied": an empty list fails).
//
// A condition compares a visit's value with its resolved number: Equals holds when they are
// equal, Not equals when they differ; a number of -1 (not found) never equals anything. For
// Search Word, Page, Download and Image the value is a list and Equals means "occurs in it"; a
// visit without the list has nothing in it. Includes and Not includes never hold, nor does a
// target or operation outside the known ones.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/rules/filter_types.h"
#include "analysis/rules/network_text.h"
#include "storage/workspace_database.h"

namespace velmora {

// One condition with its value resolved.
struct ResolvedCondition {
  int32_t target = 0;
  int32_t operation = 0;
  int32_t number = -1;  // the table number of the value, -1 when not found or not resolved
};

struct ActiveReportFilter {
  bool show_non_visit = false;
  std::optional<NetworkAddress> address_filter;  // none when the "IP Filter:" text is empty
  int32_t match_mode = kMatchAll;
  std::vector<ResolvedCondition> conditions;
};

// Whether visit `visit` (a Sessions record number) is shown and counted. The database must be
// open; a visit number outside the table is not shown.
bool VisitPassesFilter(const ActiveReportFilter& filter, WorkspaceDatabase& db, int32_t visit);

// Whether one condition holds for `visit`; the database must be open.
bool ConditionHolds(const ResolvedCondition& condition, WorkspaceDatabase& db,
                    const SessionRecord& session, const SessionDetailRecord& detail);

}  // namespace velmora
