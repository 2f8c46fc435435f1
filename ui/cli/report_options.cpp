#include "ui/cli/report_options.h"

#include <array>

#include "reports/frame/report_catalogue.h"

namespace velmora::cli {
namespace {

constexpr std::array<std::string_view, kDateRangeCount> kSortNames = {"today", "yesterday", "week",
                                                                      "4weeks", "custom"};

}  // namespace

std::optional<DateRange> SortColumnByName(std::string_view name) {
  for (size_t i = 0; i < kSortNames.size(); ++i) {
    if (kSortNames[i] == name) return kDateRanges[i];
  }
  return std::nullopt;
}

std::string SortColumnNames() {
  std::string names;
  for (std::string_view name : kSortNames) names += (names.empty() ? "" : ", ") + std::string(name);
  return names;
}

std::string SomeReportIds() {
  std::string ids;
  int shown = 0;
  for (const ReportDef* def : CatalogueReports()) {
    if (def->kind != ReportKind::kCachedList || def->engine_filter != 0 || shown == 12) continue;
    ids += (shown++ > 0 ? ", " : "") + def->id;
  }
  return ids + ", ... ('velmora reports' lists them all)";
}

ChartWriter ReportChartWriter() { return {}; }

}  // namespace velmora::cli
