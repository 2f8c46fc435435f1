#include "app/retrieval_steps.h"

#include <algorithm>
#include <unordered_set>

#include "app/database_operations.h"
#include "core/ascii.h"
#include "platform/clock.h"

namespace velmora {

uint32_t WithBit(uint32_t bits, uint32_t bit, std::optional<bool> value) {
  if (!value) return bits;
  return *value ? (bits | bit) : (bits & ~bit);
}

ImportRequest WithChosenBoxes(const ImportRequest& request) {
  ImportRequest chosen = request;
  if (!request.boxes) return chosen;
  const ChooserBoxes& boxes = *request.boxes;
  if (boxes.rename) chosen.rename = boxes.rename;
  if (boxes.remove_source) chosen.remove_source = boxes.remove_source;
  if (boxes.remove_from_server) chosen.remove_from_server = boxes.remove_from_server;
  if (boxes.parse) chosen.parse = boxes.parse;
  return chosen;
}

Result<FileChoice> ChooseFiles(const std::vector<std::string>& names, bool all_new,
                               const std::vector<LogCandidate>& candidates,
                               const ImportChooser& chooser, const std::string& title,
                               const std::function<Error(const std::string& name)>& unknown,
                               bool ask_when_empty) {
  FileChoice choice;
  if (!names.empty()) {
    for (const std::string& name : names) {
      if (std::none_of(candidates.begin(), candidates.end(),
                       [&](const LogCandidate& c) { return c.name == name; })) {
        return unknown(name);
      }
      choice.names.push_back(name);
    }
  } else if (all_new) {
    for (const LogCandidate& c : candidates) {
      if (c.is_new) choice.names.push_back(c.name);
    }
  } else if ((!candidates.empty() || ask_when_empty) && chooser) {
    std::optional<std::vector<std::string>> picked = chooser(title, candidates);
    if (!picked) {
      choice.cancelled = true;
      return choice;
    }
    choice.names = std::move(*picked);
  }
  std::sort(choice.names.begin(), choice.names.end());
  return choice;
}

namespace {

// A listed name only ever names a file in the log folder: anything that could climb out of it
// or confuse a terminal is not offered.
bool AcceptableName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
}

}  // namespace

InternetTimeouts InternetTimeoutsFrom(const Preferences& preferences) {
  InternetTimeouts timeouts;
  const auto take = [&](std::string_view name, int& seconds) {
    const std::optional<int64_t> value = preferences.GetNumber(kAppSection, name);
    if (value && *value >= 1 && *value <= 3600) seconds = static_cast<int>(*value);
  };
  take(kFtpConnectTimeoutName, timeouts.connect_seconds);
  take(kFtpStallTimeoutName, timeouts.stall_seconds);
  return timeouts;
}

std::string TransferDetail(const std::string& object, int phase, int64_t so_far, int64_t total) {
  if (phase == 0) return "Connecting to host...";
  if (phase == 1) return "Connected";
  if (total >= 0) {
    return object + ": " + std::to_string(so_far) + " of " + std::to_string(total) + " bytes read";
  }
  return object + ": " + std::to_string(so_far) + " bytes read";
}

std::vector<ListedFile> ListedFiles(std::string_view listing, const std::string& logs_folder) {
  std::vector<ListedFile> files;
  // One pass over logs/ and a set of the names seen, so that a long hostile list stays linear.
  const std::unordered_set<std::string> stored = StoredNames(logs_folder);
  std::unordered_set<std::string_view> names;
  while (!listing.empty()) {
    const size_t end = listing.find_first_of("\r\n");
    std::string_view line = listing.substr(0, std::min<size_t>(end, 1024));
    listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
    constexpr std::string_view kBlanks = " \t\r\n";
    const size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) continue;
    line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
    const size_t slash = line.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? line : line.substr(slash + 1);
    if (!AcceptableName(name)) continue;
    if (!names.insert(name).second) continue;
    std::string base = AsciiLowered(name);
    if (const size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);
    files.push_back({{std::string(name), !stored.contains(base)}, std::string(line)});
  }
  std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
    return AsciiLowered(a.candidate.name) > AsciiLowered(b.candidate.name);
  });
  return files;
}

std::vector<LogCandidate> CandidatesOf(const std::vector<ListedFile>& files) {
  std::vector<LogCandidate> candidates;
  candidates.reserve(files.size());
  for (const ListedFile& file : files) candidates.push_back(file.candidate);
  return candidates;
}

Result<FileChoice> ChooseServerFiles(const ImportRequest& request,
                                     const std::vector<LogCandidate>& candidates,
                                     const ImportChooser& chooser, const std::string& where) {
  return ChooseFiles(
      request.files, request.all_new, candidates, chooser, "Files on server",
      [&](const std::string& name) {
        return Error{0, "'" + name + "' is not in the list of " + where, ErrorKind::kBadRequest};
      });
}

StoreContext StoreContextFor(Session& session, const std::string& logs_folder, StoreFiles& files) {
  const SettingsBlock& block = session.workspace().settings().block;
  WorkspaceDatabase& db = *session.workspace().database();
  StoreContext context;
  context.settings = {logs_folder, static_cast<StoreCompression>(block.local_compression),
                      block.log_format_mode, block.custom_format};
  context.prompter = &session.prompter();
  context.files = &files;
  context.is_parsed = [&db](std::string_view name) { return db.IsLogParsed(name).value_or(false); };
  context.now = [] { return UtcNowTicks(); };
  return context;
}

std::string SavingDetail(const std::string& name, bool rename, StoreCompression compression) {
  return "Saving file " + name + " (R:" + (rename ? "Yes" : "No") +
         " C:" + std::string(CompressionName(compression)) + ")";
}

bool AccountFor(const StoreResult& stored, const std::string& name, Session& session,
                ImportResult& result) {
  switch (stored.outcome) {
    case StoreOutcome::kStored:
      ++result.stored;
      return true;
    case StoreOutcome::kTooShort:
      ++result.skipped;
      result.notes.push_back(name + ": skipped, it holds fewer than 10 bytes");
      return false;
    case StoreOutcome::kKept:
      ++result.kept;
      result.notes.push_back(name + ": kept the stored file of that name");
      return false;
    case StoreOutcome::kFailed:
      break;
  }
  ++result.failed;
  session.prompter().ShowError(kAppCaption, "Failed to save log file. Unexpected error");
  result.notes.push_back(name + ": not stored (" + stored.error + ")");
  return false;
}

FetchOutcome FetchOutcomeOf(int code, const std::string& name, const InternetClient& client,
                            ImportResult& result) {
  if (code == kInternetOk) return FetchOutcome::kFetched;
  if (code == kInternetCancelled) return FetchOutcome::kCancelled;
  ++result.failed;
  std::string why = InternetErrorText(code);
  if (!client.last_detail().empty()) why += ", " + client.last_detail();
  result.notes.push_back(name + ": not retrieved (" + why + ")");
  return FetchOutcome::kFailed;
}

bool FetchAndStoreEach(Session& session, const std::string& logs_folder,
                       const std::vector<std::string>& chosen, bool rename, std::string& status,
                       const ImportProgress& progress, const FetchFile& fetch,
                       const std::function<void(const std::string& name)>& stored_file,
                       ImportResult& result) {
  std::unique_ptr<StoreFiles> files = DiskStoreFiles();
  StoreContext context = StoreContextFor(session, logs_folder, *files);
  context.detail = [&](const std::string& text) { progress(status, text); };
  YesToAll yes_to_all = 0;
  bool replaced_parsed = false;
  for (size_t i = 0; i < chosen.size(); ++i) {
    status = "Reading file " + std::to_string(i + 1) + " of " + std::to_string(chosen.size());
    if (!progress(status, "")) {
      result.cancelled = true;
      break;
    }
    std::vector<uint8_t> data;
    const FetchOutcome fetched = fetch(chosen[i], data);
    if (fetched == FetchOutcome::kCancelled) {
      result.cancelled = true;
      break;
    }
    if (fetched == FetchOutcome::kFailed) continue;
    progress(status, SavingDetail(chosen[i], rename, context.settings.compression));
    const StoreResult stored = StoreLog(context, chosen[i], data, rename, yes_to_all);
    replaced_parsed |= stored.replaced_parsed;
    if (AccountFor(stored, chosen[i], session, result) && stored_file) stored_file(chosen[i]);
  }
  return replaced_parsed;
}

void NoteNothingChosen(const std::vector<LogCandidate>& candidates, const FileChoice& choice,
                       const std::string& nothing_new, ImportResult& result) {
  result.cancelled = choice.cancelled;
  if (!choice.cancelled && std::none_of(candidates.begin(), candidates.end(),
                                        [](const LogCandidate& c) { return c.is_new; })) {
    result.notes.push_back(nothing_new);
  }
}

Result<ImportResult> FinishServerRetrieval(Session& session, std::string_view path,
                                           const WorkspaceSettings& settings, uint32_t old_options,
                                           bool replaced_parsed, ImportResult result) {
  const uint32_t options = settings.block.retrieval_options;
  if (options != old_options) {
    if (Status saved = session.workspace().ChangeSettings(settings); !saved.ok()) {
      return saved.error();
    }
  }
  result.parse = (options & kRetrieveParse) != 0 && result.stored > 0 && !result.cancelled;
  if (replaced_parsed) OfferRemoveAll(session, path, result);
  return result;
}

void OfferRemoveAll(Session& session, std::string_view path, ImportResult& result) {
  if (Status removed = RemoveAllParsedData(session, path); !removed.ok()) {
    result.notes.push_back("the parsed data of the replaced file stays until 'velmora reset'");
  }
}

}  // namespace velmora
