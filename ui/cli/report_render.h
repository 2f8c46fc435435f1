// Rendering a report model for the command line: an aligned table for people and RFC 4180 CSV
// for spreadsheets, and a small bar chart of block characters. Nothing is computed here; texts that
// came from logs are made harmless for a terminal (control characters shown as '?').
#pragma once

#include <string>

#include "reports/frame/report_model.h"

namespace velmora::cli {

struct TableLayout {
  int width = 80;       // columns available; the key column gives way first
  bool colour = false;  // bold rows and trend marks (terminal escapes and arrows)
};

std::string RenderTable(const ReportModel& model, const TableLayout& layout);
std::string RenderCsv(const ReportModel& model);
// The chart's items as bars of block characters, one line each with value and share, to follow
// the table on a terminal; in the items' colours when `layout.colour` is set.
std::string RenderBlockChart(const ChartData& chart, const TableLayout& layout);

}  // namespace velmora::cli
