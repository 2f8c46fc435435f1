// Session: a front end's hold on the workspace it works on, found as the program finds it at
// start: a path (a .stw file or its folder) or else the most recent workspace of the
// preferences. Every operation of app/ runs on a session; the front ends only render what the
// session's Prompter asks and what an operation returns.
//
// The session closes the database files when it ends. Settings are saved by the operations that
// change them, at once, so nothing is written on the way out.
#pragma once

#include <memory>
#include <string_view>

#include "core/result.h"
#include "platform/prompter.h"
#include "workspace/preferences.h"
#include "workspace/workspace.h"

namespace velmora {

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
  // Open for an operation that reads or writes the database: a parse run that died mid-way is
  // reported first, with the offer to remove all parsed data.
  Status OpenForDatabase(std::string_view path);

  Workspace& workspace() { return *workspace_; }
  Preferences& preferences() { return preferences_; }
  Prompter& prompter() { return *prompter_; }

 private:
  Prompter* prompter_;
  Preferences preferences_;
  std::unique_ptr<Workspace> workspace_;
};

}  // namespace velmora
