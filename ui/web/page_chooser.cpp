#include "ui/web/page_chooser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/workspace_layout.h"
#include "platform/desktop.h"

namespace velmora::web {
namespace {

constexpr std::string_view kLocalTitle = "Import Local Log Files";
constexpr std::string_view kLocalFrom = "Import Local Log Files from ";

struct Box {
  const char* key;
  const char* text;
  uint32_t bit;
  std::optional<bool> ChooserBoxes::*field;
};
constexpr Box kRename{"rename", "Automatically rename received files", kRetrieveRename,
                      &ChooserBoxes::rename};
constexpr Box kRemoveSource{"remove_source", "Remove source files", kRetrieveRemoveSource,
                            &ChooserBoxes::remove_source};
constexpr Box kRemoveFromFtp{"remove_from_server", "Remove received files from FTP",
                             kRetrieveRemoveFromServer, &ChooserBoxes::remove_from_server};
constexpr Box kParse{"parse", "Parse new log files", kRetrieveParse, &ChooserBoxes::parse};

std::vector<Box> BoxesOf(bool local, RetrieveMethod method) {
  if (local) return {kRename, kRemoveSource, kParse};
  if (method == RetrieveMethod::kFtp) return {kRename, kRemoveFromFtp, kParse};
  return {kParse, kRename};
}

// A folder that is not there lists the documents folder, as the first listing does.
std::string ListedFolder(const std::string& folder) {
  std::error_code ec;
  std::string listed =
      !folder.empty() && std::filesystem::is_directory(folder, ec) ? folder : DocumentsFolder();
  if (listed.empty() || listed.back() != '/') listed += '/';
  return listed;
}

nlohmann::json FilesJson(const std::vector<LogCandidate>& candidates) {
  nlohmann::json files = nlohmann::json::array();
  for (const LogCandidate& c : candidates) files.push_back({{"name", c.name}, {"new", c.is_new}});
  return files;
}

}  // namespace

ImportChooser PageChooser(PageQuestions& questions, Session& session, ChooserBoxes& boxes) {
  return [&questions, &session, &boxes](
             const std::string& title,
             const std::vector<LogCandidate>& offered) -> std::optional<std::vector<std::string>> {
    const bool local = title.starts_with(kLocalTitle);
    const WorkspaceSettings& settings = session.workspace().settings();
    const std::string logs = WorkspacePath(session.workspace().folder(), kLogsFolder);
    const std::vector<Box> shown = BoxesOf(local, settings.block.retrieve_method);
    const std::string first_folder =
        local && title.starts_with(kLocalFrom) ? title.substr(kLocalFrom.size()) : std::string();
    std::string folder = local ? ListedFolder(first_folder) : std::string();
    std::vector<LogCandidate> candidates = offered;
    for (;;) {
      nlohmann::json box_list = nlohmann::json::array();
      for (const Box& box : shown) {
        box_list.push_back({{"key", box.key},
                            {"text", box.text},
                            {"checked", (settings.block.retrieval_options & box.bit) != 0}});
      }
      const std::optional<nlohmann::json> answer =
          questions.Ask({{"kind", "chooser"},
                         {"title", local ? std::string(kLocalTitle) : "Files on server"},
                         {"local", local},
                         {"folder", folder},
                         {"files", FilesJson(candidates)},
                         {"boxes", std::move(box_list)},
                         {"ok", local ? "Import" : "Download"}});
      if (!answer || !answer->is_object() || answer->value("cancel", false)) return std::nullopt;
      const auto browsed = answer->find("folder");
      if (local && browsed != answer->end() && browsed->is_string()) {
        folder = ListedFolder(browsed->get<std::string>());
        candidates = ListLogFolder(folder, logs);
        continue;
      }
      const auto files = answer->find("files");
      if (files == answer->end() || !files->is_array()) return std::nullopt;
      std::vector<std::string> chosen;
      for (const nlohmann::json& name : *files) {
        if (!name.is_string()) continue;
        const std::string& text = name.get_ref<const std::string&>();
        if (std::any_of(candidates.begin(), candidates.end(),
                        [&](const LogCandidate& c) { return c.name == text; })) {
          chosen.push_back(text);
        }
      }
      const auto ticked = answer->find("boxes");
      for (const Box& box : shown) {
        if (ticked != answer->end() && ticked->is_object() && ticked->contains(box.key) &&
            (*ticked)[box.key].is_boolean()) {
          boxes.*box.field = (*ticked)[box.key].get<bool>();
        }
      }
      if (local && ListedFolder(first_folder) != folder) boxes.folder = folder;
      return chosen;
    }
  };
}

}  // namespace velmora::web
