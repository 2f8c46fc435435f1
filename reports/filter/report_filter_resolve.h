// Resolving the report-time filter: each condition's value text becomes the table number the
// visits store, once before a report is computed, so that testing a visit compares numbers.
//
// Only Equals and Not equals are resolved; Includes and Not includes keep -1 (they never hold).
// Values are looked up exactly as typed, except engine and country names, which ignore case:
//  - Referrer in Referers, Ref. Domain in RefDomains, Search Word in SearchWords, Exact S.
//    Phrase in SearchFrasesExact, Page, Download and Image in Resources (stored lower-case);
//  - Search Engine among the engine names (rows 1 on), Country among the country names;
//  - Search Phrase: the words between blanks and tabs, each of which must be in SearchWords;
//    their numbers sorted ascending (repeats kept) are looked up as one sequence in SearchFrases.
// A value not found gives -1.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "analysis/rules/filter_types.h"
#include "core/result.h"
#include "reports/filter/report_filter.h"
#include "storage/workspace_database.h"

namespace velmora {

// The resolved number of `condition`; the database must be open.
int32_t ResolveCondition(WorkspaceDatabase& db, const FilterCondition& condition);

// The row (1 on) of the search engine named `name` ignoring case; -1 when none is.
int32_t SearchEngineByName(std::string_view name);
// The index of the country named `name` ignoring case ("Unknown" is 0); -1 when none is.
int32_t CountryByName(std::string_view name);

// The filter of the bar's mode: no conditions when Unfiltered (or a mode out of range), the
// quick condition in Quick filter, the conditions and match mode of the saved filter named by
// the bar in Full filter (none when no saved filter has that name), with "Show Non-visit" and
// the "IP Filter:" read. Opens the database while resolving, when a condition needs it; if it
// cannot be opened ("Cannot open database" was asked and cancelled) the error says so.
Result<ActiveReportFilter> PrepareReportFilter(WorkspaceDatabase& db, const FilterBarState& bar,
                                               std::span<const ReportFilter> saved_filters);

}  // namespace velmora
