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
#include "reports/frame/report_catalogue.h"
#include "ui/cli/commands.h"
#include "ui/cli/report_options.h"
#include "ui/cli/report_render.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct NamedValue {
  std::string_view name;
  int32_t value;
};

constexpr NamedValue kTargets[] = {{"referrer", 0},    {"ref-domain", 1},    {"search-engine", 2},
                                   {"search-word", 3}, {"search-phrase", 4}, {"exact-phrase", 5},
                                   {"page", 6},        {"download", 7},      {"image", 8},
                                   {"country", 9}};
constexpr NamedValue kOperations[] = {{"equals", 0}, {"not-equals", 1}};

template <size_t N>
std::optional<int32_t> Lookup(const NamedValue (&table)[N], std::string_view name) {
  for (const NamedValue& entry : table) {
    if (entry.name == name) return entry.value;
  }
  return std::nullopt;
}

template <size_t N>
std::string Names(const NamedValue (&table)[N]) {
  std::string names;
  for (const NamedValue& entry : table) {
    if (!names.empty()) names += ", ";
    names += entry.name;
  }
  return names;
}

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
  std::optional<int32_t> limit;
  std::string format = "table";
  bool save = false;
};

std::optional<Ticks> ParseDay(const std::string& text) {
  CalendarTime t;
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3)
    return std::nullopt;
  if (year < 1601 || year > 9999) return std::nullopt;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  return CalendarToTicks(t);
}

// The request a command line makes, or the usage error it gets.
std::variant<ReportRequest, std::string> MakeRequest(const ReportOptions& o) {
  ReportRequest request;
  request.id = o.id;
  if (FindReport(o.id) == nullptr)
    return "unknown report '" + o.id + "'; reports include " + SomeReportIds();
  if (!o.date.empty()) {
    request.report_day = ParseDay(o.date);
    if (!request.report_day)
      return "--date takes a day as YYYY-MM-DD, for example 2024-03-31, not '" + o.date + "'";
  }
  request.custom_weeks = o.weeks;
  request.visit_list_days = o.days;
  if (!o.filter.empty()) {
    const size_t first = o.filter.find(':');
    const size_t second = first == std::string::npos ? first : o.filter.find(':', first + 1);
    if (second == std::string::npos) {
      return "--filter takes TARGET:OPERATION:VALUE, for example country:equals:Germany";
    }
    const auto target = Lookup(kTargets, std::string_view(o.filter).substr(0, first));
    if (!target) return "--filter: the targets are " + Names(kTargets);
    const auto operation =
        Lookup(kOperations, std::string_view(o.filter).substr(first + 1, second - first - 1));
    if (!operation) return "--filter: the operations are " + Names(kOperations);
    request.quick = FilterCondition{*target, *operation, o.filter.substr(second + 1)};
  }
  if (request.quick && o.saved_filter) return "--filter and --saved-filter exclude each other";
  request.saved_filter = o.saved_filter;
  request.ip_filter = o.ip;
  request.show_non_visits = o.non_visits;
  const std::optional<DateRange> sort = SortColumnByName(o.sort);
  if (!sort) return "--sort: the columns are " + SortColumnNames();
  request.sort = *sort;
  if (o.limit && *o.limit < 0) return "--limit takes a number of rows, 0 or more";
  request.limit = o.limit;
  request.save = o.save;
  return request;
}

int RunReport(CliContext& context, const ReportOptions& options) {
  if (options.format != "table" && options.format != "csv" && options.format != "json") {
    return UsageError("--format: the formats are table, csv, json");
  }
  auto made = MakeRequest(options);
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
    std::fputs((JsonLine(ReportJson(*model)) + "\n").c_str(), stdout);
  } else if (options.format == "csv") {
    std::fputs(RenderCsv(*model).c_str(), stdout);
  } else {
    const bool terminal = StdoutIsTerminal();
    std::fputs(RenderTable(*model, {terminal ? StdoutColumns() : 200, StdoutShowsColour()}).c_str(),
               stdout);
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

  auto o = std::make_shared<ReportOptions>();
  CLI::App* report = table.Add(
      "report", "one report for five periods side by side: Today, Yesterday, Week, 4 Weeks, Custom",
      [o](CliContext& c) { return RunReport(c, *o); });
  report->add_option("ID", o->id, "the report's id (velmora reports lists them)")->required();
  report->add_option("--date", o->date,
                     "the day shown as Today, YYYY-MM-DD (default: the last day with data)");
  report->add_option("--weeks", o->weeks, "the Custom period in weeks (1 to 5200)");
  report->add_option("--days", o->days, "the days Today's Visits lists (1 to 3)");
  report->add_option("--filter", o->filter,
                     "count only visits that match TARGET:OPERATION:VALUE; targets " +
                         Names(kTargets) + "; operations equals, not-equals");
  report->add_option("--saved-filter", o->saved_filter,
                     "count only visits that match the saved filter NAME");
  report->add_option("--ip", o->ip,
                     "count only visitors of this address or network (10.1.0.0/16); \"\" for all");
  report->add_flag("--non-visits", o->non_visits, "count non-visits too (requests of no page)");
  report->add_option("--sort", o->sort, "the column rows are ranked by: " + SortColumnNames());
  report->add_option("--limit", o->limit, "show at most N rows");
  report->add_option("--format", o->format, "table, csv (RFC 4180) or json");
  report->add_flag("--save", o->save,
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
