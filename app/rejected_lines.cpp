#include "app/rejected_lines.h"

#include <fstream>
#include <sstream>

#include "core/workspace_layout.h"

namespace velmora {

Result<std::vector<RejectedInFile>> RejectedLinesOfLastRun(const std::string& workspace_folder,
                                                           size_t limit) {
  std::ifstream in(WorkspacePath(workspace_folder, kParseLogName), std::ios::binary);
  if (!in) {
    return Error{0, "there is no parsing.log in " + workspace_folder +
                        " yet: no parse run has been made. Run 'velmora parse'."};
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<RejectedInFile> out;
  const std::string logs = WorkspacePath(workspace_folder, kLogsFolder);
  for (ParsedFileEntry& file : FilesOfParseLog(text.str())) {
    // parsing.log is only text in the workspace: a name from it never leads out of logs/.
    if (file.name.empty() || file.name.find('/') != std::string::npos || file.name == "..") {
      continue;
    }
    if (file.format.empty() || file.errors == 0) continue;
    FileRejections found = FindRejectedLines(WorkspacePath(logs, file.name), file.format, limit);
    if (found.lines.empty() && found.failure.empty()) continue;
    out.push_back(RejectedInFile{std::move(file), std::move(found)});
  }
  return out;
}

}  // namespace velmora
