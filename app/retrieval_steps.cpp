#include "app/retrieval_steps.h"

#include <algorithm>

#include "app/database_operations.h"
#include "platform/clock.h"

namespace velmora {

uint32_t WithBit(uint32_t bits, uint32_t bit, std::optional<bool> value) {
  if (!value) return bits;
  return *value ? (bits | bit) : (bits & ~bit);
}

Result<FileChoice> ChooseFiles(const std::vector<std::string>& names, bool all_new,
                               const std::vector<LogCandidate>& candidates,
                               const ImportChooser& chooser, const std::string& title,
                               const std::function<Error(const std::string& name)>& unknown) {
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
  } else if (!candidates.empty() && chooser) {
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

void OfferRemoveAll(Session& session, std::string_view path, ImportResult& result) {
  if (Status removed = RemoveAllParsedData(session, path); !removed.ok()) {
    result.notes.push_back("the parsed data of the replaced file stays until 'velmora reset'");
  }
}

}  // namespace velmora
