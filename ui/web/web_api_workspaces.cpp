// The calls of the File menu's workspace commands: the new-workspace wizard, the folder browser
// and opening a workspace file, each confined to the folders the browser may show.
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/new_workspace_operation.h"
#include "platform/desktop.h"
#include "ui/web/web_api.h"
#include "workspace/recent_list.h"
#include "workspace/settings.h"
#include "workspace/settings_keys.h"

namespace velmora::web {
namespace {

int BrowseStatus(const Error& error) {
  switch (error.code) {
    case EACCES:
      return 403;
    case ENOENT:
      return 404;
    default:
      return 400;
  }
}

bool IsPassword(std::string_view key) { return key == "ftp-password" || key == "http-password"; }

// A setting's value as the page sent it: text, or a number or switch the page kept as one.
std::optional<std::string> ValueText(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
  if (value.is_number_integer()) return std::to_string(value.get<int64_t>());
  return std::nullopt;
}

std::string TextMember(const nlohmann::json& body, const char* name) {
  const auto found = body.find(name);
  return found != body.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

FolderBrowser WebApi::Browser() {
  std::vector<std::string> roots = {HomeFolder()};
  for (const std::string& file : RecentList::Load(session_.preferences()).MostRecentFirst()) {
    roots.push_back(std::filesystem::path(file).parent_path().string());
  }
  return FolderBrowser(roots);
}

ApiReply WebApi::NewWorkspaceDefaults() {
  const WorkspaceSettings defaults = NewWorkspaceSettings(NewWorkspaceParams().name);
  nlohmann::json settings = nlohmann::json::object();
  for (std::string_view key : WizardSettingKeys()) {
    const Result<std::string> value = GetSetting(defaults, key);
    settings[std::string(key)] = IsPassword(key) || !value.ok() ? "" : value.value();
  }
  return Json({{"name", defaults.block.workspace_name},
               {"location", DefaultWorkspaceLocation()},
               {"settings", std::move(settings)}});
}

ApiReply WebApi::NewWorkspace(const nlohmann::json& body) {
  if (!body.is_object()) return Json({{"error", "give the wizard's values as an object"}}, 400);
  NewWorkspaceValues values;
  values.name = TextMember(body, "name");
  values.location = TextMember(body, "location");
  const auto settings = body.find("settings");
  if (settings != body.end() && settings->is_object()) {
    for (const auto& [key, value] : settings->items()) {
      const std::optional<std::string> text = ValueText(value);
      if (!text) return Json({{"error", key + " takes a text or a number"}}, 400);
      values.settings.emplace_back(key, *text);
    }
  }
  const auto confirmed_member = body.find("confirmed");
  const bool confirmed = confirmed_member != body.end() && *confirmed_member == true;

  // A path typed as a shell takes it.
  if (values.location == "~" || values.location.starts_with("~/")) {
    values.location = HomeFolder() + values.location.substr(1);
  }

  std::lock_guard lock(mutex_);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  const Result<std::string> location =
      Browser().Confine(values.location.empty() ? DefaultWorkspaceLocation() : values.location);
  if (!location.ok()) {
    return Json({{"error", location.error().message}}, BrowseStatus(location.error()));
  }
  values.location = location.value();
  const Result<NewWorkspaceParams> params = CheckNewWorkspace(values);
  if (!params.ok()) return Failure(params.error());
  if (!confirmed) {
    if (std::string question = OverwriteQuestion(*params); !question.empty()) {
      return Json({{"question", std::move(question)}});
    }
  }
  // The page has asked the question itself; without it, a question that turns up only now (the
  // folder filled meanwhile) is answered No.
  prompter_.SetConfirmed(confirmed);
  const Result<NewWorkspaceMade> made = CreateWorkspace(prompter_, session_.preferences(), *params);
  prompter_.SetConfirmed(false);
  if (!made.ok()) {
    // Only a refused name sends the person back to the wizard; the other refusals end it.
    if (made.error().kind == ErrorKind::kShownToUser) {
      return Json({{"created", false}, {"retry", !IsValidWorkspaceName(values.name)}});
    }
    return Failure(made.error());
  }
  OpenWorkspace(made->file);
  nlohmann::json state = StateJson();
  state["created"] = true;
  return Json(std::move(state));
}

ApiReply WebApi::Browse(std::string_view path, bool folders_only) {
  std::lock_guard lock(mutex_);
  const FolderBrowser browser = Browser();
  std::error_code ec;
  const std::string home = std::filesystem::canonical(HomeFolder(), ec).string();
  const std::string start = path.empty() ? HomeFolder() : std::string(path);
  const Result<FolderListing> listing =
      browser.List(start, folders_only ? BrowseFor::kFolders : BrowseFor::kWorkspaces);
  if (!listing.ok()) {
    return Json({{"error", listing.error().message}}, BrowseStatus(listing.error()));
  }
  nlohmann::json entries = nlohmann::json::array();
  for (const BrowseEntry& entry : listing->entries) {
    entries.push_back({{"name", entry.name}, {"folder", entry.folder}});
  }
  return Json({{"path", listing->path},
               {"parent", listing->parent ? nlohmann::json(*listing->parent) : nullptr},
               {"entries", std::move(entries)},
               {"cut", listing->cut},
               {"roots", browser.roots()},
               {"home", home.empty() ? nlohmann::json(nullptr) : nlohmann::json(home)}});
}

ApiReply WebApi::OpenFile(const nlohmann::json& body) {
  const std::string path = body.is_object() ? TextMember(body, "path") : std::string();
  std::lock_guard lock(mutex_);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  const Result<std::string> file = Browser().WorkspaceFile(path);
  if (!file.ok()) return Json({{"error", file.error().message}}, BrowseStatus(file.error()));
  OpenWorkspace(file.value());
  return Json(StateJson());
}

}  // namespace velmora::web
