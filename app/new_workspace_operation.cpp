#include "app/new_workspace_operation.h"

#include <algorithm>
#include <array>

#include "workspace/file_commands.h"
#include "workspace/settings_keys.h"

namespace velmora {
namespace {

// By page: general, log format, retrieval, the Fetchlet page, the FTP page.
constexpr std::array<std::string_view, 19> kWizardKeys = {
    "server-names",      "default-file",  "log-format-mode",    "custom-format", "retrieve-method",
    "local-compression", "http-server",   "fetchlet-path",      "http-log-path", "http-user",
    "http-password",     "fetchlet-gzip", "http-files-to-keep", "ftp-server",    "ftp-port",
    "ftp-log-path",      "ftp-login",     "ftp-password",       "passive-ftp",
};

Error Refused(std::string text) { return Error{0, std::move(text), ErrorKind::kBadRequest}; }

}  // namespace

std::span<const std::string_view> WizardSettingKeys() { return kWizardKeys; }

Result<NewWorkspaceParams> CheckNewWorkspace(const NewWorkspaceValues& values) {
  WorkspaceSettings checked = NewWorkspaceSettings(values.name);
  for (const auto& [key, value] : values.settings) {
    if (std::find(kWizardKeys.begin(), kWizardKeys.end(), key) == kWizardKeys.end()) {
      return Refused(key +
                     " is not set when a workspace is made; change it afterwards in the "
                     "workspace's settings");
    }
    if (Status set = SetSetting(checked, key, value); !set.ok()) {
      return Refused(set.error().message);
    }
  }
  if (checked.block.log_format_mode == LogFormatMode::kCustom &&
      checked.block.custom_format.empty()) {
    return Refused("the custom log format needs the format itself (custom-format)");
  }
  NewWorkspaceParams params;
  params.name = values.name;
  params.location = values.location;
  params.wizard = checked.block;
  return params;
}

Result<NewWorkspaceMade> CreateWorkspace(Prompter& prompter, Preferences& preferences,
                                         const NewWorkspaceParams& params) {
  // A workspace of its own: a creation that fails leaves whatever the front end has open as it
  // was, and the new one is opened afterwards like any other, under its lock.
  Workspace made(prompter);
  const Status status = NewWorkspaceCommand(made, preferences, params);
  if (WorkspaceDatabase* db = made.database()) db->CloseNow();
  if (!status.ok()) return status.error();
  return NewWorkspaceMade{made.folder(), made.file_path()};
}

}  // namespace velmora
