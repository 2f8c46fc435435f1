#include "app/chart_operation.h"

#include "reports/charts/chart.h"
#include "reports/frame/report_catalogue.h"

namespace velmora {
namespace {

std::string NoChartReason(const ReportModel& model) {
  const ReportDef* report = FindReport(model.id);
  const std::string what = "'" + model.title + "' has no chart: ";
  if (report == nullptr || report->kind != ReportKind::kCachedList)
    return what + "this report draws none";
  if (model.rows.empty()) return what + "the report has no rows for these days and this filter";
  return what + "every value of the sorted column is zero (try another --sort column)";
}

}  // namespace

Result<std::string> SaveReportChart(Session& session, std::string_view path,
                                    const ChartRequest& request) {
  if (Status usable = CheckChartWidth(request.width); !usable.ok()) return usable.error();
  Result<ReportModel> model = RunReport(session, path, request.report);
  if (!model.ok()) return model.error();
  if (!HasChart(model->chart)) return Error{0, NoChartReason(*model)};
  const std::string file = request.file.empty() ? ChartFileName(model->id) : request.file;
  if (Status saved = SaveChartAsPng(*model->chart, file, request.width); !saved.ok()) {
    return saved.error();
  }
  return file;
}

}  // namespace velmora
