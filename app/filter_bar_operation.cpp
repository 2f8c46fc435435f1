#include "app/filter_bar_operation.h"

#include <set>
#include <string>

#include "workspace/settings_json.h"

namespace velmora {
namespace {

constexpr const char* kFilterBarKey = "filter-bar";
constexpr const char* kReportFiltersKey = "report-filters";

Error BadChange(std::string text) { return Error{0, std::move(text), ErrorKind::kBadRequest}; }

// The saved filters are chosen by name, so a name must pick exactly one of them.
Status CheckFilterNames(const std::vector<ReportFilter>& filters) {
  std::set<std::string> names;
  for (const ReportFilter& filter : filters) {
    if (filter.name.empty()) return BadChange("a saved filter needs a name");
    if (!names.insert(filter.name).second) {
      return BadChange("two saved filters are named '" + filter.name + "'");
    }
  }
  return {};
}

}  // namespace

nlohmann::json FilterBarJson(const WorkspaceSettings& settings) {
  const nlohmann::json all = SettingsToJson(settings);
  return {{kFilterBarKey, all.at(kFilterBarKey)}, {kReportFiltersKey, all.at(kReportFiltersKey)}};
}

Status ChangeFilterBar(Workspace& workspace, const nlohmann::json& change) {
  if (!change.is_object()) return BadChange("the change must be a JSON object");
  for (auto it = change.begin(); it != change.end(); ++it) {
    if (it.key() != kFilterBarKey && it.key() != kReportFiltersKey) {
      return BadChange("'" + it.key() + "' is not part of the filter bar");
    }
  }
  WorkspaceSettings settings = workspace.settings();
  if (Status applied = ImportSettingsJson(settings, change); !applied.ok()) {
    return BadChange(applied.error().message);
  }
  if (Status named = CheckFilterNames(settings.report_filters); !named.ok()) return named;
  if (settings.filter_bar == workspace.settings().filter_bar &&
      settings.report_filters == workspace.settings().report_filters) {
    return {};
  }
  return workspace.ChangeSettings(std::move(settings));
}

}  // namespace velmora
