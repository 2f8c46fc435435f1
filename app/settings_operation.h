// The "Workspace settings" dialog as a front end edits it: the settings it shows and the change
// it sends back on OK. A change passes the checks of `velmora settings set` for every value and of
// a settings import for the resource rules and log filters, as one whole: a refused value names
// its setting and nothing changes. An accepted change recomputes the time shift and is saved at
// once (Workspace::ChangeSettings).
//
// The passwords never travel to the front end: it learns whether each is set, and sends one only
// when the user typed a new one (an empty text then clears it).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/result.h"
#include "workspace/workspace.h"

namespace velmora {

// SettingsToJson's document without "ftp-password" and "http-password", with
// "ftp-password-set" and "http-password-set" in their place and the time zones' names in table
// order as "time-zones".
nlohmann::json SettingsDialogJson(const WorkspaceSettings& settings);

struct SettingsChangeOutcome {
  Status status;                 // kBadRequest for a refused change, else the save's result
  std::string field;             // the setting refused ("session-timeout", "log-filters"), or ""
  bool parsing_changed = false;  // a value that decides how logs are parsed changed
};

// Applies `change`, an object of setting keys (numbers or texts, as `settings set` takes them)
// and "resource-masks" / "log-filters" (each the whole list); absent keys keep their values.
// Refuses, changing nothing, a key the dialog does not edit (the filter bar, the workspace name),
// a value out of range, or a rule or filter that does not check.
SettingsChangeOutcome ChangeWorkspaceSettings(Workspace& workspace, const nlohmann::json& change);

}  // namespace velmora
