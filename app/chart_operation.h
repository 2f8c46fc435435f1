// Saving a report's chart as a PNG file: the report computed exactly as `velmora report` computes
// it (same periods, filter and sort column), then its chart drawn and written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/report_operation.h"
#include "app/session.h"
#include "core/result.h"

namespace velmora {

inline constexpr int32_t kDefaultChartWidth = 768;

struct ChartRequest {
  ReportRequest report;
  std::string file;  // empty: the report id + "_graph.png" in the current folder
  int32_t width = kDefaultChartWidth;
};

// Writes the chart of report `request.report.id` and returns the file written. Fails with
// kBadRequest for an unknown report or a width the chart cannot have, with kFailed and the
// reason when the report has no chart for this request (no rows, a sort column of zeros, or a
// report that draws none) or the file cannot be written.
Result<std::string> SaveReportChart(Session& session, std::string_view path,
                                    const ChartRequest& request);

}  // namespace velmora
