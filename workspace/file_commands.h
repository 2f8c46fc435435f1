// The workspace commands (new, open, open a recent one) and the choice of the first workspace at
// start-up, which tie the current Workspace to the recent list in the preferences. The recent list
// is stored after every change. Opening another workspace saves the loaded one first.
#pragma once

#include <string>
#include <string_view>

#include "core/result.h"
#include "workspace/command_line.h"
#include "workspace/preferences.h"
#include "workspace/workspace.h"

namespace velmora {

inline constexpr std::string_view kNoWorkspaceLoaded = "No Workspace Loaded";
inline constexpr std::string_view kCantFindWorkspace = "Can't find Workspace";

// The title a front end shows for the current workspace: "[<name>] - Velmora".
std::string WorkspaceTitle(const Workspace& workspace);

// "New Workspace": creates it (Workspace::NewWorkspace) and lists it as the most recent.
Status NewWorkspaceCommand(Workspace& workspace, Preferences& preferences,
                           const NewWorkspaceParams& params);

// "Open Workspace...": saves the loaded workspace, opens `path`, and on success lists it as the
// most recent. A failed open leaves the list alone.
Status OpenWorkspaceCommand(Workspace& workspace, Preferences& preferences,
                            const std::string& path);

// A "Recent Workspaces" entry: a file that is gone shows "Can't find Workspace" and leaves the
// list; otherwise the entry becomes the most recent and is opened. The list is stored either way.
Status OpenRecentWorkspace(Workspace& workspace, Preferences& preferences,
                           const std::string& entry);

// The workspace file start-up opens: the one `path` names (a .stw file or its folder) as a full
// path when `path` is not empty, else the most recent entry of the list, which may be gone. Fails
// with "No Workspace Loaded" (kNoWorkspace) when there is neither.
Result<std::string> StartWorkspaceFile(const Preferences& preferences, std::string_view path);

// Start-up: opens the workspace named by `path` (a .stw file or its folder, made a full path)
// when it is not empty, else the most recent entry of the list. Fails with "No Workspace Loaded"
// when there is neither.
Status OpenStartWorkspace(Workspace& workspace, Preferences& preferences, std::string_view path);

}  // namespace velmora
