#include "app/session.h"

#include <utility>

#include "parsing/run/run_marker.h"
#include "workspace/file_commands.h"

namespace velmora {

Session::Session(Prompter& prompter) : Session(prompter, Preferences()) {}

Session::Session(Prompter& prompter, Preferences preferences)
    : prompter_(&prompter),
      preferences_(std::move(preferences)),
      workspace_(std::make_unique<Workspace>(prompter)) {}

Session::~Session() {
  if (WorkspaceDatabase* db = workspace_->database()) db->CloseNow();
}

Status Session::Open(std::string_view path) {
  return OpenStartWorkspace(*workspace_, preferences_, path);
}

Status Session::OpenForDatabase(std::string_view path) {
  if (Status opened = Open(path); !opened.ok()) return opened;
  CheckUnfinishedRun(*workspace_->database(), *prompter_,
                     [this] { workspace_->ReloadAfterReset(); });
  return {};
}

}  // namespace velmora
