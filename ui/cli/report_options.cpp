#include "ui/cli/report_options.h"

#include <array>
#include <string_view>

#include "reports/charts/chart.h"
#include "reports/frame/report_catalogue.h"

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

}  // namespace

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

void AddReportOptions(CLI::App& command, ReportOptions& options) {
  command.add_option("ID", options.id, "the report's id (velmora reports lists them)")->required();
  command.add_option("--date", options.date,
                     "the day shown as Today, YYYY-MM-DD (default: the last day with data)");
  command.add_option("--weeks", options.weeks, "the Custom period in weeks (1 to 5200)");
  command.add_option("--days", options.days, "the days Today's Visits lists (1 to 3)");
  command.add_option("--filter", options.filter,
                     "count only visits that match TARGET:OPERATION:VALUE; targets " +
                         Names(kTargets) + "; operations equals, not-equals");
  command.add_option("--saved-filter", options.saved_filter,
                     "count only visits that match the saved filter NAME");
  command.add_option("--ip", options.ip,
                     "count only visitors of this address or network (10.1.0.0/16); \"\" for all");
  command.add_flag("--non-visits", options.non_visits,
                   "count non-visits too (requests of no page)");
  command.add_option("--sort", options.sort, "the column rows are ranked by: " + SortColumnNames());
}

std::optional<DateRange> SortColumnByName(std::string_view name) {
  constexpr std::array<std::string_view, kDateRangeCount> kNames = {"today", "yesterday", "week",
                                                                    "4weeks", "custom"};
  for (size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) return kDateRanges[i];
  }
  return std::nullopt;
}

std::string SortColumnNames() { return "today, yesterday, week, 4weeks, custom"; }

std::string SomeReportIds() {
  std::string ids;
  int shown = 0;
  for (const ReportDef* def : CatalogueReports()) {
    if (def->kind != ReportKind::kCachedList || def->engine_filter != 0 || shown == 12) continue;
    ids += (shown++ > 0 ? ", " : "") + def->id;
  }
  return ids + ", ... ('velmora reports' lists them all)";
}

ChartWriter ReportChartWriter() {
  return [](const ChartData& chart, const std::string& path, int width) {
    return SaveChartAsPng(chart, path, width).ok();
  };
}

}  // namespace velmora::cli
