// "Manage Imported Log Files": the files a workspace keeps in its logs/ folder, as the page lists
// them, with their size, their compression (found from their first bytes, as the parse run's
// readers find it, not from the name) and whether the parse run has read them. File names are
// the folder's own bytes and may be anything: front ends show them as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "parsing/readers/log_reader.h"
#include "workspace/workspace.h"

namespace velmora {

struct ImportedLogFile {
  std::string name;
  uint64_t size = 0;  // bytes on disk
  LogReaderKind compression = LogReaderKind::kPlain;
  bool parsed = false;  // named in ParsedLogs: a parse run has read it to its end
  bool grown = false;   // parsed, but longer now: the next parse run reads what was added
};

// "plain", "gzip" or "bzip2".
std::string_view LogCompressionName(LogReaderKind compression);

// The regular files of the workspace's logs/ folder in name order, the order a parse run reads
// them in. A folder that is missing lists nothing; one that cannot be read fails. When the
// database's record of parsed files cannot be opened, every file counts as not parsed.
Result<std::vector<ImportedLogFile>> ListImportedLogFiles(Workspace& workspace);

// The logs/ folder of the workspace.
std::string LogsFolderOf(const Workspace& workspace);

}  // namespace velmora
