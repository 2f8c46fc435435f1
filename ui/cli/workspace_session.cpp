#include "ui/cli/workspace_session.h"

#include <cstdio>

#include "workspace/file_commands.h"

namespace velmora::cli {

CliSession::CliSession(CliContext& context) : context_(context), session_(context.prompt()) {
  session_.set_wait_notice(
      [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
}

Status CliSession::TryOpenCurrent() { return session_.Open(context_.workspace_arg); }

int CliSession::OpenCurrent() {
  const Status opened = TryOpenCurrent();
  return opened.ok() ? kExitOk : ReportFailure(opened.error());
}

int CliSession::OpenForDatabase(DatabaseAccess access) {
  const Status opened = session_.OpenForDatabase(context_.workspace_arg, access);
  return opened.ok() ? kExitOk : ReportFailure(opened.error());
}

int ReportFailure(const Error& error) {
  switch (error.kind) {
    case ErrorKind::kShownToUser:
      return kExitFailure;
    case ErrorKind::kNoWorkspace:
      return Fail(std::string(kNoWorkspaceLoaded) +
                  ": name one with -w PATH, or create one with 'velmora new NAME'");
    case ErrorKind::kFailed:
    case ErrorKind::kBusy:
    case ErrorKind::kBadRequest:
      break;
  }
  return Fail(error.message);
}

}  // namespace velmora::cli
