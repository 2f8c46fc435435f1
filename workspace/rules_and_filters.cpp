#include "workspace/rules_and_filters.h"

#include <utility>

#include "analysis/rules/log_filters_editing.h"
#include "analysis/rules/log_filters_legacy.h"
#include "analysis/rules/resource_rules.h"
#include "analysis/rules/rule_presets.h"
#include "analysis/rules/rules_parse_options.h"

namespace velmora {
namespace {

Error Refused(std::string message) { return Error{0, std::move(message)}; }

}  // namespace

std::vector<ResourceRuleLine> ListRules(const WorkspaceSettings& settings) {
  return ListResourceRules(settings.resource_masks);
}

Result<int> AddRule(WorkspaceSettings& settings, std::string_view masks, std::string_view type,
                    std::string_view logging) {
  const std::optional<int32_t> type_number = ParseResourceType(type);
  if (!type_number) {
    return Refused("Unknown resource type '" + std::string(type) +
                   "': use Undefined, Page, Download or Image");
  }
  const std::optional<int32_t> logging_number = ParseLogging(logging);
  if (!logging_number) {
    return Refused("Unknown logging strategy '" + std::string(logging) +
                   "': use \"Do not log\", \"Log as Visit\" or \"Log as non-Visit\"");
  }
  return AddResourceRule(settings.resource_masks, masks, *type_number, *logging_number);
}

Result<int> AddRulePreset(WorkspaceSettings& settings, std::string_view name) {
  const RulePreset* preset = FindRulePreset(name);
  if (preset == nullptr) {
    std::string names;
    for (const RulePreset& p : RulePresets())
      names += (names.empty() ? "" : ", ") + std::string(p.name);
    return Refused("There is no rule preset '" + std::string(name) + "': the presets are " + names);
  }
  return velmora::AddRulePreset(settings.resource_masks, *preset);
}

Status RemoveRule(WorkspaceSettings& settings, int number) {
  return RemoveResourceRule(settings.resource_masks, number);
}

Status MoveRule(WorkspaceSettings& settings, int number, MoveDirection direction) {
  return MoveResourceRule(settings.resource_masks, number, direction);
}

std::vector<LogFilterLine> ListFilters(const WorkspaceSettings& settings) {
  std::vector<LogFilterLine> lines;
  for (const LogFilter& filter : settings.log_filters) {
    lines.push_back(
        LogFilterLine{static_cast<int>(lines.size()) + 1, filter.name, LogFilterSummary(filter)});
  }
  return lines;
}

Status AddFilter(WorkspaceSettings& settings, LogFilter filter) {
  return AddLogFilter(settings.log_filters, std::move(filter));
}

Status ReplaceFilter(WorkspaceSettings& settings, int number, LogFilter filter) {
  return ReplaceLogFilter(settings.log_filters, number, std::move(filter));
}

Status RemoveFilter(WorkspaceSettings& settings, int number) {
  return RemoveLogFilter(settings.log_filters, number);
}

Status MoveFilter(WorkspaceSettings& settings, int number, MoveDirection direction) {
  return MoveLogFilter(settings.log_filters, number, direction);
}

bool FiltersEnabled(const WorkspaceSettings& settings) {
  return (settings.block.flags & kFlagEnableFilters) != 0;
}

void SetFiltersEnabled(WorkspaceSettings& settings, bool enabled) {
  if (enabled) {
    settings.block.flags |= kFlagEnableFilters;
  } else {
    settings.block.flags &= ~kFlagEnableFilters;
  }
}

Status ValidateRulesAndFilters(WorkspaceSettings& settings) {
  for (const ResourceMask& mask : settings.resource_masks) {
    if (mask.mask.size() > kMaxMaskLength || mask.mask.find('\0') != std::string::npos) {
      return Refused("The file mask '" + mask.mask.substr(0, 40) + "' is longer than " +
                     std::to_string(kMaxMaskLength) + " characters or holds a NUL");
    }
    // A type 0..3 with at most one of the two logging bits.
    if ((mask.request_class & ~0x303u) != 0 || (mask.request_class & 0x300u) == 0x300u) {
      return Refused("The file mask '" + mask.mask.substr(0, 40) + "' has the request class " +
                     std::to_string(mask.request_class) + ", which is no type and logging");
    }
  }
  std::vector<LogFilter> filters = settings.log_filters;
  for (size_t i = 0; i < filters.size(); ++i) {
    if (Status s = ValidateLogFilter(filters[i]); !s.ok()) {
      return Refused("Filter " + std::to_string(i + 1) + " (" + filters[i].name +
                     "): " + s.error().message);
    }
  }
  settings.log_filters = std::move(filters);
  return {};
}

UrlClassification ClassifyUrl(const WorkspaceSettings& settings, std::string_view url) {
  std::string path(url);
  if (!path.empty() && (path.back() == '/' || path.back() == '\\')) {
    path += settings.block.default_file;
  }
  UrlClassification result;
  result.request_class = ApplyResourceRules(settings.resource_masks, path);
  result.type = static_cast<int32_t>(result.request_class & 0xFF);
  result.logging = LoggingOfClass(result.request_class);
  result.type_name = ResourceTypeName(result.type);
  result.logging_name = LoggingName(result.logging);
  return result;
}

void SetRequestClassifiers(const WorkspaceSettings& settings, ParseOptions& options) {
  SetRequestClassifiers(settings.resource_masks, settings.log_filters, FiltersEnabled(settings),
                        options);
}

}  // namespace velmora
