#include "analysis/rules/rule_presets.h"

#include <array>

#include "analysis/rules/filter_types.h"
#include "analysis/rules/resource_rules.h"
#include "analysis/rules/resource_rules_editing.h"
#include "core/ascii.h"

namespace velmora {
namespace {

// A path ending in '/' has the default document appended before the rules see it; "*/" catches
// it when the default document is empty. The masks cannot say "no extension", so the rule for
// other files ("*.*", any path with a dot) comes before the pages' "*": a directory whose name
// holds a dot is taken for a file.
constexpr std::array kModern = {
    PresetRule{"*.gif,*.jpg,*.jpeg,*.png,*.webp,*.avif,*.svg,*.ico,*.bmp,*.tif,*.tiff", kTypeImage,
               kRuleLogAsNonVisit, "pictures"},
    PresetRule{"*.zip,*.gz,*.tgz,*.bz2,*.xz,*.7z,*.rar,*.tar,*.exe,*.msi,*.dmg,*.pkg,*.deb,*.rpm,"
               "*.apk,*.iso,*.pdf,*.epub,*.doc,*.docx,*.xls,*.xlsx,*.ppt,*.pptx,*.odt,*.ods,*.odp,"
               "*.mp3,*.m4a,*.ogg,*.flac,*.wav,*.mp4,*.m4v,*.webm,*.mov,*.avi,*.mkv",
               kTypeDownload, kRuleLogAsVisit, "archives, installers, documents and media"},
    PresetRule{"*.css,*.js,*.mjs,*.map,*.woff,*.woff2,*.ttf,*.otf,*.eot", kTypeUndefined,
               kRuleLogAsNonVisit, "style sheets, scripts and fonts"},
    PresetRule{"*/", kTypePage, kRuleLogAsVisit, "paths ending in '/'"},
    PresetRule{"*.*", kTypeUndefined, kRuleLogAsNonVisit, "other files (a path with a dot)"},
    PresetRule{"*", kTypePage, kRuleLogAsVisit, "paths without an extension"},
};

constexpr std::array kPresets = {
    RulePreset{"modern",
               "pages without an extension or ending in '/', pictures, downloads, and style "
               "sheets, scripts and fonts as non-visit requests",
               kModern},
};

}  // namespace

std::span<const RulePreset> RulePresets() { return kPresets; }

const RulePreset* FindRulePreset(std::string_view name) {
  for (const RulePreset& preset : kPresets) {
    if (AsciiEqualsIgnoreCase(preset.name, name)) return &preset;
  }
  return nullptr;
}

Result<int> AddRulePreset(std::vector<ResourceMask>& masks, const RulePreset& preset) {
  std::vector<ResourceMask> first_rule;
  for (std::string_view mask : SplitMaskText(preset.rules.front().masks)) {
    first_rule.push_back(ResourceMask{std::string(mask), 0, 0});
  }
  for (const ResourceRuleLine& line : ListResourceRules(masks)) {
    if (line.masks == ListResourceRules(first_rule).front().masks) {
      return Error{0, "The " + std::string(preset.name) + " preset is in the rules already (rule " +
                          std::to_string(line.number) + ")"};
    }
  }
  std::vector<ResourceMask> changed = masks;
  const int first = CatchAllTail(changed);
  int number = first;
  for (const PresetRule& rule : preset.rules) {
    const Result<int> added =
        InsertResourceRule(changed, number++, rule.masks, rule.type, rule.logging);
    if (!added.ok()) return added.error();
  }
  masks = std::move(changed);
  return first;
}

}  // namespace velmora
