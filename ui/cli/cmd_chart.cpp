// The chart command: one report's chart saved as a PNG file.
#include <cstdio>
#include <memory>
#include <string>

#include "app/chart_operation.h"
#include "ui/cli/commands.h"
#include "ui/cli/report_options.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct ChartOptions {
  ReportOptions report;
  std::string file;
  int32_t width = kDefaultChartWidth;
};

int RunChart(CliContext& context, const ChartOptions& options) {
  auto made = MakeRequest(options.report);
  if (auto* usage = std::get_if<std::string>(&made)) return UsageError(*usage);
  CliSession session(context);
  const ChartRequest request{std::get<ReportRequest>(made), options.file, options.width};
  Result<std::string> file = SaveReportChart(session.session(), context.workspace_arg, request);
  if (!file.ok()) {
    if (file.error().kind == ErrorKind::kBadRequest) return UsageError(file.error().message);
    return ReportFailure(file.error());
  }
  std::puts(file->c_str());
  return kExitOk;
}

}  // namespace

void RegisterChartCommands(CommandTable& table) {
  auto o = std::make_shared<ChartOptions>();
  CLI::App* chart =
      table.Add("chart", "one report's chart as a PNG image, a third as high as it is wide",
                [o](CliContext& c) { return RunChart(c, *o); });
  AddReportOptions(*chart, o->report);
  chart->add_option("-o,--output", o->file, "the PNG file to write (default: ID_graph.png here)");
  chart->add_option("--width", o->width, "the width in pixels (default 768)");
  chart->footer(
      "\nThe chart shows the column --sort names, over the same periods and filter as 'velmora "
      "report'."
      "\nIt prints the file it wrote.\n\nExamples:\n  velmora chart pagesreq\n"
      "  velmora chart countries --sort 4weeks -o countries.png --width 1200");
}

}  // namespace velmora::cli
