#include "analysis/rules/rules_parse_options.h"

#include <memory>
#include <vector>

#include "analysis/rules/log_filters.h"
#include "analysis/rules/resource_rules.h"

namespace velmora {

ResourceRulesFn MakeResourceRulesFn(std::span<const ResourceMask> masks,
                                    std::shared_ptr<CompletionTally> tally) {
  auto compiled = std::make_shared<const CompiledResourceRules>(masks);
  if (!tally) return [compiled](std::string_view url) { return compiled->ClassOf(url); };
  return [compiled, tally](std::string_view url) {
    const CompiledResourceRules::Match match = compiled->Find(url);
    if (match.catch_all && (match.request_class & 0xFF) != static_cast<uint32_t>(kTypePage))
      ++tally->fell_through;
    return match.request_class;
  };
}

LogFiltersFn MakeLogFiltersFn(std::span<const LogFilter> filters, bool filters_enabled) {
  if (!filters_enabled || filters.empty()) return {};
  auto set =
      std::make_shared<const LogFilterSet>(std::vector<LogFilter>(filters.begin(), filters.end()));
  return [set](LogRecord& record) { return set->Apply(record); };
}

void SetRequestClassifiers(std::span<const ResourceMask> masks, std::span<const LogFilter> filters,
                           bool filters_enabled, ParseOptions& options) {
  options.resource_rules = MakeResourceRulesFn(masks, options.tally);
  options.log_filters = MakeLogFiltersFn(filters, filters_enabled);
}

}  // namespace velmora
