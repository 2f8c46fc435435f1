// The steps every retrieval method shares, whatever the files come from (a local folder, an FTP
// server, the Fetchlet companion): reading a server's list, choosing the files, fetching and
// storing each with StoreLog, and the account of each file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/import_operation.h"
#include "app/session.h"
#include "core/result.h"
#include "retrieval/internet_client.h"
#include "retrieval/log_listing.h"
#include "retrieval/log_store.h"
#include "workspace/preferences.h"

namespace velmora {

// `bits` with `bit` set or cleared as `value` says; unchanged when it says nothing.
uint32_t WithBit(uint32_t bits, uint32_t bit, std::optional<bool> value);

struct FileChoice {
  std::vector<std::string> names;  // in ascending order
  bool cancelled = false;
};
// The files to fetch: the names given (each must be a candidate, else `unknown(name)` is the
// error), every new candidate, or what the chooser (titled `title`) returns. The chooser is not
// asked about an empty list unless `ask_when_empty` (one that can list another folder).
Result<FileChoice> ChooseFiles(const std::vector<std::string>& names, bool all_new,
                               const std::vector<LogCandidate>& candidates,
                               const ImportChooser& chooser, const std::string& title,
                               const std::function<Error(const std::string& name)>& unknown,
                               bool ask_when_empty = false);

// Values of the preferences' application section, for FTP and the companion alike: seconds to
// wait for a connection, and for a server that has stopped answering or sending (1 to 3600; 30
// and 60 when not set).
inline constexpr std::string_view kFtpConnectTimeoutName = "FtpConnectTimeout";
inline constexpr std::string_view kFtpStallTimeoutName = "FtpStallTimeout";
InternetTimeouts InternetTimeoutsFrom(const Preferences& preferences);

// The detail text of a transfer's progress phase: "Connecting to host...", "Connected",
// "%s: %d of %d bytes read" or "%s: %d bytes read".
std::string TransferDetail(const std::string& object, int phase, int64_t so_far, int64_t total);

// One entry of a server's list: the name it is offered and stored under (its last path
// component) and the entry as listed, which is what the server is asked for.
struct ListedFile {
  LogCandidate candidate;
  std::string entry;
};
// A server's list, one entry per line (lines end at CR or LF, at most 1,024 characters, trimmed,
// empty ones skipped), as the chooser shows it: by name descending ignoring case, one entry per
// name, hostile names left out, new when `logs_folder` holds no file of that name.
std::vector<ListedFile> ListedFiles(std::string_view listing, const std::string& logs_folder);
std::vector<LogCandidate> CandidatesOf(const std::vector<ListedFile>& files);

// The files to fetch from a server's list `where` (the chooser is titled "Files on server"); a
// name given that the list lacks is a bad request.
Result<FileChoice> ChooseServerFiles(const ImportRequest& request,
                                     const std::vector<LogCandidate>& candidates,
                                     const ImportChooser& chooser, const std::string& where);

// StoreLog's context for the session's workspace, writing through `files` into `logs_folder`.
StoreContext StoreContextFor(Session& session, const std::string& logs_folder, StoreFiles& files);

// "Saving file %s (R:%s C:%s)".
std::string SavingDetail(const std::string& name, bool rename, StoreCompression compression);

// Counts `stored` into `result`, with a note for a file not stored; true when it was stored.
bool AccountFor(const StoreResult& stored, const std::string& name, Session& session,
                ImportResult& result);

enum class FetchOutcome : uint8_t { kFetched, kFailed, kCancelled };
// Fetches one chosen file whole into `data`; a failure is accounted for in the result by the
// fetcher itself.
using FetchFile = std::function<FetchOutcome(const std::string& name, std::vector<uint8_t>& data)>;
// The usual account of a transfer's result code: a failure is noted with its text (and the
// client's detail) and counted.
FetchOutcome FetchOutcomeOf(int code, const std::string& name, const InternetClient& client,
                            ImportResult& result);

// Fetches and stores each chosen file in turn, setting `status` to "Reading file %d of %d" (the
// transfer's own progress texts use it too), until the list ends, progress says stop or a fetch
// is cancelled. `stored_file` runs after each file StoreLog stored. Returns whether a replaced
// file had been parsed.
bool FetchAndStoreEach(Session& session, const std::string& logs_folder,
                       const std::vector<std::string>& chosen, bool rename, std::string& status,
                       const ImportProgress& progress, const FetchFile& fetch,
                       const std::function<void(const std::string& name)>& stored_file,
                       ImportResult& result);

// Nothing was chosen: says `nothing_new` when no candidate was new and the choice was not
// cancelled.
void NoteNothingChosen(const std::vector<LogCandidate>& candidates, const FileChoice& choice,
                       const std::string& nothing_new, ImportResult& result);

// The end of a retrieval from a server: the settings saved when the options changed, whether to
// parse now, and the Remove-all offer when a replaced file had been parsed.
Result<ImportResult> FinishServerRetrieval(Session& session, std::string_view path,
                                           const WorkspaceSettings& settings, uint32_t old_options,
                                           bool replaced_parsed, ImportResult result);

// A replaced file had been parsed: the database holds its data, so the user is offered to
// remove it all.
void OfferRemoveAll(Session& session, std::string_view path, ImportResult& result);

}  // namespace velmora
