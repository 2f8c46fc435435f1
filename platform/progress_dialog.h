// ProgressDialog: the worker thread, progress and cancel channel of a long run (a parse run, a
// retrieval run, an export of all reports).
//
// It owns the worker. RunModal starts it and, on the calling (front-end) thread, drives the
// ProgressView: it shows what the worker sets, carries the user's cancel to it, and when the
// worker posts OK or the user cancels, waits for the thread, offering to end the process when it
// does not stop within the wait period (a thread cannot be killed safely).
//
// Invariants:
//  - The worker never touches the view. Its setters change fields under the lock, set dirty
//    flags and post a refresh; the front-end thread copies the dirty parts under the same lock
//    and shows them outside it.
//  - The cancel request only ever grows within a run; KeepGoing is false from the first Cancel on.
//  - RunModal returns only after the worker thread has ended (or the process is ended for it).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/prompter.h"

namespace velmora {

// Dirty flags: which parts of the view must be refreshed.
enum ProgressPart : uint32_t {
  kProgressTitle = 1,
  kProgressStatus = 2,
  kProgressDetail = 4,
  kProgressOverallBar = 8,
  kProgressFileBar = 16,
  kProgressAllParts = 31,
};

// What the view shows. A bar whose range is below 1 is hidden.
struct ProgressState {
  std::string title;
  std::string status;  // upper text line
  std::string detail;  // lower text line (the file name)
  int32_t overall_range = -1;
  int32_t overall_position = 0;
  int32_t file_range = -1;
  int32_t file_position = 0;
};

enum class ProgressResult : uint8_t { kOk, kCancel };

// The progress as a front end renders it. Called on the thread that runs RunModal only.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Shows the parts named in `parts` (ProgressPart bits) from `state`.
  virtual void Show(const ProgressState& state, uint32_t parts) = 0;
  // Polled about ten times a second: true when the user pressed Cancel since the last poll.
  virtual bool CancelPressed() { return false; }
  // Called about ten times a second while RunModal waits, so a throttled view can catch up.
  virtual void Idle() {}
  // The "Please wait for 5 seconds..." notice appears (true) or goes (false).
  virtual void ShowWaitNotice(bool /*shown*/) {}
  // The run has ended with `result`; the view closes.
  virtual void Close(ProgressResult /*result*/) {}
};

// A view that shows nothing and never cancels.
class NullProgressView final : public ProgressView {
 public:
  void Show(const ProgressState&, uint32_t) override {}
};

inline constexpr std::string_view kWaitNoticeText = "Please wait for 5 seconds...";
inline constexpr std::string_view kTerminateQuestion =
    "Terminate processing thread?\nThis can lead to a data corruption!\nPress 'No' to wait for "
    "another 5 seconds";
inline constexpr std::string_view kForcedTerminationWarning =
    "Termination of the processing thread has been forced.\nPlease restart Velmora and rebuild "
    "the database";

class ProgressDialog {
 public:
  // What the worker runs; it returns the thread's exit code (0).
  using ThreadProc = std::function<int(ProgressDialog&)>;

  struct Options {
    // How long the wait notice waits for the worker before the termination question.
    std::chrono::milliseconds wait_period{5000};
    // Ends the process after the forced-termination warning. Tests replace it; when it returns,
    // RunModal waits for the worker like any other.
    std::function<void()> force_exit;
  };

  // The context the worker needs travels in `procedure`'s captures.
  ProgressDialog(std::string title, ThreadProc procedure);
  ProgressDialog(std::string title, ThreadProc procedure, Options options);
  ~ProgressDialog();
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  // Front-end side: starts the worker and drives `view` until the run ends. Questions go to
  // `prompter`. Call once.
  ProgressResult RunModal(ProgressView& view, Prompter& prompter);
  // The user's cancel, from any thread (the view's polling is the usual way in).
  void PressCancel();

  // Worker side. A text replaces the line when given; the position moves the bar when it is 0, or
  // when it is at least 1 and above the current one; -1 (or any lower value) leaves it.
  void SetStatus(std::optional<std::string_view> text, int32_t position);
  void SetDetail(std::optional<std::string_view> text, int32_t position);
  // Ranges of the overall and per-file bars; below 1 hides the bar.
  void SetFileCount(int32_t count);
  void SetFileRange(int32_t range);
  // The per-file bar at the start of a file: `range` with position 0.
  void ResetFileBar(int32_t range);
  // False once Cancel was pressed.
  bool KeepGoing() const;
  // The worker has finished its run (a cancelled parse run does not post it).
  void PostOk();

  // A copy of the fields, for tests and for views that redraw everything.
  ProgressState state() const;
  // Whether the worker posted OK.
  bool ok_posted() const;

 private:
  // Caller holds lock_. A change that only moves a bar wakes the front end at most every
  // kBarWakeGap; it is shown at the next tick at the latest. The worker moves the file bar every
  // few hundred lines, and waking the other thread for each would slow the run noticeably.
  void PostRefresh(bool only_bar = false);
  // Shows the dirty parts, if any, and clears them.
  void ApplyRefresh(ProgressView& view);
  // Waits for the worker with the notice and the termination question; returns when it ended.
  void WaitForWorker(ProgressView& view, Prompter& prompter);
  bool WaitForWorkerEnd(ProgressView& view, std::chrono::milliseconds period);

  Options options_;
  ThreadProc procedure_;

  mutable std::mutex lock_;
  std::condition_variable wake_;  // refresh posted, OK posted, worker ended, Cancel pressed
  ProgressState state_;
  uint32_t dirty_ = kProgressAllParts;
  bool refresh_posted_ = false;
  std::chrono::steady_clock::time_point last_bar_wake_{};
  bool ok_posted_ = false;
  bool worker_ended_ = false;
  bool window_exists_ = false;

  std::atomic<int32_t> cancel_requests_{0};
  std::thread worker_;
};

}  // namespace velmora
