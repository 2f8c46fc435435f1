#include "app/session.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "parsing/run/run_marker.h"
#include "workspace/file_commands.h"

namespace velmora {
namespace {

std::string WaitingText(int64_t writer_pid) {
  return "Waiting for the parse run" +
         (writer_pid != 0 ? " (process " + std::to_string(writer_pid) + ")" : std::string()) +
         " to finish...";
}

}  // namespace

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

Status Session::Open(std::string_view path, DatabaseAccess access) {
  lock_.Release();
  // Open reads the database already (for the report day), so the hold comes before it. A
  // workspace file that is not there is Open's to report.
  const Result<std::string> file = StartWorkspaceFile(preferences_, path);
  std::error_code ec;
  if (file.ok() && std::filesystem::is_regular_file(file.value(), ec)) {
    const std::string folder = std::filesystem::path(file.value()).parent_path().string();
    const LockWaitFn notice = [this](int64_t writer_pid) {
      if (wait_notice_) wait_notice_(WaitingText(writer_pid));
    };
    Result<WorkspaceLock> lock =
        access == DatabaseAccess::kWrite     ? WorkspaceLock::TryExclusive(folder)
        : access == DatabaseAccess::kReadNow ? WorkspaceLock::TryShared(folder)
                                             : WorkspaceLock::Shared(folder, notice);
    if (!lock.ok()) return lock.error();
    lock_ = std::move(lock).value();
  }
  Status opened = Open(path);
  if (!opened.ok()) lock_.Release();
  return opened;
}

void Session::Release() {
  if (WorkspaceDatabase* db = workspace_->database()) db->CloseNow();
  lock_.Release();
}

Status Session::OpenForDatabase(std::string_view path, DatabaseAccess access) {
  if (Status opened = Open(path, access); !opened.ok()) return opened;
  CheckUnfinishedRun(*workspace_->database(), *prompter_,
                     [this] { workspace_->ReloadAfterReset(); });
  return {};
}

}  // namespace velmora
