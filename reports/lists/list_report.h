// The ranked list reports: one row per item with a positive Custom value, its name in the key
// column and its five period values beside it, sorted by one value column (larger first, equal
// values by name), with a bar chart of the top rows of that column.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "reports/frame/date_range.h"
#include "reports/frame/report_catalogue.h"
#include "reports/frame/report_model.h"
#include "reports/lists/list_caches.h"
#include "storage/workspace_database.h"

namespace velmora {

enum class ValueKind : uint8_t { kCount, kTraffic, kRelevancy };

struct ListMember {
  std::string_view id;
  std::string_view key_caption;
  ValueKind kind;
};
// The list report whose id (or family parent's id, for a per-engine child) is `id`; none when
// it is no list report.
std::optional<ListMember> FindListMember(const ReportDef& report);

// The cell text of `value` of kind `kind`: "%lld", "%.2f Mb" of the bytes in mebibytes taken to
// the nearest thousandth, "%.2f%%" of hundredths of a percent.
std::string ValueText(ValueKind kind, int64_t value);

// The name of item `item` of `source`: a path, a referrer, a domain, an engine, a word, a
// phrase, a country, a page path (joined by " -> "), a bundle ("#%d, length=%d"), an error code
// with its file name, a referrer with the missing file it linked to, a browser, an operating
// system, a user agent, a spider. Empty when the item cannot be found.
std::string ItemName(WorkspaceDatabase& db, ItemSource source, int32_t item);

struct ListReportOptions {
  DateRange sort = DateRange::kWeek;
  std::optional<int32_t> limit;  // the rows kept after sorting; the chart still sees them all
};

// The model of list `report` from its cached result `result`. The database must be open.
ReportModel MakeListReport(WorkspaceDatabase& db, const ReportDef& report, const ListMember& member,
                           const CachedResult& result, const ListReportOptions& options);

// The bar chart of a sorted column: the first seven rows, then the eighth row itself or an item
// "Other %d" carrying the rest. None when every value is zero. `labels` needs only the first
// eight rows' names; `values` holds every row's value.
std::optional<ChartData> ListChart(std::string_view title, std::string_view column_caption,
                                   std::span<const std::string> labels,
                                   std::span<const double> values);

}  // namespace velmora
