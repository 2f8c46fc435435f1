// The settings as one JSON document, for `settings show`, export and import: every key of
// settings_keys.h at the top level (numbers as integers, texts as strings) and the lists under
// "resource-masks", "log-filters", "filter-bar" and "report-filters". Import checks the whole
// document first and changes the settings only when all of it is valid.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/result.h"
#include "workspace/settings.h"

namespace velmora {

nlohmann::json SettingsToJson(const WorkspaceSettings& settings);
// SettingsToJson printed with an indent of two and a final line break.
std::string SettingsToJsonText(const WorkspaceSettings& settings);

// Applies a document to `settings`. Keys that are absent keep their values; a list that is
// present replaces the whole list, and a list item's absent fields take the values of a new item.
// "workspace-name" is ignored, so settings can be carried from one workspace to another. Fails,
// changing nothing, for text that is not JSON, an unknown key or field, a value of the wrong type
// or out of its range; the error names the offending entry.
Status ImportSettingsJson(WorkspaceSettings& settings, const nlohmann::json& document);
Status ImportSettingsJsonText(WorkspaceSettings& settings, std::string_view text);

}  // namespace velmora
