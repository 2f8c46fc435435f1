// ParseDatabase: what a parse run needs of the workspace database - opening and releasing it for
// the run, and the ParsedLogs list of file names already parsed. The run talks to this seam so
// that tests can fail an open or watch the list; WorkspaceParseDatabase (parse_command.h) is the
// real one.
#pragma once

#include <string_view>

namespace velmora {

class ParseDatabase {
 public:
  virtual ~ParseDatabase() = default;
  // Counts one user; false when the database could not be opened (the user was told).
  virtual bool Open() = 0;
  virtual void Release() = 0;
  // Whether ParsedLogs lists `file_name`. A list that cannot be opened or created lists nothing.
  virtual bool IsLogParsed(std::string_view file_name) = 0;
  // Adds `file_name` to ParsedLogs; false when the list could not take it.
  virtual bool AddParsedLog(std::string_view file_name) = 0;
};

}  // namespace velmora
