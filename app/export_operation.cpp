#include "app/export_operation.h"

#include "app/report_operation.h"
#include "core/workspace_layout.h"
#include "platform/desktop.h"
#include "reports/export/chart_cache.h"
#include "reports/frame/report_catalogue.h"

namespace velmora {
namespace {

int ScreenWidth(Session& session) {
  const std::optional<int64_t> stored =
      session.preferences().GetNumber(kAppSection, "Screen width");
  return stored && *stored >= 320 && *stored <= 16384 ? static_cast<int>(*stored)
                                                      : kDefaultScreenWidth;
}

}  // namespace

Result<ExportResult> ExportReports(Session& session, std::string_view path,
                                   const ExportRequest& request, const ChartWriter& charts,
                                   const ExportProgress& progress) {
  const bool all = request.id == kExportAll;
  const ReportDef* single = all ? nullptr : FindReport(request.id);
  if (!all && single == nullptr) {
    return Error{0, "unknown report '" + request.id + "'", ErrorKind::kBadRequest};
  }
  if (Status opened = session.OpenForDatabase(path, DatabaseAccess::kRead); !opened.ok()) {
    return opened.error();
  }
  Workspace& workspace = session.workspace();
  const SettingsBlock& block = workspace.settings().block;
  const std::string name = all ? std::string(kCombinedPageName) : single->id;
  const std::string page =
      request.output.empty()
          ? WorkspacePath(workspace.folder(), kExportFolder) + "/" + name + ".htm"
          : request.output;
  const int32_t limit =
      request.limit.value_or(all ? block.combined_export_limit : block.export_limit);

  PageWriter writer(
      page, ScreenWidth(session) * 3 / 4,
      charts ? CachingChartWriter(WorkspacePath(workspace.folder(), kReportsFolder), charts)
             : charts);
  ExportResult result;
  result.page = page;
  bool head_written = false;
  for (const ReportDef* report : CatalogueReports()) {
    if (!all && report != single) continue;
    if (all && !progress("Saving report: " + report->title)) {
      result.cancelled = true;
      break;
    }
    // The limit is on entries: the ranked lists and the visit list. The summary, the days, hours
    // and months keep every row, or a combined page would lose the summary's last sections and
    // all but the oldest days.
    const bool entries = report->kind == ReportKind::kCachedList || report->id == "todays_visitors";
    const std::optional<int32_t> rows =
        entries && limit > 0 ? std::optional(limit) : std::nullopt;  // 0: every row
    ReportRequest one;
    one.id = report->id;
    one.sort = request.sort;
    one.limit = rows;  // rows past the limit are never written, so they need no cells
    Result<ReportModel> model = ComputeReport(session, one);
    if (!model.ok()) return model.error();
    if (!head_written) {
      if (Status begun =
              writer.Begin({block.server_names, all ? name : report->title, model->reference_day});
          !begun.ok()) {
        return begun.error();
      }
      head_written = true;
    }
    if (Status added = writer.Add(*model, rows); !added.ok()) {
      return added.error();
    }
    ++result.reports;
  }
  if (!head_written) return result;  // cancelled before the first report
  if (all && !result.cancelled) progress("Saving combined report...");
  if (Status finished = writer.Finish(); !finished.ok()) return finished.error();
  return result;
}

void OpenExportedPage(Session& session, const std::string& page) {
  if (session.workspace().settings().block.open_exported_report != 0) OpenWithDesktop(page);
}

}  // namespace velmora
