// The mark of a parse run under way: a file "parse-run.active" in the workspace folder, created
// before the run opens the database for writing and removed when the run ends (cleanly or by
// cancel). A mark left behind means the process died mid-run (kill -9, power loss) and the
// tables may hold part of a file whose name never reached ParsedLogs, so parsing it again would
// count its lines twice. The next command that uses the database says so and offers the reset.
//
// The file holds the writer's process id and boot id, so a run still going on in another process
// is not mistaken for a dead one. A mark found at the start of a run stays until the data is reset:
// declining the reset must not make the warning disappear after the next clean run.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/prompter.h"
#include "storage/workspace_database.h"

namespace velmora {

inline constexpr std::string_view kUnfinishedRunMessage =
    "The last parse run did not finish; the database may hold partial data";
inline constexpr std::string_view kUnfinishedRunQuestion =
    "Remove all parsed data and parse the logs again?";

// The marker's path in `workspace_folder` (which may end with '/').
std::string RunMarkerPath(std::string_view workspace_folder);

// Marks a run for its lifetime: creates the marker unless one is already there, and removes it
// on Finish or destruction only when it was this run's own.
class ParseRunMarker {
 public:
  explicit ParseRunMarker(std::string_view workspace_folder);
  ~ParseRunMarker() { Finish(); }
  ParseRunMarker(const ParseRunMarker&) = delete;
  ParseRunMarker& operator=(const ParseRunMarker&) = delete;

  // Whether the marker could be written (false: the run goes on unmarked).
  bool created() const { return created_; }
  void Finish();

 private:
  std::string path_;
  bool created_ = false;
};

// Whether a run in `workspace_folder` started and never finished: a marker whose writer is not
// a live process of this boot.
bool HasUnfinishedRun(std::string_view workspace_folder);
// Removes the marker (after the data it warns about is gone).
void ClearUnfinishedRun(std::string_view workspace_folder);

enum class UnfinishedRunOutcome : uint8_t {
  kNone,   // no unfinished run
  kReset,  // the user chose the reset and the data is gone
  kKept,   // the user kept the data (or the reset was declined or failed); the mark stays
};

// Tells the user of an unfinished run through `prompter` and, on Yes, resets `database` (the
// Yes is the consent: no second question) and clears the mark.
UnfinishedRunOutcome CheckUnfinishedRun(WorkspaceDatabase& database, Prompter& prompter,
                                        const std::function<void()>& after_reset);

}  // namespace velmora
