#include "app/log_files_operation.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/workspace_layout.h"
#include "parsing/run/log_positions.h"
#include "parsing/run/parse_driver.h"
#include "storage/string_table.h"

namespace velmora {
namespace fs = std::filesystem;

std::string_view LogCompressionName(LogReaderKind compression) {
  switch (compression) {
    case LogReaderKind::kGzip:
      return "gzip";
    case LogReaderKind::kBzip2:
      return "bzip2";
    case LogReaderKind::kPlain:
      break;
  }
  return "plain";
}

std::string LogsFolderOf(const Workspace& workspace) {
  return WorkspacePath(workspace.folder(), kLogsFolder);
}

Result<std::vector<ImportedLogFile>> ListImportedLogFiles(Workspace& workspace) {
  const std::string folder = LogsFolderOf(workspace);
  std::vector<ImportedLogFile> files;
  std::error_code ec;
  if (!fs::exists(folder, ec)) return files;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code type_ec;
    // Only regular files: the first bytes of a pipe or a device would never come.
    if (!it->is_regular_file(type_ec)) continue;
    ImportedLogFile file;
    file.name = it->path().filename().string();
    const std::string path = WorkspacePath(folder, file.name);
    std::error_code size_ec;
    file.size = it->file_size(size_ec);
    if (size_ec) file.size = 0;
    file.compression = LogReaderKindOfFile(path);
    files.push_back(std::move(file));
  }
  if (ec) return Error{ec.value(), "Cannot list " + folder + ": " + ec.message()};
  // The parse run's order: names without regard to case, then byte by byte.
  std::sort(files.begin(), files.end(), [](const ImportedLogFile& a, const ImportedLogFile& b) {
    return LogFileOrder(a.name, b.name);
  });
  if (WorkspaceDatabase* db = workspace.database(); db != nullptr && !files.empty()) {
    db->ReadParsedLogs([&files](const StringTable& parsed) {
      for (ImportedLogFile& file : files) file.parsed = parsed.Find(file.name) >= 0;
    });
    const LogPositions positions = LogPositions::Load(db->TablePath(kLogPositionsName));
    for (ImportedLogFile& file : files) {
      file.grown = file.parsed && positions.HasMoreToRead(folder, file.name);
    }
  }
  return files;
}

}  // namespace velmora
