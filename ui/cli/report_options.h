// The options that choose what a report counts: its id, the periods, the filter and the sort
// column. `velmora report` and `velmora chart` register the same ones, so that a chart always
// shows what the table of the same command line shows; `velmora export` shares the sort column
// names and the way charts become pictures.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "app/report_operation.h"
#include "reports/export/page_writer.h"
#include "reports/frame/date_range.h"

namespace velmora::cli {

struct ReportOptions {
  std::string id;
  std::string date;
  std::optional<int32_t> weeks;
  std::optional<int32_t> days;
  std::string filter;
  std::optional<std::string> saved_filter;
  std::optional<std::string> ip;
  bool non_visits = false;
  std::string sort = "week";
  std::optional<int32_t> limit;  // `report` alone sets these two
  bool save = false;
};

// Adds ID, --date, --weeks, --days, --filter, --saved-filter, --ip, --non-visits and --sort.
void AddReportOptions(CLI::App& command, ReportOptions& options);

// The request a command line makes, or the usage error it gets.
std::variant<ReportRequest, std::string> MakeRequest(const ReportOptions& options);

// "today", "yesterday", "week", "4weeks", "custom": the sort columns.
std::optional<DateRange> SortColumnByName(std::string_view name);
std::string SortColumnNames();
// A dozen list report ids and where to find the rest.
std::string SomeReportIds();
// Writes a chart as a PNG picture, for the HTML export.
ChartWriter ReportChartWriter();

}  // namespace velmora::cli
