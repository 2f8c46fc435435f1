// The names of a workspace's folders and files, in one place. A workspace folder holds the
// settings file "<name>.stw", logs/ (the stored log files), database/ (the table files),
// reports/ (cached report results, deleted whenever new data arrives), export/ (exported pages),
// parsing.log (the account of the last parse run), while a run is under way its marker and the
// undo copy of the database, and velmora.lock, the file a reader or writer of the database locks
// so that one writes at a time.
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
// In database/: how far each parsed log was read (LogPositions).
inline constexpr std::string_view kLogPositionsName = "LogPositions";
// The parse run's undo copy of database/ (RunJournal): complete, being made, set aside for
// deletion after a commit, and the run's own tables set aside while they are undone.
inline constexpr std::string_view kRunUndoFolder = "database.undo";
inline constexpr std::string_view kRunUndoPartialFolder = "database.undo-partial";
inline constexpr std::string_view kRunUndoDiscardFolder = "database.undo-discard";
inline constexpr std::string_view kRunUndoneFolder = "database.undone";

// `name` inside `workspace_folder`, which may or may not end with '/'; an empty folder is the
// current one.
inline std::string WorkspacePath(std::string_view workspace_folder, std::string_view name) {
  std::string path(workspace_folder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace velmora
