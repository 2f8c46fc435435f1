// The export command: one report or all of them as an HTML page with its icons and charts.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/export_operation.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"
#include "reports/frame/report_catalogue.h"
#include "ui/cli/commands.h"
#include "ui/cli/report_options.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct ExportOptions {
  std::string id;
  std::string output;
  std::optional<int32_t> limit;
  std::string sort = "week";
};

int RunExport(CliContext& context, const ExportOptions& options) {
  if (options.id != kExportAll && FindReport(options.id) == nullptr) {
    return UsageError("unknown report '" + options.id + "'; give 'all' or a report id (" +
                      SomeReportIds() + ")");
  }
  const std::optional<DateRange> sort = SortColumnByName(options.sort);
  if (!sort) return UsageError("--sort: the columns are " + SortColumnNames());
  if (options.limit && *options.limit < 0) return UsageError("--limit takes 0 (every row) or more");
  CliSession session(context);
  InterruptWatch interrupt;
  const bool terminal = StderrIsTerminal();
  ExportProgress progress = [&](const std::string& status) {
    if (terminal) std::fprintf(stderr, "\r\x1b[K%s", status.c_str());
    return interrupt.TakePresses() == 0;
  };
  Result<ExportResult> result = ExportReports(session.session(), context.workspace_arg,
                                              {options.id, options.output, options.limit, *sort},
                                              ReportChartWriter(), progress);
  if (terminal) std::fputs("\r\x1b[K", stderr);
  if (!result.ok()) {
    if (result.error().kind == ErrorKind::kBadRequest) return UsageError(result.error().message);
    return ReportFailure(result.error());
  }
  if (result->cancelled) {
    std::fprintf(stderr, "velmora: export cancelled after %d reports; %s holds them\n",
                 result->reports, result->page.c_str());
    return kExitFailure;
  }
  std::printf("Exported %d report%s to %s\n", result->reports, result->reports == 1 ? "" : "s",
              result->page.c_str());
  OpenExportedPage(session.session(), result->page);
  return kExitOk;
}

}  // namespace

void RegisterExportCommands(CommandTable& table) {
  auto o = std::make_shared<ExportOptions>();
  CLI::App* command =
      table.Add("export", "save a report, or all of them, as an HTML page with charts",
                [o](CliContext& c) { return RunExport(c, *o); });
  command->add_option("ID", o->id, "a report id (velmora reports lists them) or 'all'")->required();
  command->add_option("-o,--output", o->output,
                      "the page to write (default: the workspace's export/ folder, <id>.htm or "
                      "'All Reports.htm'); its pictures go to <page>.files/");
  command->add_option("--limit", o->limit,
                      "rows per report, 0 for all (default: the workspace's export limits)");
  command->add_option("--sort", o->sort, "the column lists are ranked by: " + SortColumnNames());
  command->footer(
      "\nCtrl+C stops a combined export between two reports.\n\nExamples:\n"
      "  velmora export pagesreq\n  velmora export all --limit 20 --sort 4weeks\n"
      "  velmora export countries -o /tmp/countries.htm");
}

}  // namespace velmora::cli
