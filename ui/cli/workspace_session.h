// CliSession: the application's Session for one command, opened on the -w path (or the most
// recent workspace), with its failures rendered as the command line shows them.
#pragma once

#include "app/session.h"
#include "ui/cli/context.h"

namespace velmora::cli {

class CliSession {
 public:
  explicit CliSession(CliContext& context);

  // Opens the workspace the command line names. On failure prints what went wrong (unless the
  // prompter showed it) with what to do next and returns kExitFailure; kExitOk on success.
  int OpenCurrent();
  // The same, quietly: the failure is returned for the caller to decide on (messages the
  // prompter shows are still shown).
  Status TryOpenCurrent();
  // OpenCurrent for a command that reads or writes the database (Session::OpenForDatabase). A
  // reader that waits for a parse run says so on stderr.
  int OpenForDatabase(DatabaseAccess access);

  Session& session() { return session_; }
  Workspace& workspace() { return session_.workspace(); }
  Preferences& preferences() { return session_.preferences(); }
  CliContext& context() { return context_; }

 private:
  CliContext& context_;
  Session session_;
};

// Prints an error that the prompter has not shown yet; returns kExitFailure. A missing workspace
// gets the hint how to name or create one.
int ReportFailure(const Error& error);

}  // namespace velmora::cli
