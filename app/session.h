// Session: a front end's hold on the workspace it works on, found as the program finds it at
// start: a path (a .stw file or its folder) or else the most recent workspace of the
// preferences. Every operation of app/ runs on a session; the front ends only render what the
// session's Prompter asks and what an operation returns.
//
// A session that reads or writes the database holds the workspace for it (a WorkspaceLock) from
// before the database is first touched until the session ends: one process writes a workspace at
// a time, and never while another reads it.
//
// The session closes the database files when it ends, then lets go of the workspace. Settings are
// saved by the operations that change them, at once, so nothing is written on the way out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/result.h"
#include "platform/prompter.h"
#include "platform/workspace_lock.h"
#include "workspace/preferences.h"
#include "workspace/workspace.h"

namespace velmora {

// How a session uses the database, which decides how it shares the workspace with other processes.
enum class DatabaseAccess : uint8_t {
  kRead,     // waits while a parse run writes, then reads what it committed; readers share
  kWrite,    // alone: refused at once while another process reads or writes the workspace
  kReadNow,  // as kRead, but refused at once (kBusy, naming the writer) while a parse run writes
};

// Shows the text that says a reader waits for a parse run; called once, before the wait.
using WaitNoticeFn = std::function<void(const std::string& text)>;

class Session {
 public:
  explicit Session(Prompter& prompter);
  // With preferences of the front end's own choosing (tests, a second front end).
  Session(Prompter& prompter, Preferences preferences);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Opens the workspace `path` names, or the most recent one when `path` is empty. Fails with
  // kNoWorkspace when there is neither, kShownToUser when the Prompter has told the user why,
  // kFailed (not shown) when the workspace file cannot be found or read.
  Status Open(std::string_view path);
  // Open, holding the workspace for `access` until the session ends or opens again. The hold
  // comes first, so a writer that is refused has changed nothing and asked nothing: it fails
  // with kBusy and a message naming the parse run (by process id) or the readers in the way. A
  // reader waits for the writer's commit, after the wait notice. A workspace file that is not
  // there is left to Open to report.
  Status Open(std::string_view path, DatabaseAccess access);
  // Open(path, access) for an operation on the database, which then first reports a parse run
  // that died mid-way, with the offer to remove all parsed data.
  Status OpenForDatabase(std::string_view path, DatabaseAccess access);

  // Closes the database files and lets go of the workspace hold, so that another process (or
  // another session) may write it; the workspace stays loaded. Open again to use the database.
  void Release();
  // Whether the session holds the workspace now.
  bool holds_workspace() const { return lock_.held(); }

  // Where a reader's wait is shown; without one it waits silently.
  void set_wait_notice(WaitNoticeFn notice) { wait_notice_ = std::move(notice); }

  Workspace& workspace() { return *workspace_; }
  Preferences& preferences() { return preferences_; }
  Prompter& prompter() { return *prompter_; }

 private:
  Prompter* prompter_;
  Preferences preferences_;
  WaitNoticeFn wait_notice_;
  WorkspaceLock lock_;  // above the workspace: the database closes before the lock goes
  std::unique_ptr<Workspace> workspace_;
};

}  // namespace velmora
