// WorkspaceLock: how processes share one workspace. The writer of the database (a parse run, the
// reset) holds the lock file "velmora.lock" of the workspace folder exclusively; readers hold it
// shared, together. The lock is an flock on the file, so it goes when the holder closes the file
// or dies, however it dies; the file itself stays.
//
// A writer never waits: a run that queued behind another would parse what the first already did.
// While it holds the lock the file holds its process id, so that whoever is refused can name it.
// A reader may wait for the writer's commit instead of reading tables that are half written.
//
// Locks taken through two WorkspaceLock objects exclude each other in one process too. Move-only;
// the destructor releases.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/result.h"

namespace velmora {

// Called once before a reader starts to wait, with the writer's process id (0 when it cannot be
// read).
using LockWaitFn = std::function<void(int64_t writer_pid)>;

class WorkspaceLock {
 public:
  WorkspaceLock() = default;  // holds nothing
  ~WorkspaceLock();
  WorkspaceLock(WorkspaceLock&& other) noexcept;
  WorkspaceLock& operator=(WorkspaceLock&& other) noexcept;
  WorkspaceLock(const WorkspaceLock&) = delete;
  WorkspaceLock& operator=(const WorkspaceLock&) = delete;

  // The writer's lock, taken without waiting; the lock file (created when missing) then holds
  // this process's id. Fails with kBusy when another holder has the lock, with a message naming
  // it: a writer by its process id, or readers; with kFailed when the lock file cannot be opened.
  static Result<WorkspaceLock> TryExclusive(std::string_view workspace_folder);
  // A reader's lock, taken without waiting: kBusy naming the writer while one holds the lock.
  static Result<WorkspaceLock> TryShared(std::string_view workspace_folder);
  // A reader's lock, waiting as long as a writer holds it. `before_waiting` (may be empty) hears
  // of the wait before it begins. A signal that ends the process ends the wait with it.
  static Result<WorkspaceLock> Shared(std::string_view workspace_folder,
                                      const LockWaitFn& before_waiting);

  bool held() const { return fd_ >= 0; }
  // Lets go of the lock (a writer clears its process id first); harmless when nothing is held.
  void Release();

 private:
  WorkspaceLock(int fd, bool exclusive) : fd_(fd), exclusive_(exclusive) {}
  // A reader's lock; waits only when `before_waiting` is not null.
  static Result<WorkspaceLock> TakeShared(std::string_view workspace_folder,
                                          const LockWaitFn* before_waiting);

  int fd_ = -1;
  bool exclusive_ = false;
};

}  // namespace velmora
