// ParseDatabase: what a parse run needs of the workspace database - opening and releasing it for
// the run, and the ParsedLogs list of file names already parsed. The run talks to this seam so
// that tests can fail an open or watch the list; WorkspaceParseDatabase (parse_command.h) is the
// real one.
#pragma once

#include <string>
#include <string_view>

#include "core/result.h"
#include "parsing/run/log_positions.h"

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

  // How far each parsed log was read, kept with the tables so that an undone run takes its
  // positions back too. A database without them has none.
  virtual LogPositions LoadLogPositions() { return {}; }
  virtual Status SaveLogPositions(const LogPositions& positions) {
    (void)positions;
    return {};
  }

  // The run is about to write: what undoes it is kept from here on. A failure stops the run
  // before anything is written.
  virtual Status BeginWrites() { return {}; }
  // Whether a write to the tables has failed since BeginWrites (a full disk): the run stops and
  // is undone. Asked from the parsing thread while the analysis writes.
  virtual bool WriteFailed() { return false; }
  // What to tell the user of a failed write, before the writes are undone; `share_read` is the
  // part of the run's input read so far (0 to 1), for estimating what the whole run needs.
  virtual std::string WriteFailureText(double share_read) {
    (void)share_read;
    return "a table of the database could not be written";
  }
  // After Release, the run's end: keep its writes, or put the tables back as they were before
  // BeginWrites.
  virtual Status CommitWrites() { return {}; }
  virtual Status UndoWrites() { return {}; }
};

}  // namespace velmora
