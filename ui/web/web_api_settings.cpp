// The calls of the "Workspace settings" dialog and of "Manage Imported Log Files". The settings
// go to the page without their passwords; the log files' names are the folder's bytes, which the
// reply carries as text (invalid UTF-8 replaced) for the page to show as text.
#include <utility>

#include "app/log_files_operation.h"
#include "app/settings_operation.h"
#include "platform/desktop.h"
#include "ui/web/web_api.h"
#include "workspace/file_commands.h"

namespace velmora::web {

ApiReply WebApi::Settings() {
  std::lock_guard lock(mutex_);
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  return Json(SettingsDialogJson(session_.workspace().settings()));
}

ApiReply WebApi::ChangeSettings(const nlohmann::json& body) {
  std::lock_guard lock(mutex_);
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  // A run writes the settings file (a detected format) and the database the listing reads.
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  SettingsChangeOutcome outcome = ChangeWorkspaceSettings(session_.workspace(), body);
  if (!outcome.status.ok()) {
    if (outcome.status.error().kind != ErrorKind::kBadRequest) {
      return Failure(outcome.status.error());
    }
    return Json({{"error", outcome.status.error().message}, {"field", outcome.field}}, 400);
  }
  nlohmann::json state = StateJson();
  state["parsing_changed"] = outcome.parsing_changed;
  return Json(std::move(state));
}

ApiReply WebApi::LogFiles() {
  std::lock_guard lock(mutex_);
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  // A run writes the settings file (a detected format) and the database the listing reads.
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  Result<std::vector<ImportedLogFile>> listed = ListImportedLogFiles(session_.workspace());
  if (!listed.ok()) return Failure(listed.error());
  nlohmann::json files = nlohmann::json::array();
  for (const ImportedLogFile& file : *listed) {
    files.push_back({{"name", file.name},
                     {"size", file.size},
                     {"compression", LogCompressionName(file.compression)},
                     {"parsed", file.parsed},
                     {"grown", file.grown}});
  }
  return Json({{"folder", LogsFolderOf(session_.workspace())},
               {"desktop", HasDesktop()},
               {"files", std::move(files)}});
}

ApiReply WebApi::OpenLogsFolder() {
  std::lock_guard lock(mutex_);
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  if (!OpenWithDesktop(LogsFolderOf(session_.workspace()))) {
    return Json({{"error", "There is no desktop here to show the folder on"}}, 409);
  }
  return Json({{"opened", true}});
}

}  // namespace velmora::web
