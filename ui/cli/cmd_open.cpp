// Starting `velmora` with nothing but a workspace path, as a file manager does for a .stw file:
// the workspace is opened as at start-up (and listed as the most recent), its title shown, and
// the tip of the day given when the user asked for tips at start.
#include <cstdio>
#include <filesystem>

#include "core/workspace_layout.h"
#include "ui/cli/commands.h"
#include "ui/cli/workspace_session.h"
#include "workspace/command_line.h"
#include "workspace/file_commands.h"
#include "workspace/tips.h"

namespace velmora::cli {

bool IsBareWorkspaceStart(int argc, char** argv) {
  if (argc != 2) return false;
  const std::string_view arg = argv[1];
  if (arg.empty() || arg.front() == '-') return false;
  std::error_code ec;
  return arg.ends_with(kWorkspaceFileExtension) ||
         std::filesystem::is_directory(std::string(arg), ec);
}

int RunBareWorkspaceStart(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  const CommandLineParameters parameters = ParseCommandLineArguments(args);
  CliContext context;
  if (auto it = parameters.find(kDefaultParameter); it != parameters.end()) {
    context.workspace_arg = it->second;
  }
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  std::printf("%s\n", WorkspaceTitle(session.workspace()).c_str());
  std::printf("Workspace folder: %s\n", session.workspace().folder().c_str());
  if (ShowTipAtStartup(session.preferences())) {
    const TipOfTheDay tip = TakeNextTip(session.preferences());
    std::printf("Tip of the Day: %.*s\n", static_cast<int>(tip.text.size()), tip.text.data());
  }
  return kExitOk;
}

}  // namespace velmora::cli
