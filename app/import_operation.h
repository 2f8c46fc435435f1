// Importing log files from a local folder into the workspace: list the folder's logs (new ones
// ticked), let the front end choose, store each chosen file renamed and compressed as the
// workspace says, remove the sources when asked, and save the options and the folder.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/session.h"
#include "core/result.h"
#include "retrieval/log_listing.h"

namespace velmora {

// The option bits of a retrieval, kept in the workspace settings.
inline constexpr uint32_t kRetrieveParse = 1;
inline constexpr uint32_t kRetrieveRemoveFromServer = 2;
inline constexpr uint32_t kRetrieveRename = 4;
inline constexpr uint32_t kRetrieveRemoveSource = 8;

// The options as check boxes under a chooser's list (the page's chooser shows them): preset from
// the workspace and filled in by the chooser before it returns. A box left unset keeps the
// request's choice. Such a chooser shows a local folder's name too, and may list another: it is
// asked even when the folder lists nothing.
struct ChooserBoxes {
  std::optional<bool> rename;
  std::optional<bool> remove_source;
  std::optional<bool> remove_from_server;
  std::optional<bool> parse;
  // A local chooser that let the user pick another folder: the folder its names are in.
  std::optional<std::string> folder;
};

struct ImportRequest {
  std::optional<std::string> from;  // the folder; unset: the last one imported from
  std::vector<std::string> files;   // names in the folder to import
  bool all_new = false;             // every new file of the folder
  std::optional<bool> rename;       // unset: the workspace's choice
  std::optional<bool> remove_source;
  std::optional<bool> remove_from_server;
  std::optional<bool> parse;
  // Retrieve: from the local folder, the FTP server or Fetchlet, as the workspace says.
  bool by_retrieval_method = false;
  std::shared_ptr<ChooserBoxes> boxes;  // set when the chooser shows the check boxes
};

// `request` with what its chooser's check boxes said.
ImportRequest WithChosenBoxes(const ImportRequest& request);

// Asked when the request names no files and not --all: the list, headed by a title, with the new
// files ticked; the answer is the names to import, or none to cancel.
using ImportChooser = std::function<std::optional<std::vector<std::string>>(
    const std::string& title, const std::vector<LogCandidate>& candidates)>;
// "Reading file %d of %d" and the detail; false stops before the next file.
using ImportProgress = std::function<bool(const std::string& status, const std::string& detail)>;

struct ImportResult {
  std::string folder;
  int listed = 0;
  int stored = 0;
  int kept = 0;     // existing files the user kept
  int skipped = 0;  // sources too short to be logs
  int failed = 0;
  bool cancelled = false;
  bool parse = false;              // the options ask for a parse run now
  std::vector<std::string> notes;  // one line per file not stored, saying why
};

// A request that names files the folder does not hold fails with kBadRequest and the choices; a
// folder without logs, or no choice, imports nothing ("No new log files in this folder"). A
// retrieval by a workspace that uses FTP goes to RetrieveFtp, by one that uses Fetchlet to
// RetrieveFetchlet.
Result<ImportResult> ImportLocal(Session& session, std::string_view path,
                                 const ImportRequest& request, const ImportChooser& chooser,
                                 const ImportProgress& progress);

}  // namespace velmora
