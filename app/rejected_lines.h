// The lines the last parse run of a workspace rejected, file by file, as `parse --show-errors`
// and `log --errors` show them (parsing/run/rejected_lines.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/result.h"
#include "parsing/run/rejected_lines.h"

namespace velmora {

struct RejectedInFile {
  ParsedFileEntry file;
  FileRejections rejections;
};

// Every file of the last run read with a custom format, with up to `limit` of its rejected
// lines; files without a counted error are left out. Fails when the workspace has no
// parsing.log.
Result<std::vector<RejectedInFile>> RejectedLinesOfLastRun(const std::string& workspace_folder,
                                                           size_t limit);

}  // namespace velmora
