#include "app/report_operation.h"

#include <chrono>
#include <cstdio>

#include "platform/clock.h"
#include "reports/filter/report_filter_resolve.h"
#include "reports/frame/filter_fingerprint.h"
#include "reports/frame/report_catalogue.h"
#include "reports/lists/list_caches.h"
#include "reports/lists/list_report.h"
#include "reports/traffic/traffic_reports.h"

namespace velmora {
namespace {

std::string SavedFilterNames(const WorkspaceSettings& settings) {
  std::string names;
  for (const ReportFilter& filter : settings.report_filters) {
    names += names.empty() ? "" : ", ";
    names += "'" + filter.name + "'";
  }
  return names.empty() ? "none is saved yet (velmora filters add)" : "the saved ones are " + names;
}

// The report model of a report that computes nothing yet: its heading and no rows.
ReportModel EmptyModel(const ReportDef& report) {
  ReportModel model;
  model.id = report.id;
  model.title = report.title;
  return model;
}

}  // namespace

std::optional<Ticks> ParseDay(std::string_view text) {
  const std::string copy(text);
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3)
    return std::nullopt;
  if (year < 1601 || year > 9999) return std::nullopt;
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  return CalendarToTicks(t);
}

Result<FilterBarState> RequestedFilterBar(const FilterBarState& bar, const ReportRequest& request,
                                          const WorkspaceSettings& settings) {
  FilterBarState result = bar;
  if (request.custom_weeks) {
    if (*request.custom_weeks < kMinCustomWeeks || *request.custom_weeks > kMaxCustomWeeks) {
      return Error{0,
                   "the Custom period must be 1 to " + std::to_string(kMaxCustomWeeks) + " weeks",
                   ErrorKind::kBadRequest};
    }
    result.custom_weeks = *request.custom_weeks;
  }
  if (request.visit_list_days) {
    if (*request.visit_list_days < 1 || *request.visit_list_days > 3) {
      return Error{0, "the visit list covers 1, 2 or 3 days", ErrorKind::kBadRequest};
    }
    result.time_interval = *request.visit_list_days;
  }
  if (request.quick) {
    result.filter_mode = kQuickFilter;
    result.quick_target = request.quick->target;
    result.quick_operation = request.quick->operation;
    result.quick_value = request.quick->value;
  }
  if (request.saved_filter) {
    bool found = false;
    for (const ReportFilter& filter : settings.report_filters)
      found |= filter.name == *request.saved_filter;
    if (!found) {
      return Error{
          0,
          "no saved filter is named '" + *request.saved_filter + "'; " + SavedFilterNames(settings),
          ErrorKind::kBadRequest};
    }
    result.filter_mode = kFullFilter;
    result.selected_filter = *request.saved_filter;
  }
  if (request.ip_filter) result.ip_filter = *request.ip_filter;
  if (request.show_non_visits) result.show_non_visit = 1;
  return result;
}

Result<ReportModel> RunReport(Session& session, std::string_view path,
                              const ReportRequest& request) {
  if (FindReport(request.id) == nullptr) {
    return Error{0, "unknown report '" + request.id + "'", ErrorKind::kBadRequest};
  }
  if (Status opened = session.OpenForDatabase(path, DatabaseAccess::kRead); !opened.ok()) {
    return opened.error();
  }
  return ComputeReport(session, request);
}

Result<ReportModel> ComputeReport(Session& session, const ReportRequest& request) {
  const ReportDef* report = FindReport(request.id);
  if (report == nullptr) {
    return Error{0, "unknown report '" + request.id + "'", ErrorKind::kBadRequest};
  }
  Workspace& workspace = session.workspace();
  Result<FilterBarState> bar =
      RequestedFilterBar(workspace.settings().filter_bar, request, workspace.settings());
  if (!bar.ok()) return bar.error();
  if (request.save && *bar != workspace.settings().filter_bar) {
    WorkspaceSettings settings = workspace.settings();
    settings.filter_bar = *bar;
    if (Status saved = workspace.ChangeSettings(std::move(settings)); !saved.ok()) {
      return saved.error();
    }
  }
  const Ticks reference = request.report_day
                              ? ReferenceForReportDay(*request.report_day)
                              : workspace.reference_day().value_or(StartOfDay(UtcNowTicks()));
  const ReportPeriods periods(reference, bar->custom_weeks);

  const auto started = SteadyNow();
  ReportModel model = EmptyModel(*report);
  const std::optional<ListMember> member = FindListMember(*report);
  if (report->kind != ReportKind::kGroup) {
    WorkspaceDatabase& db = *workspace.database();
    if (!db.Open()) return Error{0, "the database could not be opened", ErrorKind::kShownToUser};
    Result<ActiveReportFilter> filter =
        PrepareReportFilter(db, *bar, workspace.settings().report_filters);
    if (filter.ok()) {
      const uint32_t fingerprint = FilterFingerprint(*bar, workspace.settings().report_filters);
      if (member) {
        const CacheRequest cache{report->cache, &periods, &*filter, fingerprint,
                                 report->engine_filter};
        if (std::optional<CachedResult> result = BuildListCache(db, session.prompter(), cache)) {
          model = MakeListReport(db, *report, *member, *result, {request.sort, request.limit});
        }
      } else if (std::optional<ReportModel> traffic =
                     MakeTrafficReport(db, session.prompter(), *report,
                                       {&periods, &*filter, fingerprint, bar->time_interval})) {
        model = std::move(*traffic);
        if (request.limit && model.rows.size() > static_cast<size_t>(*request.limit)) {
          model.rows.resize(static_cast<size_t>(*request.limit));
        }
      }
    }
    db.Release();
    if (!filter.ok()) return filter.error();
  }
  model.reference_day = periods.report_day();
  model.generation_ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyNow() - started).count();
  return model;
}

}  // namespace velmora
