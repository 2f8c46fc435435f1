#include "app/fetchlet_retrieval.h"

#include <algorithm>

#include "app/retrieval_steps.h"
#include "core/workspace_layout.h"
#include "retrieval/fetchlet_protocol.h"
#include "retrieval/internet_client.h"

namespace velmora {

Result<ImportResult> RetrieveFetchlet(Session& session, std::string_view path,
                                      const ImportRequest& request, const ImportChooser& chooser,
                                      const ImportProgress& progress) {
  Workspace& workspace = session.workspace();
  WorkspaceSettings settings = workspace.settings();
  const SettingsBlock& block = settings.block;
  ImportResult result;
  result.folder = block.http_server + block.fetchlet_path;
  if (request.remove_from_server.value_or(false)) {
    return Error{0,
                 "Fetchlet removes old files on the server by its own configuration; "
                 "--remove-from-server is for FTP",
                 ErrorKind::kBadRequest};
  }

  if (block.http_server == kPlaceholderHttpServer) {
    return Error{0,
                 "the workspace names no Fetchlet server yet: 'velmora settings set http-server "
                 "NAME' (and fetchlet-path, http-log-path, http-user, http-password)"};
  }

  InternetClient client(InternetTimeoutsFrom(session.preferences()));
  std::string status = "Connecting to host...";
  if (!progress(status, "")) {
    result.cancelled = true;
    return result;
  }
  int code = client.ConnectHttp(block.http_server, kFetchletDefaultPort, block.http_user,
                                block.http_password);
  if (code != kInternetOk) {
    return Error{0, InternetErrorText(code) + " (server name '" + block.http_server + "')"};
  }
  if (!client.http_tls() && !block.http_user.empty()) {
    session.prompter().Ask(kAppCaption,
                           "The password of '" + block.http_user + "' goes to " +
                               block.http_server +
                               " unencrypted; a server name beginning with https:// sends it "
                               "over TLS",
                           PromptButtons::kOk, PromptIcon::kWarning);
  }
  client.SetProgress([&](int phase, int64_t so_far, int64_t total) {
    return progress(status, TransferDetail(client.current_object(), phase, so_far, total));
  });
  status = "Reading file list...";
  progress(status, "");
  std::vector<uint8_t> body;
  code = client.HttpGet(FetchletListRequest(block.fetchlet_path, block.http_files_to_keep,
                                            block.fetchlet_gzip != 0, block.http_log_path),
                        body);
  if (code == kInternetCancelled) {
    result.cancelled = true;
    return result;
  }
  if (code == kInternetAccessDenied) {
    return Error{0, "Access is forbidden or authorization required"};
  }
  if (code != kInternetOk) {
    return Error{
        0, InternetErrorText(code) + " (" + block.http_server + ": " + client.last_detail() + ")"};
  }
  const FetchletList list =
      ReadFetchletList(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
  if (!list.ok) return Error{0, "Error accessing \"Fetchlet\" interface\n" + list.first_line};

  const std::string logs = WorkspacePath(workspace.folder(), kLogsFolder);
  const std::vector<ListedFile> files = ListedFiles(list.entries, logs);
  const std::vector<LogCandidate> candidates = CandidatesOf(files);
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
  const bool replaced_parsed = FetchAndStoreEach(
      session, logs, chosen, (options & kRetrieveRename) != 0, status, progress,
      [&](const std::string& name, std::vector<uint8_t>& data) {
        const auto file = std::find_if(files.begin(), files.end(), [&](const ListedFile& f) {
          return f.candidate.name == name;
        });
        if (file == files.end()) return FetchOutcomeOf(kInternetFileNotFound, name, client, result);
        const int fetched = client.HttpGet(
            FetchletGetRequest(block.fetchlet_path, file->entry, block.http_log_path), data);
        return FetchOutcomeOf(fetched, name, client, result);
      },
      nullptr, result);
  client.CloseHttp();
  return FinishServerRetrieval(session, path, settings, old_options, replaced_parsed,
                               std::move(result));
}

}  // namespace velmora
