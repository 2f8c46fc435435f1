// Ready-made resource rules a user adds by name (`velmora rules preset NAME`), for sites whose
// requests the rules of a new workspace, written for sites of .htm and .asp pages, leave
// unclassified. Each preset is an ordered list of rules that go in ahead of the catch-all rules
// at the end of the list, in this order, so that the narrower rules are tried first.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/rules/filter_types.h"
#include "core/result.h"

namespace velmora {

struct PresetRule {
  std::string_view masks;  // as `rules add` takes them: delimited with commas
  int32_t type;            // 0..3
  int32_t logging;         // 0..2
  std::string_view what;   // in words, for the user
};

struct RulePreset {
  std::string_view name;
  std::string_view description;
  std::span<const PresetRule> rules;
};

std::span<const RulePreset> RulePresets();
// The preset called `name` (ignoring case), or null.
const RulePreset* FindRulePreset(std::string_view name);

// Puts the preset's rules in, together and in their order, ahead of the catch-all rules at the
// end of the list; returns the number of the first. Refused when the list holds the preset's
// first rule already (added before), which changes nothing.
Result<int> AddRulePreset(std::vector<ResourceMask>& masks, const RulePreset& preset);

}  // namespace velmora
