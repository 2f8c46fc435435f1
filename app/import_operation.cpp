#include "app/import_operation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/database_operations.h"
#include "app/ftp_retrieval.h"
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

uint32_t WithBit(uint32_t bits, uint32_t bit, std::optional<bool> value) {
  if (!value) return bits;
  return *value ? (bits | bit) : (bits & ~bit);
}

// The source file's name as the folder spells it (listing lower-cases names).
std::string SourcePath(const std::string& folder, const std::string& lower_name) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == lower_name) return it->path().string();
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
  if (request.by_retrieval_method &&
      settings.block.retrieve_method != RetrieveMethod::kLocalDirectory) {
    return Error{0,
                 "this workspace gets its logs through Fetchlet, which this version cannot do "
                 "yet; 'velmora import --from DIR' brings files from a folder, or 'velmora "
                 "settings set retrieve-method local'"};
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

  std::vector<std::string> chosen;
  if (!request.files.empty()) {
    for (const std::string& file : request.files) {
      std::string lower = fs::path(file).filename().string();
      for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
      const bool listed = std::any_of(candidates.begin(), candidates.end(),
                                      [&](const LogCandidate& c) { return c.name == lower; });
      if (!listed) {
        std::string names;
        for (const LogCandidate& c : candidates) names += (names.empty() ? "" : ", ") + c.name;
        return Error{0,
                     "'" + file + "' is not a log file of " + result.folder +
                         (names.empty() ? " (it holds none)" : "; its logs are " + names),
                     ErrorKind::kBadRequest};
      }
      chosen.push_back(lower);
    }
  } else if (request.all_new) {
    for (const LogCandidate& c : candidates) {
      if (c.is_new) chosen.push_back(c.name);
    }
  } else if (!candidates.empty() && chooser) {
    std::optional<std::vector<std::string>> picked =
        chooser("Import Local Log Files from " + result.folder, candidates);
    if (!picked) {
      result.cancelled = true;
      return result;
    }
    chosen = std::move(*picked);
  }
  if (chosen.empty()) {
    if (std::none_of(candidates.begin(), candidates.end(),
                     [](const LogCandidate& c) { return c.is_new; })) {
      result.notes.push_back("No new log files in this folder");
    }
    return result;
  }
  std::sort(chosen.begin(), chosen.end());

  uint32_t& options = settings.block.retrieval_options;
  options = WithBit(options, kRetrieveParse, request.parse);
  options = WithBit(options, kRetrieveRename, request.rename);
  options = WithBit(options, kRetrieveRemoveSource, request.remove_source);
  const bool rename = (options & kRetrieveRename) != 0;

  std::unique_ptr<StoreFiles> files = DiskStoreFiles();
  WorkspaceDatabase& db = *workspace.database();
  StoreContext context;
  context.settings = {logs, static_cast<StoreCompression>(settings.block.local_compression),
                      static_cast<LogFormatMode>(settings.block.log_format_mode),
                      settings.block.custom_format};
  context.prompter = &session.prompter();
  context.files = files.get();
  context.is_parsed = [&](std::string_view name) { return db.IsLogParsed(name).value_or(false); };
  context.now = [] { return UtcNowTicks(); };
  YesToAll yes_to_all = 0;
  bool replaced_parsed = false;
  const std::string kinds = std::string(CompressionName(context.settings.compression));
  for (size_t i = 0; i < chosen.size(); ++i) {
    const std::string status =
        "Reading file " + std::to_string(i + 1) + " of " + std::to_string(chosen.size());
    const std::string detail =
        "Saving file " + chosen[i] + " (R:" + (rename ? "Yes" : "No") + " C:" + kinds + ")";
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
    switch (stored.outcome) {
      case StoreOutcome::kStored:
        ++result.stored;
        if (options & kRetrieveRemoveSource) fs::remove(source, ec);
        break;
      case StoreOutcome::kTooShort:
        ++result.skipped;
        result.notes.push_back(chosen[i] + ": skipped, it holds fewer than 10 bytes");
        break;
      case StoreOutcome::kKept:
        ++result.kept;
        result.notes.push_back(chosen[i] + ": kept the stored file of that name");
        break;
      case StoreOutcome::kFailed:
        ++result.failed;
        session.prompter().ShowError(kAppCaption, "Failed to save log file. Unexpected error");
        result.notes.push_back(chosen[i] + ": not stored (" + stored.error + ")");
        break;
    }
  }
  settings.last_import_folder = result.folder;
  if (Status saved = workspace.ChangeSettings(settings); !saved.ok()) return saved.error();
  result.parse = (options & kRetrieveParse) != 0 && result.stored > 0 && !result.cancelled;
  if (replaced_parsed) {
    // The database holds the data of a file that was just replaced.
    if (Status removed = RemoveAllParsedData(session, path); !removed.ok()) {
      result.notes.push_back("the parsed data of the replaced file stays until 'velmora reset'");
    }
  }
  return result;
}

}  // namespace velmora
