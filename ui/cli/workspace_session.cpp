#include "ui/cli/workspace_session.h"

#include "parsing/run/run_marker.h"
#include "workspace/file_commands.h"

namespace velmora::cli {

CliSession::CliSession(CliContext& context)
    : context_(context), workspace_(std::make_unique<Workspace>(context.prompt())) {}

CliSession::~CliSession() {
  if (WorkspaceDatabase* db = workspace_->database()) db->CloseNow();
}

Status CliSession::TryOpenCurrent() {
  return OpenStartWorkspace(*workspace_, preferences_, context_.workspace_arg);
}

int CliSession::OpenCurrent() {
  const Status opened = TryOpenCurrent();
  if (opened.ok()) return kExitOk;
  if (opened.error().code == kShownToUser) return kExitFailure;
  if (opened.error().message == kNoWorkspaceLoaded) {
    return Fail(std::string(kNoWorkspaceLoaded) +
                ": name one with -w PATH, or create one with 'velmora new NAME'");
  }
  return ReportFailure(opened.error());
}

int CliSession::OpenForDatabase() {
  if (int rc = OpenCurrent(); rc != kExitOk) return rc;
  CheckUnfinishedRun(*workspace_->database(), context_.prompt(),
                     [this] { workspace_->LoadForReports(); });
  return kExitOk;
}

int ReportFailure(const Error& error) {
  if (error.code == kShownToUser) return kExitFailure;
  return Fail(error.message);
}

}  // namespace velmora::cli
