#include "app/ftp_retrieval.h"

#include <algorithm>
#include <optional>

#include "app/retrieval_steps.h"
#include "core/ascii.h"
#include "core/workspace_layout.h"
#include "platform/clock.h"
#include "retrieval/internet_client.h"
#include "retrieval/log_store.h"
#include "workspace/preferences.h"

namespace velmora {
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

// A dead server must not hang a retrieval, yet a slow link may need longer than the defaults:
// the user's preferences may set either limit, within reason.
InternetTimeouts TimeoutsFrom(const Preferences& preferences) {
  InternetTimeouts timeouts;
  const auto take = [&](std::string_view name, int& seconds) {
    const std::optional<int64_t> value = preferences.GetNumber(kAppSection, name);
    if (value && *value >= 1 && *value <= 3600) seconds = static_cast<int>(*value);
  };
  take(kFtpConnectTimeoutName, timeouts.connect_seconds);
  take(kFtpStallTimeoutName, timeouts.stall_seconds);
  return timeouts;
}

}  // namespace

std::vector<LogCandidate> FtpCandidates(std::string_view listing, const std::string& logs_folder) {
  std::vector<LogCandidate> candidates;
  while (!listing.empty()) {
    const size_t end = listing.find('\n');
    std::string_view line = listing.substr(0, std::min<size_t>(end, 1024));
    listing = end == std::string_view::npos ? std::string_view() : listing.substr(end + 1);
    constexpr std::string_view kBlanks = " \t\r\n";
    const size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) continue;
    line = line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
    const size_t slash = line.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? line : line.substr(slash + 1);
    if (!AcceptableName(name)) continue;
    if (std::any_of(candidates.begin(), candidates.end(),
                    [&](const LogCandidate& c) { return c.name == name; })) {
      continue;
    }
    std::string base = AsciiLowered(name);
    if (const size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) base.resize(dot);
    candidates.push_back({std::string(name), StoredFilesNamed(logs_folder, base).empty()});
  }
  std::sort(candidates.begin(), candidates.end(), [](const LogCandidate& a, const LogCandidate& b) {
    return AsciiLowered(a.name) > AsciiLowered(b.name);
  });
  return candidates;
}

Result<ImportResult> RetrieveFtp(Session& session, std::string_view path,
                                 const ImportRequest& request, const ImportChooser& chooser,
                                 const ImportProgress& progress) {
  Workspace& workspace = session.workspace();
  WorkspaceSettings settings = workspace.settings();
  const SettingsBlock& block = settings.block;
  ImportResult result;
  result.folder = block.ftp_server + block.ftp_log_path;

  InternetClient client(TimeoutsFrom(session.preferences()));
  std::string status = "Connecting to host...";
  if (!progress(status, "")) {
    result.cancelled = true;
    return result;
  }
  client.SetProgress([&](int phase, int64_t so_far, int64_t total) {
    std::string detail;
    if (phase == 0) {
      detail = "Connecting to host...";
    } else if (phase == 1) {
      detail = "Connected";
    } else if (total >= 0) {
      detail = client.current_object() + ": " + std::to_string(so_far) + " of " +
               std::to_string(total) + " bytes read";
    } else {
      detail = client.current_object() + ": " + std::to_string(so_far) + " bytes read";
    }
    return progress(status, detail);
  });
  int code = client.ConnectFtp(block.ftp_server, block.ftp_port, block.passive_ftp != 0,
                               block.ftp_login, block.ftp_password);
  if (code != kInternetOk) {
    return Error{
        0, InternetErrorText(code) + " (" + block.ftp_server + ": " + client.last_detail() + ")"};
  }
  status = "Reading file list...";
  progress(status, "");
  std::string listing;
  code = client.ListFtp(block.ftp_log_path, listing);
  if (code == kInternetAccessDenied) {
    return Error{0, "Access is forbidden or authorization required"};
  }
  if (code != kInternetOk) return Error{0, InternetErrorText(code)};

  const std::string logs = WorkspacePath(workspace.folder(), kLogsFolder);
  const std::vector<LogCandidate> candidates = FtpCandidates(listing, logs);
  result.listed = static_cast<int>(candidates.size());
  Result<FileChoice> choice = ChooseFiles(
      request.files, request.all_new, candidates, chooser, "Files on server",
      [&](const std::string& name) {
        return Error{0, "'" + name + "' is not a file in " + result.folder, ErrorKind::kBadRequest};
      });
  if (!choice.ok()) return choice.error();
  result.cancelled = choice->cancelled;
  const std::vector<std::string>& chosen = choice->names;
  if (chosen.empty()) {
    if (!result.cancelled && std::none_of(candidates.begin(), candidates.end(),
                                          [](const LogCandidate& c) { return c.is_new; })) {
      result.notes.push_back("There are no new log files");
    }
    return result;
  }

  const uint32_t old_options = block.retrieval_options;
  uint32_t& options = settings.block.retrieval_options;
  options = WithBit(options, kRetrieveParse, request.parse);
  options = WithBit(options, kRetrieveRename, request.rename);
  options = WithBit(options, kRetrieveRemoveFromServer, request.remove_from_server);
  const bool rename = (options & kRetrieveRename) != 0;

  std::unique_ptr<StoreFiles> files = DiskStoreFiles();
  StoreContext context = StoreContextFor(session, logs, *files);
  context.detail = [&](const std::string& text) { progress(status, text); };
  YesToAll yes_to_all = 0;
  bool replaced_parsed = false;
  for (size_t i = 0; i < chosen.size(); ++i) {
    status = "Reading file " + std::to_string(i + 1) + " of " + std::to_string(chosen.size());
    if (!progress(status, "")) {
      result.cancelled = true;
      break;
    }
    const std::string remote = block.ftp_log_path + chosen[i];
    std::vector<uint8_t> data;
    code = client.DownloadFtp(remote, data);
    if (code == kInternetCancelled) {
      result.cancelled = true;
      break;
    }
    if (code == kInternetFileNotFound) {
      session.prompter().ShowError(kAppCaption, "File \"" + remote + "\" was not found");
      ++result.failed;
      continue;
    }
    if (code != kInternetOk) {
      ++result.failed;
      result.notes.push_back(chosen[i] + ": not retrieved (" + InternetErrorText(code) + ")");
      continue;
    }
    progress(status, SavingDetail(chosen[i], rename, context.settings.compression));
    const StoreResult stored = StoreLog(context, chosen[i], data, rename, yes_to_all);
    replaced_parsed |= stored.replaced_parsed;
    if (AccountFor(stored, chosen[i], session, result) && (options & kRetrieveRemoveFromServer)) {
      progress(status, "Removing source file...");
      if (int removed = client.DeleteFtp(remote); removed != kInternetOk) {
        session.prompter().ShowError(kAppCaption, InternetErrorText(removed));
        result.notes.push_back(chosen[i] + ": stays on the server");
      }
    }
  }
  client.CloseFtp();
  if (options != old_options) {
    if (Status saved = workspace.ChangeSettings(settings); !saved.ok()) return saved.error();
  }
  result.parse = (options & kRetrieveParse) != 0 && result.stored > 0 && !result.cancelled;
  if (replaced_parsed) OfferRemoveAll(session, path, result);
  return result;
}

}  // namespace velmora
