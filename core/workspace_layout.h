// The names of a workspace's folders and files, in one place. A workspace folder holds the
// settings file "<name>.stw", logs/ (the stored log files), database/ (the table files),
// reports/ (cached report results, deleted whenever new data arrives), export/ (exported pages),
// parsing.log (the account of the last parse run), while a run is under way its marker, and
// velmora.lock, the file a reader or writer of the database locks so that one writes at a time.
// Stored workspaces are found by these names, so they never change.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kWorkspaceFileExtension = ".stw";
inline constexpr std::string_view kLogsFolder = "logs";
inline constexpr std::string_view kDatabaseFolder = "database";
inline constexpr std::string_view kReportsFolder = "reports";
inline constexpr std::string_view kExportFolder = "export";
inline constexpr std::string_view kParseLogName = "parsing.log";
inline constexpr std::string_view kRunMarkerName = "parse-run.active";
inline constexpr std::string_view kLockFileName = "velmora.lock";

// `name` inside `workspace_folder`, which may or may not end with '/'; an empty folder is the
// current one.
inline std::string WorkspacePath(std::string_view workspace_folder, std::string_view name) {
  std::string path(workspace_folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace velmora
