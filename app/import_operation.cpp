#include "app/import_operation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/fetchlet_retrieval.h"
#include "app/ftp_retrieval.h"
#include "app/retrieval_steps.h"
#include "core/ascii.h"
#include "core/workspace_layout.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "retrieval/log_store.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return data;
}

// The source file's name as the folder spells it (listing lower-cases names).
std::string SourcePath(const std::string& folder, const std::string& lower_name) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (AsciiLowered(name) == lower_name) return it->path().string();
  }
  return WorkspacePath(folder, lower_name);
}

}  // namespace

Result<ImportResult> ImportLocal(Session& session, std::string_view path,
                                 const ImportRequest& request, const ImportChooser& chooser,
                                 const ImportProgress& progress) {
  if (Status opened = session.Open(path, DatabaseAccess::kWrite); !opened.ok())
    return opened.error();
  Workspace& workspace = session.workspace();
  WorkspaceSettings settings = workspace.settings();
  if (request.by_retrieval_method && settings.block.retrieve_method == RetrieveMethod::kFtp) {
    return RetrieveFtp(session, path, request, chooser, progress);
  }
  if (request.by_retrieval_method && settings.block.retrieve_method == RetrieveMethod::kFetchlet) {
    return RetrieveFetchlet(session, path, request, chooser, progress);
  }
  ImportResult result;
  result.folder = request.from.value_or(settings.last_import_folder);
  std::error_code ec;
  if (result.folder.empty() || !fs::is_directory(result.folder, ec)) {
    if (request.from) {
      return Error{0, "'" + *request.from + "' is not a folder", ErrorKind::kBadRequest};
    }
    result.folder = DocumentsFolder();
  }
  const std::string logs = WorkspacePath(workspace.folder(), kLogsFolder);
  const std::vector<LogCandidate> candidates = ListLogFolder(result.folder, logs);
  result.listed = static_cast<int>(candidates.size());

  std::vector<std::string> names;
  for (const std::string& file : request.files)
    names.push_back(AsciiLowered(fs::path(file).filename().string()));
  Result<FileChoice> choice = ChooseFiles(
      names, request.all_new, candidates, chooser, "Import Local Log Files from " + result.folder,
      [&](const std::string& name) {
        std::string listed;
        for (const LogCandidate& c : candidates) listed += (listed.empty() ? "" : ", ") + c.name;
        return Error{0,
                     "'" + name + "' is not a log file of " + result.folder +
                         (listed.empty() ? " (it holds none)" : "; its logs are " + listed),
                     ErrorKind::kBadRequest};
      },
      /*ask_when_empty=*/request.boxes != nullptr);
  if (!choice.ok()) return choice.error();
  result.cancelled = choice->cancelled;
  // The chooser's folder field may have named another folder; its names are that folder's.
  if (request.boxes && request.boxes->folder) result.folder = *request.boxes->folder;
  const std::vector<std::string>& chosen = choice->names;
  if (chosen.empty()) {
    if (!result.cancelled && std::none_of(candidates.begin(), candidates.end(),
                                          [](const LogCandidate& c) { return c.is_new; })) {
      result.notes.push_back("No new log files in this folder");
    }
    return result;
  }

  const ImportRequest asked = WithChosenBoxes(request);
  uint32_t& options = settings.block.retrieval_options;
  options = WithBit(options, kRetrieveParse, asked.parse);
  options = WithBit(options, kRetrieveRename, asked.rename);
  options = WithBit(options, kRetrieveRemoveSource, asked.remove_source);
  const bool rename = (options & kRetrieveRename) != 0;

  std::unique_ptr<StoreFiles> files = DiskStoreFiles();
  StoreContext context = StoreContextFor(session, logs, *files);
  YesToAll yes_to_all = 0;
  bool replaced_parsed = false;
  for (size_t i = 0; i < chosen.size(); ++i) {
    const std::string status =
        "Reading file " + std::to_string(i + 1) + " of " + std::to_string(chosen.size());
    const std::string detail = SavingDetail(chosen[i], rename, context.settings.compression);
    context.detail = [&](const std::string& text) { progress(status, text); };
    if (!progress(status, detail)) {
      result.cancelled = true;
      break;
    }
    const std::string source = SourcePath(result.folder, chosen[i]);
    const std::optional<std::vector<uint8_t>> data = ReadWhole(source);
    if (!data || data->empty()) {
      session.prompter().ShowError(kAppCaption, "File \"" + source + "\" was not found");
      ++result.failed;
      continue;
    }
    const StoreResult stored = StoreLog(context, chosen[i], *data, rename, yes_to_all);
    replaced_parsed |= stored.replaced_parsed;
    if (AccountFor(stored, chosen[i], session, result) && (options & kRetrieveRemoveSource)) {
      fs::remove(source, ec);
    }
  }
  settings.last_import_folder = result.folder;
  if (Status saved = workspace.ChangeSettings(settings); !saved.ok()) return saved.error();
  result.parse = (options & kRetrieveParse) != 0 && result.stored > 0 && !result.cancelled;
  if (replaced_parsed) OfferRemoveAll(session, path, result);
  return result;
}

}  // namespace velmora
