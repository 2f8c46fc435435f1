// Report commands: reports (the report tree with ids) and report (one report as a table, CSV or
// JSON).
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/record_json.h"
#include "app/report_json.h"
#include "app/report_operation.h"
#include "platform/terminal.h"
#include "reports/charts/chart.h"
#include "reports/frame/report_catalogue.h"
#include "ui/cli/commands.h"
#include "ui/cli/report_options.h"
#include "ui/cli/report_render.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct ReportCommandOptions {
  ReportOptions request;
  std::string format = "table";
};

int RunReport(CliContext& context, const ReportCommandOptions& options) {
  if (options.format != "table" && options.format != "csv" && options.format != "json") {
    return UsageError("--format: the formats are table, csv, json");
  }
  auto made = MakeRequest(options.request);
  if (auto* usage = std::get_if<std::string>(&made)) return UsageError(*usage);
  CliSession session(context);
  Result<ReportModel> model =
      velmora::RunReport(session.session(), context.workspace_arg, std::get<ReportRequest>(made));
  if (!model.ok()) {
    if (model.error().kind == ErrorKind::kBadRequest) {
      return UsageError(model.error().message);
    }
    return ReportFailure(model.error());
  }
  if (options.format == "json") {
    std::fputs((ReportJsonText(*model) + "\n").c_str(), stdout);
  } else if (options.format == "csv") {
    std::fputs(RenderCsv(*model).c_str(), stdout);
  } else {
    const bool terminal = StdoutIsTerminal();
    const TableLayout layout{terminal ? StdoutColumns() : 200, StdoutShowsColour()};
    std::fputs(RenderTable(*model, layout).c_str(), stdout);
    // The chart goes to people only: a script reading the table gets the rows alone.
    if (terminal && HasChart(model->chart)) {
      std::fputs(RenderBlockChart(*model->chart, layout).c_str(), stdout);
    }
    std::fprintf(stderr, "Report generation time: %lld ms\n",
                 static_cast<long long>(model->generation_ms));
  }
  return kExitOk;
}

int RunReports(const std::string& format) {
  if (format == "json") {
    std::fputs((JsonLine(ReportTreeJson()) + "\n").c_str(), stdout);
    return kExitOk;
  }
  if (format != "table") return UsageError("--format: the formats are table, json");
  for (const ReportDef& def : ReportTree()) {
    std::string line(static_cast<size_t>(def.level) * 2, ' ');
    line += def.title;
    if (def.kind != ReportKind::kGroup) {
      line.resize(std::max<size_t>(line.size() + 2, 52), ' ');
      line += def.id;
    }
    std::puts(line.c_str());
  }
  return kExitOk;
}

}  // namespace

void RegisterReportCommands(CommandTable& table) {
  auto format = std::make_shared<std::string>("table");
  CLI::App* reports =
      table.Add("reports", "the report tree with the ids that 'velmora report' takes",
                [format](CliContext&) { return RunReports(*format); });
  reports->add_option("--format", *format, "table (indented titles and ids) or json");
  reports->footer("\nExamples:\n  velmora reports\n  velmora reports --format json");

  auto o = std::make_shared<ReportCommandOptions>();
  CLI::App* report = table.Add(
      "report", "one report for five periods side by side: Today, Yesterday, Week, 4 Weeks, Custom",
      [o](CliContext& c) { return RunReport(c, *o); });
  AddReportOptions(*report, o->request);
  report->add_option("--limit", o->request.limit, "show at most N rows");
  report->add_option("--format", o->format, "table, csv (RFC 4180) or json");
  report->add_flag("--save", o->request.save,
                   "keep --weeks, --days and the filter options as the workspace's filter bar");
  report->footer(
      "\nThe filter options hold for this call only, unless --save keeps them. Results are cached"
      "\nin the workspace's reports/ folder and reused while the data, date and filter stay the "
      "same."
      "\n\nExamples:\n  velmora report pagesreq\n  velmora report countries --format json\n"
      "  velmora report refservers --date 2024-03-31 --weeks 8 --sort custom --limit 20\n"
      "  velmora report pagesreq --filter country:equals:Germany --format csv > pages.csv");
}

}  // namespace velmora::cli
