#include "storage/run_journal.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "core/workspace_layout.h"
#include "platform/durable_files.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

RunJournal::RunJournal(std::string workspace_folder) : folder_(std::move(workspace_folder)) {}

std::string RunJournal::Path(std::string_view name) const {
  return WorkspacePath(folder_.empty() ? std::string_view(".") : std::string_view(folder_), name);
}

bool RunJournal::HasUndoCopy() const { return Exists(Path(kRunUndoFolder)); }

uint64_t RunJournal::DatabaseBytes() const { return FolderFilesSize(Path(kDatabaseFolder)); }

Status RunJournal::Begin() {
  const std::string partial = Path(kRunUndoPartialFolder);
  (void)RemoveTree(partial);
  // The copy must be on the disk, under its final name, before any table page that the run
  // changes can be written back.
  Status copied = CopyFolderFiles(Path(kDatabaseFolder), partial);
  if (copied.ok()) copied = SyncFileSystemOf(partial);
  if (copied.ok()) copied = Rename(partial, Path(kRunUndoFolder));
  if (copied.ok()) copied = SyncFileSystemOf(folder_.empty() ? "." : folder_);
  if (copied.ok()) return {};
  (void)RemoveTree(partial);
  Error error = copied.error();
  if (error.code == ENOSPC || error.code == EDQUOT) {
    error.message = "not enough space on the disk of " + folder_ +
                    " for the copy of the database a parse run keeps until it ends: it needs " +
                    FormatMegabytes(DatabaseBytes()) + ", " +
                    FormatMegabytes(FreeBytesOn(folder_)) + " are free";
  } else {
    error.message = "cannot keep a copy of the database for the run: " + error.message;
  }
  return error;
}

Status RunJournal::Commit() {
  // The tables (written through their mappings) must be on the disk before the copy that could
  // undo them goes.
  if (Status synced = SyncFileSystemOf(Path(kDatabaseFolder)); !synced.ok()) return synced;
  const std::string discard = Path(kRunUndoDiscardFolder);
  if (Status moved = Rename(Path(kRunUndoFolder), discard); !moved.ok()) return moved;
  return RemoveTree(discard);
}
Status RunJournal::Rollback() {
  Result<bool> undone = Recover();
  if (!undone.ok()) return undone.error();
  return {};
}

Result<bool> RunJournal::Recover() {
  if (Status s = RemoveTree(Path(kRunUndoPartialFolder)); !s.ok()) return s.error();
  if (Status s = RemoveTree(Path(kRunUndoDiscardFolder)); !s.ok()) return s.error();
  const std::string undo = Path(kRunUndoFolder);
  const std::string undone = Path(kRunUndoneFolder);
  const std::string database = Path(kDatabaseFolder);
  bool restored = false;
  if (Exists(undo)) {
    if (Exists(database)) {
      if (Status s = RemoveTree(undone); !s.ok()) return s.error();
      if (Status s = Rename(database, undone); !s.ok()) return s.error();
    }
    if (Status s = Rename(undo, database); !s.ok()) return s.error();
    // The copy is back in place before the tables set aside go.
    if (Status s = SyncFileSystemOf(database); !s.ok()) return s.error();
    restored = true;
  }
  // Set aside by a put-back that got this far; the copy is in place already.
  if (Exists(undone)) {
    restored = true;
    if (Status s = RemoveTree(undone); !s.ok()) return s.error();
  }
  return restored;
}

}  // namespace velmora
