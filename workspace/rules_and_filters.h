// Editing a workspace's resource rules and log filters on its settings value: list, add, remove and
// move them, switch "Enable Filters", and see what the rules make of one URL. Each edit either
// changes the settings as asked or refuses with a message for the user and changes nothing; the
// caller saves the settings after every accepted change. The mechanisms themselves live in
// analysis/rules/ (resource_rules*, log_filters*).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/rules/resource_rules_editing.h"
#include "core/result.h"
#include "parsing/records/record_completion.h"
#include "workspace/settings.h"

namespace velmora {

// Rules, numbered from 1 as listed.
std::vector<ResourceRuleLine> ListRules(const WorkspaceSettings& settings);
// `masks` one or more masks delimited with commas (or ';'); `type` and `logging` as labels
// ("Page", "log-as-visit", "non-visit") or numbers. The rule goes in ahead of the catch-all
// rules that end the list; returns its number.
Result<int> AddRule(WorkspaceSettings& settings, std::string_view masks, std::string_view type,
                    std::string_view logging);
// The rules of preset `name` ("modern"), ahead of the catch-all rules; returns the first's number.
Result<int> AddRulePreset(WorkspaceSettings& settings, std::string_view name);
Status RemoveRule(WorkspaceSettings& settings, int number);
Status MoveRule(WorkspaceSettings& settings, int number, MoveDirection direction);

// One log filter, as ListFilters lists it.
struct LogFilterLine {
  int number = 0;  // 1-based
  std::string name;
  std::string summary;  // conditions and actions in words
};
std::vector<LogFilterLine> ListFilters(const WorkspaceSettings& settings);
// Adds `filter` (start from LogFilter{}: the defaults of a new filter) after checking it.
Status AddFilter(WorkspaceSettings& settings, LogFilter filter);
Status ReplaceFilter(WorkspaceSettings& settings, int number, LogFilter filter);
Status RemoveFilter(WorkspaceSettings& settings, int number);
Status MoveFilter(WorkspaceSettings& settings, int number, MoveDirection direction);

bool FiltersEnabled(const WorkspaceSettings& settings);
void SetFiltersEnabled(WorkspaceSettings& settings, bool enabled);

// Checks every mask and filter, as after importing settings; a filter's network numbers are set
// from its address text. The message names the rule or filter at fault.
Status ValidateRulesAndFilters(WorkspaceSettings& settings);

// What the workspace's rules make of `url` (filters are not applied): the path as a request
// would give it, so a URL ending in '/' gets the default document appended first.
struct UrlClassification {
  uint32_t request_class = 0;
  int32_t type = 0;     // the low byte
  int32_t logging = 0;  // 0 Do not log, 1 Log as Visit, 2 Log as non-Visit
  std::string_view type_name;
  std::string_view logging_name;
};
UrlClassification ClassifyUrl(const WorkspaceSettings& settings, std::string_view url);

// Installs the workspace's rules and, when "Enable Filters" is on, its filters into the
// completion options of a parse run or line inspection.
void SetRequestClassifiers(const WorkspaceSettings& settings, ParseOptions& options);

}  // namespace velmora
