// Exporting reports as HTML pages: one report, or every report of the catalogue in one combined
// page, each computed as the report command computes it and sorted by one column. The page goes
// to the workspace's export/ folder unless another file is named.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/session.h"
#include "core/result.h"
#include "reports/export/page_writer.h"
#include "reports/frame/date_range.h"

namespace velmora {

inline constexpr std::string_view kExportAll = "all";
inline constexpr std::string_view kCombinedPageName = "All Reports";
// Charts and wide tables are three quarters of this wide; the preference "Screen width" of
// [Velmora] changes it.
inline constexpr int kDefaultScreenWidth = 1024;

struct ExportRequest {
  std::string id;                // a report id, or "all"
  std::string output;            // the page; empty: export/<id>.htm or export/All Reports.htm
  std::optional<int32_t> limit;  // rows per report; unset: the workspace's export limit
  DateRange sort = DateRange::kWeek;
};

// Says what the export is doing ("Saving report: %s", "Saving combined report..."); returns
// false when the user wants it to stop, which it does between two reports.
using ExportProgress = std::function<bool(const std::string& status)>;

struct ExportResult {
  std::string page;  // the page written
  int reports = 0;   // reports on it
  bool cancelled = false;
};

// Writes the page. Fails with "Can't save report" (and the reason) when a file cannot be
// written, kBadRequest for an unknown report id.
Result<ExportResult> ExportReports(Session& session, std::string_view path,
                                   const ExportRequest& request, const ChartWriter& charts,
                                   const ExportProgress& progress);

// Opens an exported page in the browser when the workspace's setting asks for it and there is a
// desktop; quietly does nothing otherwise.
void OpenExportedPage(Session& session, const std::string& page);

}  // namespace velmora
