// The mark of a parse run under way: a file "parse-run.active" in the workspace folder, created
// before the run opens the database for writing and removed when the run ends. It holds the
// writer's process id and boot id, so a run still going on in another process is not mistaken
// for a dead one.
//
// A run keeps an undo copy of the database (RunJournal) and says so in its mark; when it dies
// (kill -9, power loss), RecoverInterruptedRun puts the copy back before the database is used
// again. A mark without that word comes from a run that kept no copy: the tables may hold part of
// a file whose name never reached ParsedLogs, so parsing it again would count its lines twice.
// The next command that uses the database says so and offers the reset; such a mark stays until
// the data is reset, so that declining the reset never makes the warning disappear.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/result.h"
#include "platform/prompter.h"
#include "storage/workspace_database.h"

namespace velmora {

inline constexpr std::string_view kUnfinishedRunMessage =
    "The last parse run did not finish; the database may hold partial data";
inline constexpr std::string_view kRunUndone =
    "The last parse run did not finish. The database was put back as it was before that run; "
    "the next parse run reads its files again.";
inline constexpr std::string_view kCannotUndoRun =
    "The last parse run did not finish, and the database could not be put back as it was "
    "before it: ";
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

enum class RunMarkerState : uint8_t {
  kNone,
  kLive,             // a run of a live process of this boot is under way
  kDeadJournaled,    // a run died that kept an undo copy: RecoverInterruptedRun puts it back
  kDeadUnjournaled,  // a run died that kept none: its partial data may be in the tables
};
RunMarkerState ReadRunMarker(std::string_view workspace_folder);

// Whether a run in `workspace_folder` started, never finished and left partial data that
// nothing can undo: a marker without a journal whose writer is not a live process of this boot.
bool HasUnfinishedRun(std::string_view workspace_folder);

// Puts the database back as it was before a run that died (killed, crashed, power lost) or
// whose end was cut short, unless a run is under way in another process. Closes the database's
// files first. True when a run's writes were undone: the user is to be told.
Result<bool> RecoverInterruptedRun(WorkspaceDatabase& database);
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
