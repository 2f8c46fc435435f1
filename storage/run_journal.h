// RunJournal: makes a parse run all or nothing. Before the run writes, every file of database/
// is copied aside; the run's end either keeps its writes (Commit, which drops the copy once the
// tables are on the disk) or puts the copy back (Rollback). A run that never reaches its end
// (killed, crashed, power lost) leaves the copy behind, and Recover puts it back before the
// database is used again, so that parsing the same files again gives the same tables as one
// uninterrupted run.
//
// Every step is a copy flushed to the disk or a rename of a whole folder, so a crash in the middle
// of any of them leaves a state that Recover finishes:
//   database.undo-partial   a copy being made; the tables are untouched: removed
//   database.undo           the complete copy; the tables may hold part of a run: put back
//   database.undone         a run's tables set aside while the copy is put back: removed
//   database.undo-discard   a committed run's copy on its way out: removed
//
// The caller makes sure nobody else uses the tables during Begin, Rollback and Recover (the
// workspace's writer lock, tables closed) and that no table is written before Begin succeeds.
#pragma once

#include <cstdint>
#include <string>

#include "core/result.h"

namespace velmora {

class RunJournal {
 public:
  explicit RunJournal(std::string workspace_folder);

  // Copies database/ aside. On failure nothing is left behind and the tables must not be
  // written; a full disk says how much the copy needs and how much is free.
  Status Begin();
  // Flushes every table file to the disk, then drops the copy.
  Status Commit();
  // Puts the copy back in place of the tables (which must be closed).
  Status Rollback();
  // Finishes whatever a run, commit or rollback cut short left behind. True when a run's writes
  // were undone (the user is to be told); false when there was nothing to undo.
  Result<bool> Recover();

  // Whether a run began and has not ended: its copy is there to be put back.
  bool HasUndoCopy() const;
  // Bytes of the tables now, for estimating what a run adds.
  uint64_t DatabaseBytes() const;

 private:
  std::string Path(std::string_view name) const;

  std::string folder_;
};

}  // namespace velmora
