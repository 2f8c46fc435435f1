// The lines a parse run rejected, found again for a person to read: which file, which line, what
// it holds and which part of the format it does not fit. A run only counts its rejected lines
// (parsing.log gives each file's count), so they are found by reading the files of the run again
// with the format parsing.log names for each, up to a limit per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One file of a run as parsing.log tells it: its name in logs/, the custom format its lines were
// read with (empty for W3C Extended, whose lines are not matched against a format), and the
// errors the run counted in it (-1 when the log does not say).
struct ParsedFileEntry {
  std::string name;
  std::string format;
  int64_t errors = -1;
};
std::vector<ParsedFileEntry> FilesOfParseLog(std::string_view parse_log);

struct RejectedLine {
  int64_t number = 0;  // counted from 1, every line feed of the file counting
  std::string text;
  std::string reason;  // MismatchReason
};

// The first `limit` lines of the log file at `path` (plain, gzip or bzip2) that do not match
// `format`; `failure` says why the file could not be read (to its end), if so.
struct FileRejections {
  std::vector<RejectedLine> lines;
  std::string failure;
};
FileRejections FindRejectedLines(const std::string& path, std::string_view format, size_t limit);

}  // namespace velmora
