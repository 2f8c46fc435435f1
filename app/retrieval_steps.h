// The steps every retrieval method shares, whatever the files come from (a local folder, an FTP
// server): choosing the files, storing each with StoreLog, and the account of each file.
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
#include "retrieval/log_listing.h"
#include "retrieval/log_store.h"

namespace velmora {

// `bits` with `bit` set or cleared as `value` says; unchanged when it says nothing.
uint32_t WithBit(uint32_t bits, uint32_t bit, std::optional<bool> value);

struct FileChoice {
  std::vector<std::string> names;  // in ascending order
  bool cancelled = false;
};
// The files to fetch: the names given (each must be a candidate, else `unknown(name)` is the
// error), every new candidate, or what the chooser (titled `title`) returns.
Result<FileChoice> ChooseFiles(const std::vector<std::string>& names, bool all_new,
                               const std::vector<LogCandidate>& candidates,
                               const ImportChooser& chooser, const std::string& title,
                               const std::function<Error(const std::string& name)>& unknown);

// StoreLog's context for the session's workspace, writing through `files` into `logs_folder`.
StoreContext StoreContextFor(Session& session, const std::string& logs_folder, StoreFiles& files);

// "Saving file %s (R:%s C:%s)".
std::string SavingDetail(const std::string& name, bool rename, StoreCompression compression);

// Counts `stored` into `result`, with a note for a file not stored; true when it was stored.
bool AccountFor(const StoreResult& stored, const std::string& name, Session& session,
                ImportResult& result);

// A replaced file had been parsed: the database holds its data, so the user is offered to
// remove it all.
void OfferRemoveAll(Session& session, std::string_view path, ImportResult& result);

}  // namespace velmora
