// Workspace: the current workspace of a session, its folder, its settings file and its database.
// At most one workspace is current. It is "loaded" while its last open or save succeeded; a
// workspace that is not loaded shows no reports. The time shift (seconds from the server's clock
// to the user's) is recomputed whenever the settings change, so it always matches the two time
// zones. Every change of the settings is saved at once. Messages go through the Prompter under
// the caption "Velmora"; a settings file that fails to read is never written back.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"
#include "core/tick_time.h"
#include "core/workspace_layout.h"
#include "platform/prompter.h"
#include "storage/workspace_database.h"
#include "workspace/settings.h"

namespace velmora {

// Where new workspaces go unless another location is chosen: the documents folder followed by
// "Velmora Workspaces/".
std::string DefaultWorkspaceLocation();

// The `.stw` file a command-line path names: the path itself when it is not a folder; for a
// folder, "<folder name>.stw" inside it, or else its only .stw file.
Result<std::string> FindWorkspaceFile(const std::string& path);

// What the new-workspace wizard collects.
struct NewWorkspaceParams {
  std::string name = "New Workspace";
  std::string location;  // the folder the workspace folder is made in; "" for the default
  // The wizard's pages: server names, default file, log format and custom format, retrieval
  // method and compression, the Fetchlet and FTP pages. The other fields of the block are set to
  // the defaults of a new workspace whatever they hold here.
  SettingsBlock wizard;
};

// The folder NewWorkspace makes for `params`: the location (the default one when empty) as a
// full path, then the name and '/'.
std::string NewWorkspaceFolder(const NewWorkspaceParams& params);
// What NewWorkspace asks before it goes on ("This action will overwrite some files in the\n",
// the location and the name); empty when that folder holds no files or the name is invalid.
std::string OverwriteQuestion(const NewWorkspaceParams& params);

class Workspace {
 public:
  explicit Workspace(Prompter& prompter);
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Creates the folder with logs/ and database/, the database and the settings file, and makes
  // the new workspace current. Shows "The workspace name is invalid", asks before overwriting
  // when the workspace folder holds files (a fresh place is made without a question), shows
  // "Failed to create workspace.\nThe specified path is invalid". A creation that fails part way
  // (no room for the database) removes the folders and files it made.
  Status NewWorkspace(const NewWorkspaceParams& params);
  // Reads and checks `path` (a .stw file), makes it current and loads the report view. A file
  // that cannot be opened fails without a message; a short, alien or damaged one shows
  // "The file '<file name>'\nis not a valid Velmora workspace" and changes nothing but the
  // loaded flag.
  Status OpenWorkspace(const std::string& path);
  // Writes the settings file (through a temporary file renamed over it, so a crash never leaves
  // half a file) and sets the loaded flag to the result. Shows "Can't save workspace" when a
  // write fails; a file that cannot be created fails without a message.
  Status SaveWorkspace();
  // Opens the database for the report view when the workspace is loaded and its "switch to the
  // most recent statistics" setting is on; updates reference_day(). A database that can neither
  // be opened nor reset marks the workspace not loaded.
  void LoadForReports();
  // After the database was created anew: the cached reports go with the data they came from,
  // and the report day is found again.
  void ReloadAfterReset();
  // The end of a session: saves a loaded workspace and closes the database files.
  void Close();

  bool has_workspace() const { return !folder_.empty(); }
  bool loaded() const { return loaded_; }
  const std::string& folder() const { return folder_; }        // ends with '/'
  const std::string& file_name() const { return file_name_; }  // name + ".stw"
  std::string file_path() const { return folder_ + file_name_; }
  const WorkspaceSettings& settings() const { return settings_; }
  int32_t time_shift() const { return time_shift_; }
  // The day the report view counts its periods from, once LoadForReports has found it.
  std::optional<Ticks> reference_day() const { return reference_day_; }
  Prompter& prompter() { return *prompter_; }
  // The workspace's database; null before the first workspace.
  WorkspaceDatabase* database() { return database_.get(); }

  // Every change of the settings (a front end's settings change, `settings set`/`import`, format
  // detection, local import) goes through here: replaces the settings, recomputes the time shift
  // and saves. The workspace name cannot change (the folder and file are named after it).
  Status ChangeSettings(WorkspaceSettings settings);
  Status SetCustomFormat(std::string_view format);
  Status SetLastImportFolder(std::string_view folder);

 private:
  void CloseIdleDatabase();
  void UseFolder(std::string folder);

  Prompter* prompter_;
  std::string folder_;
  std::string file_name_;
  WorkspaceSettings settings_;
  int32_t time_shift_ = 0;
  bool loaded_ = false;
  std::optional<Ticks> reference_day_;
  std::unique_ptr<WorkspaceDatabase> database_;
};

}  // namespace velmora
