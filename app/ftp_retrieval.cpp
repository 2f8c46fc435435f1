#include "app/ftp_retrieval.h"

#include <algorithm>

#include "app/retrieval_steps.h"
#include "core/workspace_layout.h"
#include "retrieval/internet_client.h"

namespace velmora {

std::vector<LogCandidate> FtpCandidates(std::string_view listing, const std::string& logs_folder) {
  return CandidatesOf(ListedFiles(listing, logs_folder));
}

Result<ImportResult> RetrieveFtp(Session& session, std::string_view path,
                                 const ImportRequest& request, const ImportChooser& chooser,
                                 const ImportProgress& progress) {
  Workspace& workspace = session.workspace();
  WorkspaceSettings settings = workspace.settings();
  const SettingsBlock& block = settings.block;
  ImportResult result;
  result.folder = block.ftp_server + block.ftp_log_path;

  InternetClient client(InternetTimeoutsFrom(session.preferences()));
  std::string status = "Connecting to host...";
  if (!progress(status, "")) {
    result.cancelled = true;
    return result;
  }
  client.SetProgress([&](int phase, int64_t so_far, int64_t total) {
    return progress(status, TransferDetail(client.current_object(), phase, so_far, total));
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
  Result<FileChoice> choice = ChooseServerFiles(request, candidates, chooser, result.folder);
  if (!choice.ok()) return choice.error();
  const std::vector<std::string>& chosen = choice->names;
  if (chosen.empty()) {
    NoteNothingChosen(candidates, *choice, "There are no new log files", result);
    return result;
  }

  const uint32_t old_options = block.retrieval_options;
  const ImportRequest asked = WithChosenBoxes(request);
  uint32_t& options = settings.block.retrieval_options;
  options = WithBit(options, kRetrieveParse, asked.parse);
  options = WithBit(options, kRetrieveRename, asked.rename);
  options = WithBit(options, kRetrieveRemoveFromServer, asked.remove_from_server);
  const bool rename = (options & kRetrieveRename) != 0;

  const bool replaced_parsed = FetchAndStoreEach(
      session, logs, chosen, rename, status, progress,
      [&](const std::string& name, std::vector<uint8_t>& data) {
        const std::string remote = block.ftp_log_path + name;
        const int downloaded = client.DownloadFtp(remote, data);
        if (downloaded == kInternetFileNotFound) {
          session.prompter().ShowError(kAppCaption, "File \"" + remote + "\" was not found");
          ++result.failed;
          return FetchOutcome::kFailed;
        }
        return FetchOutcomeOf(downloaded, name, client, result);
      },
      [&](const std::string& name) {
        if ((options & kRetrieveRemoveFromServer) == 0) return;
        progress(status, "Removing source file...");
        if (int removed = client.DeleteFtp(block.ftp_log_path + name); removed != kInternetOk) {
          session.prompter().ShowError(kAppCaption, InternetErrorText(removed));
          result.notes.push_back(name + ": stays on the server");
        }
      },
      result);
  client.CloseFtp();
  return FinishServerRetrieval(session, path, settings, old_options, replaced_parsed,
                               std::move(result));
}

}  // namespace velmora
