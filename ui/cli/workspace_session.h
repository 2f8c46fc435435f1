// CliSession: the workspace a command works on, found as the program finds it at start: the
// -w path (a .stw file or its folder) or else the most recent workspace of the preferences.
// The session closes the database files when the command ends; settings are saved by the
// commands that change them, at once, so nothing is written on the way out.
#pragma once

#include <memory>

#include "ui/cli/context.h"
#include "workspace/preferences.h"
#include "workspace/workspace.h"

namespace velmora::cli {

class CliSession {
 public:
  explicit CliSession(CliContext& context);
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Opens the workspace the command line names. On failure prints what went wrong (unless the
  // prompter showed it) with what to do next and returns kExitFailure; kExitOk on success.
  int OpenCurrent();
  // The same, quietly: the failure is returned for the caller to decide on (messages the
  // prompter shows are still shown).
  Status TryOpenCurrent();
  // OpenCurrent for a command that reads or writes the database: a parse run that died mid-way
  // is reported first, with the offer to remove all parsed data.
  int OpenForDatabase();

  Workspace& workspace() { return *workspace_; }
  Preferences& preferences() { return preferences_; }
  CliContext& context() { return context_; }

 private:
  CliContext& context_;
  Preferences preferences_;
  std::unique_ptr<Workspace> workspace_;
};

// Prints an error that the prompter has not shown yet; returns kExitFailure.
int ReportFailure(const Error& error);

}  // namespace velmora::cli
