#include "analysis/rules/resource_rules_editing.h"

#include <algorithm>
#include <string>

#include "analysis/rules/resource_rules.h"

namespace velmora {
namespace {

// The list as rules, each the run of consecutive entries that share a group number.
using RuleRuns = std::vector<std::vector<ResourceMask>>;

RuleRuns RunsOf(std::span<const ResourceMask> masks) {
  RuleRuns runs;
  for (size_t i = 0; i < masks.size(); ++i) {
    if (i == 0 || masks[i].group != masks[i - 1].group) runs.emplace_back();
    runs.back().push_back(masks[i]);
  }
  return runs;
}

// Back to entries with the groups numbered 0, 1, 2... by rule, so that rules brought next to
// each other by an edit never merge.
std::vector<ResourceMask> Flatten(RuleRuns runs) {
  std::vector<ResourceMask> masks;
  for (size_t group = 0; group < runs.size(); ++group) {
    for (ResourceMask& mask : runs[group]) {
      mask.group = static_cast<int32_t>(group);
      masks.push_back(std::move(mask));
    }
  }
  return masks;
}

std::string Plural(size_t n, std::string_view what) {
  std::string text = std::to_string(n) + " " + std::string(what);
  if (n != 1) text += "s";
  return text;
}

std::string Capitalised(std::string_view what) {
  std::string text(what);
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

Error Refused(std::string message) { return Error{0, std::move(message)}; }

}  // namespace

Result<size_t> ItemIndex(size_t count, int number, std::string_view what) {
  if (number < 1 || static_cast<size_t>(number) > count) {
    return Refused("There is no " + std::string(what) + " " + std::to_string(number) +
                   ": the list holds " + Plural(count, what));
  }
  return static_cast<size_t>(number - 1);
}

Result<size_t> MoveTarget(size_t count, int number, MoveDirection direction,
                          std::string_view what) {
  Result<size_t> index = ItemIndex(count, number, what);
  if (!index.ok()) return index;
  if (direction == MoveDirection::kUp) {
    if (*index == 0) return Refused(Capitalised(what) + " 1 is already at the top");
    return *index - 1;
  }
  if (*index + 1 == count) {
    return Refused(Capitalised(what) + " " + std::to_string(number) + " is already at the bottom");
  }
  return *index + 1;
}

std::vector<ResourceRuleLine> ListResourceRules(std::span<const ResourceMask> masks) {
  std::vector<ResourceRuleLine> lines;
  for (const std::vector<ResourceMask>& run : RunsOf(masks)) {
    ResourceRuleLine line;
    line.number = static_cast<int>(lines.size()) + 1;
    for (const ResourceMask& entry : run) {
      if (!line.masks.empty()) line.masks += ", ";
      line.masks += entry.mask;
    }
    line.request_class = run.front().request_class;
    line.type = static_cast<int32_t>(line.request_class & 0xFF);
    line.logging = LoggingOfClass(line.request_class);
    lines.push_back(std::move(line));
  }
  return lines;
}

namespace {

bool IsBroadMask(std::string_view mask) {
  return mask.find('*') != std::string_view::npos &&
         mask.find_first_not_of("*?.") == std::string_view::npos;
}

bool IsBroadRule(const std::vector<ResourceMask>& rule) {
  return std::all_of(rule.begin(), rule.end(), [](const ResourceMask& m) {
    const std::vector<std::string_view> pieces = SplitMaskText(m.mask);
    return !pieces.empty() && std::all_of(pieces.begin(), pieces.end(), IsBroadMask);
  });
}

}  // namespace

int CatchAllTail(std::span<const ResourceMask> masks) {
  const RuleRuns runs = RunsOf(masks);
  size_t first = runs.size();
  while (first > 0 && IsBroadRule(runs[first - 1])) --first;
  return static_cast<int>(first) + 1;
}

Result<int> AddResourceRule(std::vector<ResourceMask>& masks, std::string_view mask_text,
                            int32_t type, int32_t logging) {
  return InsertResourceRule(masks, CatchAllTail(masks), mask_text, type, logging);
}

Result<int> InsertResourceRule(std::vector<ResourceMask>& masks, int number,
                               std::string_view mask_text, int32_t type, int32_t logging) {
  if (ResourceTypeName(type).empty()) {
    return Refused("The resource type must be Undefined, Page, Download or Image");
  }
  if (LoggingName(logging).empty()) {
    return Refused("The logging strategy must be Do not log, Log as Visit or Log as non-Visit");
  }
  if (mask_text.find('\0') != std::string_view::npos) {
    return Refused("A file mask cannot hold a NUL character");
  }
  const std::vector<std::string_view> pieces = SplitMaskText(mask_text);
  if (pieces.empty()) {
    return Refused("The rule has no file mask: give one or several delimited with commas");
  }
  for (std::string_view piece : pieces) {
    if (piece.size() > kMaxMaskLength) {
      return Refused("The file mask '" + std::string(piece.substr(0, 40)) + "...' is longer than " +
                     std::to_string(kMaxMaskLength) + " characters");
    }
  }
  RuleRuns runs = RunsOf(masks);
  if (number < 1 || static_cast<size_t>(number) > runs.size() + 1) {
    return Refused("A rule can go in as rule 1 to " + std::to_string(runs.size() + 1) + ", not " +
                   std::to_string(number));
  }
  std::vector<ResourceMask> rule;
  const uint32_t request_class = RequestClassOf(type, logging);
  for (std::string_view piece : pieces) {
    rule.push_back(ResourceMask{std::string(piece), request_class, 0});
  }
  runs.insert(runs.begin() + (number - 1), std::move(rule));
  masks = Flatten(std::move(runs));
  return number;
}

Status RemoveResourceRule(std::vector<ResourceMask>& masks, int number) {
  RuleRuns runs = RunsOf(masks);
  Result<size_t> index = ItemIndex(runs.size(), number, "rule");
  if (!index.ok()) return index.error();
  runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(*index));
  masks = Flatten(std::move(runs));
  return {};
}

Status MoveResourceRule(std::vector<ResourceMask>& masks, int number, MoveDirection direction) {
  RuleRuns runs = RunsOf(masks);
  Result<size_t> target = MoveTarget(runs.size(), number, direction, "rule");
  if (!target.ok()) return target.error();
  std::swap(runs[static_cast<size_t>(number - 1)], runs[*target]);
  masks = Flatten(std::move(runs));
  return {};
}

}  // namespace velmora
