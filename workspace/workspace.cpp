#include "workspace/workspace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <vector>

#include "parsing/records/time_zones.h"
#include "parsing/run/run_marker.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/sys_error.h"
#include "reports/frame/report_cache.h"
#include "reports/frame/report_day.h"
#include "workspace/settings_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kInvalidName = "The workspace name is invalid";
constexpr std::string_view kOverwriteQuestion = "This action will overwrite some files in the\n";
constexpr std::string_view kFailedToCreate =
    "Failed to create workspace.\nThe specified path is invalid";
constexpr std::string_view kCannotSave = "Can't save workspace";

// Settings files are a few kilobytes; anything far larger is not one, and is not read whole.
constexpr std::uintmax_t kMaxSettingsFileSize = 16u << 20;

Error Shown(std::string_view text) { return Error{0, std::string(text), ErrorKind::kShownToUser}; }

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// Seeds the password filler: the tick count, as the filler only needs to differ between saves.
uint32_t PaddingSeed() { return static_cast<uint32_t>(SteadyNow().time_since_epoch().count()); }

// The block a new workspace starts from: the wizard's values, with every setting the wizard does
// not show at its default.
SettingsBlock NewBlock(const NewWorkspaceParams& params) {
  const SettingsBlock defaults;
  SettingsBlock block = params.wizard;
  block.session_timeout = defaults.session_timeout;
  block.server_time_zone = defaults.server_time_zone;
  block.your_time_zone = defaults.your_time_zone;
  block.switch_to_recent = defaults.switch_to_recent;
  block.flags = defaults.flags;
  block.export_limit = defaults.export_limit;
  block.combined_export_limit = defaults.combined_export_limit;
  block.open_exported_report = defaults.open_exported_report;
  block.workspace_name = params.name;
  return block;
}

// Reads a whole file of at most kMaxSettingsFileSize bytes; nullopt (errno kept) when it cannot
// be opened, an empty result when it is too large to be a settings file.
std::optional<std::vector<uint8_t>> ReadSettingsFile(const std::string& path, int& error) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    error = EISDIR;
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = errno != 0 ? errno : ENOENT;
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size > kMaxSettingsFileSize) return bytes;
  bytes.resize(static_cast<size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

bool HoldsFiles(const std::string& folder) {
  std::error_code ec;
  return fs::is_directory(folder, ec) && !fs::is_empty(folder, ec);
}

// A full path, so that the recent list and later runs find the workspace from any folder.
std::string NewLocation(const NewWorkspaceParams& params) {
  return WithSlash(
      fs::absolute(params.location.empty() ? DefaultWorkspaceLocation() : params.location)
          .lexically_normal()
          .string());
}

// What creating a workspace adds to the disk, so that a creation that fails part way takes it
// away again: the outermost folder it makes, or, in a folder that was there, the parts it adds.
class NewPaths {
 public:
  explicit NewPaths(const std::string& folder) {
    std::error_code ec;
    fs::path missing;
    for (fs::path p = fs::path(folder).parent_path(); !p.empty() && !fs::exists(p, ec);
         p = p.parent_path()) {
      missing = p;
      if (p == p.parent_path()) break;
    }
    if (!missing.empty()) {
      added_.push_back(missing);
      return;
    }
    for (std::string_view part : {kLogsFolder, kDatabaseFolder}) {
      const fs::path path = WorkspacePath(folder, part);
      if (!fs::exists(path, ec)) added_.push_back(path);
    }
  }
  void Remove() const {
    std::error_code ec;
    for (const fs::path& path : added_) fs::remove_all(path, ec);
  }

 private:
  std::vector<fs::path> added_;
};

}  // namespace

std::string DefaultWorkspaceLocation() {
  return WithSlash(DocumentsFolder()) + "Velmora Workspaces/";
}

Result<std::string> FindWorkspaceFile(const std::string& path) {
  std::error_code ec;
  if (!fs::is_directory(path, ec)) return path;
  const fs::path folder = fs::path(path).lexically_normal();
  fs::path name = folder.has_filename() ? folder.filename() : folder.parent_path().filename();
  const fs::path named = folder / (name.string() + std::string(kWorkspaceFileExtension));
  if (fs::is_regular_file(named, ec)) return named.string();
  std::vector<fs::path> found;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == kWorkspaceFileExtension) found.push_back(it->path());
  }
  if (found.size() == 1) return found.front().string();
  return Error{0, "No single workspace file (*.stw) in '" + path + "'"};
}

Workspace::Workspace(Prompter& prompter) : prompter_(&prompter) {}

std::string NewWorkspaceFolder(const NewWorkspaceParams& params) {
  return NewLocation(params) + params.name + "/";
}

std::string OverwriteQuestion(const NewWorkspaceParams& params) {
  // Only files that are there can be overwritten: a fresh place needs no question, which also
  // lets a script without a terminal create a workspace.
  if (!IsValidWorkspaceName(params.name) || !HoldsFiles(NewWorkspaceFolder(params))) return {};
  return std::string(kOverwriteQuestion) + NewLocation(params) + params.name;
}

Workspace::~Workspace() = default;

void Workspace::CloseIdleDatabase() {
  if (database_ && database_->use_count() == 0) database_->CloseNow();
}

void Workspace::UseFolder(std::string folder) {
  if (!database_ || database_->workspace_folder() != folder) {
    database_ = std::make_unique<WorkspaceDatabase>(*prompter_, folder);
  }
  folder_ = std::move(folder);
  reference_day_.reset();
}

Status Workspace::NewWorkspace(const NewWorkspaceParams& params) {
  CloseIdleDatabase();
  if (!IsValidWorkspaceName(params.name)) {
    prompter_->ShowError(kAppCaption, kInvalidName);
    return Shown(kInvalidName);
  }
  const std::string folder = NewWorkspaceFolder(params);
  if (const std::string question = OverwriteQuestion(params); !question.empty()) {
    if (prompter_->Ask(kAppCaption, question, PromptButtons::kYesNo, PromptIcon::kWarning) !=
        PromptAnswer::kYes) {
      return Shown("The new workspace was not created");
    }
  }

  WorkspaceSettings settings = NewWorkspaceSettings(params.name);
  settings.block = NewBlock(params);
  std::error_code ec;
  const std::string logs = WorkspacePath(folder, kLogsFolder);
  const std::string database = WorkspacePath(folder, kDatabaseFolder);
  NewPaths made(folder);
  fs::create_directories(logs, ec);
  if (!ec) fs::create_directory(database, ec);
  if (ec || !fs::is_directory(logs) || !fs::is_directory(database)) {
    made.Remove();
    prompter_->ShowError(kAppCaption, kFailedToCreate);
    return Shown(kFailedToCreate);
  }

  UseFolder(folder);
  file_name_ = params.name + std::string(kWorkspaceFileExtension);
  settings_ = std::move(settings);
  time_shift_ = TimeOffset(settings_.block.server_time_zone, settings_.block.your_time_zone);
  loaded_ = false;

  Status status;
  if (!database_->Create()) {
    status = Shown("Cannot create database");
  } else {
    database_->Release();
    status = SaveWorkspace();
  }
  if (!status.ok()) {
    // A workspace without its database or settings file could only be opened to fail later.
    database_->CloseNow();
    made.Remove();
    folder_.clear();
    file_name_.clear();
    return status;
  }
  LoadForReports();
  return {};
}

Status Workspace::OpenWorkspace(const std::string& path) {
  CloseIdleDatabase();
  const fs::path full = fs::absolute(fs::path(path)).lexically_normal();
  int error = 0;
  std::optional<std::vector<uint8_t>> bytes = ReadSettingsFile(full.string(), error);
  if (!bytes) {
    loaded_ = false;
    return Error{error, "Can't open workspace '" + full.string() + "': " + SystemErrorText(error)};
  }
  Result<WorkspaceSettings> settings = DecodeWorkspaceFile(*bytes);
  if (!settings.ok()) {
    loaded_ = false;
    const std::string text =
        "The file '" + full.filename().string() + "'\nis not a valid Velmora workspace";
    prompter_->ShowError(kAppCaption, text);
    return Shown(text);
  }

  UseFolder(WithSlash(full.parent_path().string()));
  file_name_ = full.filename().string();
  settings_ = std::move(settings).value();
  time_shift_ = TimeOffset(settings_.block.server_time_zone, settings_.block.your_time_zone);
  loaded_ = true;
  // Before anything reads the tables: a run that died may have left them half written.
  if (const Result<bool> undone = RecoverInterruptedRun(*database_); !undone.ok()) {
    prompter_->ShowError(kAppCaption, std::string(kCannotUndoRun) + undone.error().message);
  } else if (undone.value()) {
    prompter_->Ask(kAppCaption, kRunUndone, PromptButtons::kOk, PromptIcon::kInformation);
  }
  LoadForReports();
  return {};
}

Status Workspace::SaveWorkspace() {
  if (!has_workspace()) return Error{0, "No Workspace Loaded"};
  const std::string target = file_path();
  const std::string bytes = EncodeWorkspaceFile(settings_, PaddingSeed());
  std::random_device random;
  const std::string temp = target + ".tmp-" + std::to_string(random());

  std::ofstream out(temp, std::ios::binary | std::ios::trunc);
  if (!out) {
    const int error = errno;
    loaded_ = false;
    return Error{error, "Can't create '" + temp + "': " + SystemErrorText(error)};
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  std::error_code ec;
  if (out.fail()) {
    ec = std::error_code(EIO, std::generic_category());
  } else {
    // Keep the permissions the user gave the file: it holds the passwords.
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::is_regular_file(old)) fs::permissions(temp, old.permissions(), ec);
    ec.clear();
    fs::rename(temp, target, ec);
  }
  if (ec) {
    fs::remove(temp, ec);
    loaded_ = false;
    prompter_->ShowError(kAppCaption, kCannotSave);
    return Shown(kCannotSave);
  }
  loaded_ = true;
  return {};
}

void Workspace::LoadForReports() {
  if (!loaded_ || !database_ || settings_.block.switch_to_recent == 0) return;
  const ReportLoad load = velmora::LoadForReports(
      *database_, *prompter_, ZoneOffsetMinutes(settings_.block.your_time_zone), UtcNowTicks());
  if (load.outcome == ReportLoad::Outcome::kNotLoaded) {
    loaded_ = false;
    return;
  }
  reference_day_ = load.reference_day;
}

void Workspace::ReloadAfterReset() {
  InvalidateReportCaches(folder_);
  LoadForReports();
}

void Workspace::Close() {
  if (loaded_) (void)SaveWorkspace();
  if (database_) database_->CloseNow();
}

Status Workspace::ChangeSettings(WorkspaceSettings settings) {
  if (!has_workspace()) return Error{0, "No Workspace Loaded"};
  if (settings.block.workspace_name != settings_.block.workspace_name) {
    return Error{0, "The workspace name cannot be changed"};
  }
  settings_ = std::move(settings);
  time_shift_ = TimeOffset(settings_.block.server_time_zone, settings_.block.your_time_zone);
  return SaveWorkspace();
}

Status Workspace::SetCustomFormat(std::string_view format) {
  WorkspaceSettings updated = settings_;
  updated.block.custom_format = std::string(format.substr(0, kCustomFormatFieldSize - 1));
  return ChangeSettings(std::move(updated));
}

Status Workspace::SetLastImportFolder(std::string_view folder) {
  WorkspaceSettings updated = settings_;
  updated.last_import_folder = std::string(folder);
  return ChangeSettings(std::move(updated));
}

}  // namespace velmora
