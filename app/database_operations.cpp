#include "app/database_operations.h"

#include "parsing/run/run_marker.h"

namespace velmora {

Status RemoveAllParsedData(Session& session, std::string_view path) {
  // Not OpenForDatabase: its report of an unfinished run would offer this very reset.
  if (Status opened = session.Open(path, DatabaseAccess::kWrite); !opened.ok()) return opened;
  Workspace& workspace = session.workspace();
  // The question is asked here rather than by the database, so that a No can be told apart
  // from a failure: the user must learn why nothing happened.
  if (session.prompter().Ask(kAppCaption, kResetQuestion, PromptButtons::kYesNo,
                             PromptIcon::kQuestion) != PromptAnswer::kYes) {
    return Error{
        0, "nothing was removed: the answer to \"" + std::string(kResetQuestion) + "\" was No"};
  }
  if (!workspace.database()->ResetConfirmed([&workspace] { workspace.ReloadAfterReset(); })) {
    return Error{0,
                 "the database could not be created anew, so the parsed data may be partly "
                 "gone; free the disk or folder and run the reset again"};
  }
  ClearUnfinishedRun(workspace.folder());
  return {};
}

}  // namespace velmora
