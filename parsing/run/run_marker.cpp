#include "parsing/run/run_marker.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/workspace_layout.h"
#include "storage/run_journal.h"

namespace velmora {
namespace {

std::string BootId() {
  std::ifstream in("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(in, id);
  return id;
}

// Whether `pid` is a live run of this program. A pid taken over by another program after the
// run died is no run, and neither is a process whose executable cannot be read (another
// user's: a run on this workspace would be the user's own).
bool ProcessAlive(long pid) {
  if (pid <= 0 || pid > 0x3fffffff) return false;
  if (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
  if (ec) return false;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return !ec && exe == self;
}

}  // namespace

std::string RunMarkerPath(std::string_view workspace_folder) {
  return WorkspacePath(workspace_folder, kRunMarkerName);
}

ParseRunMarker::ParseRunMarker(std::string_view workspace_folder)
    : path_(RunMarkerPath(workspace_folder)) {
  // O_EXCL: a marker already there (an earlier unfinished run, or a run going on now) is not
  // ours to remove.
  const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // "journaled": this run keeps an undo copy of the database (RunJournal), so its death leaves
  // nothing to ask about. A marker without the word comes from a run that kept none.
  const std::string text = std::to_string(getpid()) + " " + BootId() + " journaled\n";
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  // The marker must be on disk before the tables change, or a power loss could lose it while
  // keeping their pages.
  const bool synced = fsync(fd) == 0;
  close(fd);
  created_ = true;
  if (!written || !synced) Finish();
}

void ParseRunMarker::Finish() {
  if (!created_) return;
  created_ = false;
  std::error_code ec;
  std::filesystem::remove(path_, ec);
}

RunMarkerState ReadRunMarker(std::string_view workspace_folder) {
  const std::string path = RunMarkerPath(workspace_folder);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return RunMarkerState::kNone;
  std::ifstream in(path);
  long pid = 0;
  std::string boot;
  std::string journaled;
  in >> pid >> boot;
  const bool readable = static_cast<bool>(in);
  in >> journaled;
  if (readable && boot == BootId() && ProcessAlive(pid)) return RunMarkerState::kLive;
  // Anything unreadable counts as a dead run without a journal: the safe side is to ask.
  return readable && journaled == "journaled" ? RunMarkerState::kDeadJournaled
                                              : RunMarkerState::kDeadUnjournaled;
}

bool HasUnfinishedRun(std::string_view workspace_folder) {
  return ReadRunMarker(workspace_folder) == RunMarkerState::kDeadUnjournaled;
}

Result<bool> RecoverInterruptedRun(WorkspaceDatabase& database) {
  const std::string& folder = database.workspace_folder();
  const RunMarkerState marker = ReadRunMarker(folder);
  if (marker == RunMarkerState::kLive) return false;  // its undo copy is in use
  RunJournal journal(folder);
  if (marker != RunMarkerState::kDeadJournaled && !journal.HasUndoCopy()) return false;
  // The undo copy replaces the files: nothing may map them meanwhile.
  database.CloseNow();
  Result<bool> undone = journal.Recover();
  if (undone.ok() && marker == RunMarkerState::kDeadJournaled) ClearUnfinishedRun(folder);
  return undone;
}

void ClearUnfinishedRun(std::string_view workspace_folder) {
  std::error_code ec;
  std::filesystem::remove(RunMarkerPath(workspace_folder), ec);
}

UnfinishedRunOutcome CheckUnfinishedRun(WorkspaceDatabase& database, Prompter& prompter,
                                        const std::function<void()>& after_reset) {
  if (!HasUnfinishedRun(database.workspace_folder())) return UnfinishedRunOutcome::kNone;
  const std::string text =
      std::string(kUnfinishedRunMessage) + ".\n" + std::string(kUnfinishedRunQuestion);
  if (prompter.Ask(kAppCaption, text, PromptButtons::kYesNo, PromptIcon::kWarning) !=
      PromptAnswer::kYes) {
    return UnfinishedRunOutcome::kKept;
  }
  if (!database.ResetConfirmed(after_reset)) return UnfinishedRunOutcome::kKept;
  ClearUnfinishedRun(database.workspace_folder());
  return UnfinishedRunOutcome::kReset;
}

}  // namespace velmora
