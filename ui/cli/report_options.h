// What the report commands (report, export, chart) share: the sort column names, the report ids
// a usage error suggests, and how charts become pictures.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reports/export/page_writer.h"
#include "reports/frame/date_range.h"

namespace velmora::cli {

// "today", "yesterday", "week", "4weeks", "custom".
std::optional<DateRange> SortColumnByName(std::string_view name);
std::string SortColumnNames();
// A dozen list report ids and where to find the rest.
std::string SomeReportIds();
// Writes a chart as a PNG picture; none while the program draws no charts.
ChartWriter ReportChartWriter();

}  // namespace velmora::cli
