#include "workspace/file_commands.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "platform/prompter.h"
#include "workspace/recent_list.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

void SaveIfLoaded(Workspace& workspace) {
  if (workspace.loaded()) (void)workspace.SaveWorkspace();
}

void ListAsMostRecent(Preferences& preferences, const std::string& path) {
  RecentList recent = RecentList::Load(preferences);
  recent.Add(path);
  recent.Store(preferences);
}

}  // namespace

std::string WorkspaceTitle(const Workspace& workspace) {
  return "[" + workspace.settings().block.workspace_name + "] - " + std::string(kAppCaption);
}

Status NewWorkspaceCommand(Workspace& workspace, Preferences& preferences,
                           const NewWorkspaceParams& params) {
  Status status = workspace.NewWorkspace(params);
  if (status.ok()) ListAsMostRecent(preferences, workspace.file_path());
  return status;
}

Status OpenWorkspaceCommand(Workspace& workspace, Preferences& preferences,
                            const std::string& path) {
  SaveIfLoaded(workspace);
  Status status = workspace.OpenWorkspace(path);
  if (status.ok()) ListAsMostRecent(preferences, workspace.file_path());
  return status;
}

Status OpenRecentWorkspace(Workspace& workspace, Preferences& preferences,
                           const std::string& entry) {
  RecentList recent = RecentList::Load(preferences);
  std::error_code ec;
  if (!fs::exists(entry, ec)) {
    workspace.prompter().ShowError(kAppCaption, kCantFindWorkspace);
    recent.Remove(entry);
    recent.Store(preferences);
    return Error{0, std::string(kCantFindWorkspace), ErrorKind::kShownToUser};
  }
  recent.Add(entry);
  SaveIfLoaded(workspace);
  Status status = workspace.OpenWorkspace(entry);
  recent.Store(preferences);
  return status;
}

Result<std::string> StartWorkspaceFile(const Preferences& preferences, std::string_view path) {
  if (!path.empty()) {
    Result<std::string> file = FindWorkspaceFile(std::string(path));
    if (!file.ok()) return file.error();
    return fs::absolute(fs::path(file.value())).lexically_normal().string();
  }
  std::optional<std::string> recent = RecentList::Load(preferences).MostRecent();
  if (!recent) return Error{0, std::string(kNoWorkspaceLoaded), ErrorKind::kNoWorkspace};
  return std::move(*recent);
}

Status OpenStartWorkspace(Workspace& workspace, Preferences& preferences, std::string_view path) {
  const Result<std::string> file = StartWorkspaceFile(preferences, path);
  if (!file.ok()) return file.error();
  return path.empty() ? OpenRecentWorkspace(workspace, preferences, file.value())
                      : OpenWorkspaceCommand(workspace, preferences, file.value());
}

}  // namespace velmora
