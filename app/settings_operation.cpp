#include "app/settings_operation.h"

#include <string_view>
#include <utility>

#include "parsing/records/time_zones.h"
#include "workspace/rules_and_filters.h"
#include "workspace/settings_json.h"
#include "workspace/settings_keys.h"

namespace velmora {
namespace {

constexpr std::string_view kPasswordKeys[] = {"ftp-password", "http-password"};
constexpr std::string_view kListKeys[] = {"resource-masks", "log-filters"};

SettingsChangeOutcome Refuse(std::string field, std::string message) {
  return {Error{0, std::move(message), ErrorKind::kBadRequest}, std::move(field), false};
}

// The settings' own refusal reads "session-timeout must be ..."; beside its field the page says
// "Must be ...". The time zones' refusal lists every zone, which the page's list shows already.
std::string FieldMessage(std::string_view key, std::string message) {
  if (message.starts_with(key) && message.size() > key.size() && message[key.size()] == ' ') {
    message.erase(0, key.size() + 1);
  }
  if (const size_t zones = message.find("; the zones are:"); zones != std::string::npos) {
    message.resize(zones);
  }
  if (!message.empty() && message[0] >= 'a' && message[0] <= 'z') message[0] -= 'a' - 'A';
  return message;
}

// What a parse run reads from the settings: a change applies to the files parsed after it, not
// to what the database holds already.
bool ParsingDiffers(const WorkspaceSettings& a, const WorkspaceSettings& b) {
  const SettingsBlock& x = a.block;
  const SettingsBlock& y = b.block;
  return x.server_names != y.server_names || x.default_file != y.default_file ||
         x.log_format_mode != y.log_format_mode || x.custom_format != y.custom_format ||
         x.session_timeout != y.session_timeout || x.server_time_zone != y.server_time_zone ||
         x.your_time_zone != y.your_time_zone || x.flags != y.flags ||
         a.resource_masks != b.resource_masks || a.log_filters != b.log_filters;
}

bool IsListKey(std::string_view key) {
  for (std::string_view list : kListKeys) {
    if (key == list) return true;
  }
  return false;
}

// One value of the change into `settings`; the refusal is worded for the page.
Status ApplyValue(WorkspaceSettings& settings, const std::string& key,
                  const nlohmann::json& value) {
  if (IsListKey(key)) return ImportSettingsJson(settings, nlohmann::json{{key, value}});
  const SettingKey* setting = FindSettingKey(key);
  if (setting == nullptr) return Error{0, "'" + key + "' is not a setting of this dialog"};
  if (value.is_number_integer()) return SetSetting(settings, key, value.dump());
  if (value.is_string()) return SetSetting(settings, key, value.get_ref<const std::string&>());
  return Error{0, "must be " + AcceptedValues(*setting)};
}

}  // namespace

nlohmann::json SettingsDialogJson(const WorkspaceSettings& settings) {
  nlohmann::json document = SettingsToJson(settings);
  document.erase("filter-bar");
  document.erase("report-filters");
  for (std::string_view key : kPasswordKeys) {
    const std::string name(key);
    document[name + "-set"] = !document[name].get_ref<const std::string&>().empty();
    document.erase(name);
  }
  nlohmann::json zones = nlohmann::json::array();
  for (const TimeZone& zone : TimeZones()) zones.push_back(zone.name);
  document["time-zones"] = std::move(zones);
  return document;
}

SettingsChangeOutcome ChangeWorkspaceSettings(Workspace& workspace, const nlohmann::json& change) {
  if (!change.is_object()) return Refuse("", "the change must be a JSON object");
  WorkspaceSettings settings = workspace.settings();
  for (auto it = change.begin(); it != change.end(); ++it) {
    const std::string& key = it.key();
    if (key == "filter-bar" || key == "report-filters") {
      return Refuse(key, "The filter bar keeps its own settings");
    }
    if (Status applied = ApplyValue(settings, key, it.value()); !applied.ok()) {
      return Refuse(key, FieldMessage(key, applied.error().message));
    }
  }
  // Sets each filter's network from its address text, as an import does.
  if (Status checked = ValidateRulesAndFilters(settings); !checked.ok()) {
    const bool filter = checked.error().message.starts_with("Filter ");
    return Refuse(filter ? "log-filters" : "resource-masks", checked.error().message);
  }
  if (settings == workspace.settings()) return {};
  const bool parsing_changed = ParsingDiffers(settings, workspace.settings());
  Status saved = workspace.ChangeSettings(std::move(settings));
  return {std::move(saved), "", parsing_changed};
}

}  // namespace velmora
