#include "platform/progress_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace velmora {
namespace {

using std::chrono::milliseconds;

// How often RunModal looks at the view and the worker while it waits.
constexpr milliseconds kTick{100};
constexpr milliseconds kBarWakeGap{50};
// The short waits on the thread handle before and after the termination question.
constexpr milliseconds kShortWait{10};

void EndProcessAfterForcedTermination() {
  // The worker cannot be stopped safely from outside; the process ends with it. Table pages are
  // shared mappings, so what the worker wrote so far still reaches the files.
  std::fflush(nullptr);
  std::_Exit(EXIT_FAILURE);
}

bool MovesBar(int32_t position, int32_t current) {
  return position == 0 || (position >= 1 && position > current);
}

}  // namespace

ProgressDialog::ProgressDialog(std::string title, ThreadProc procedure)
    : ProgressDialog(std::move(title), std::move(procedure), Options{}) {}

ProgressDialog::ProgressDialog(std::string title, ThreadProc procedure, Options options)
    : options_(std::move(options)), procedure_(std::move(procedure)) {
  state_.title = std::move(title);
  if (!options_.force_exit) options_.force_exit = EndProcessAfterForcedTermination;
}

ProgressDialog::~ProgressDialog() {
  if (worker_.joinable()) worker_.join();
}

void ProgressDialog::PostRefresh(bool only_bar) {
  refresh_posted_ = true;
  if (only_bar) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_bar_wake_ < kBarWakeGap) return;
    last_bar_wake_ = now;
  }
  wake_.notify_all();
}

void ProgressDialog::SetStatus(std::optional<std::string_view> text, int32_t position) {
  std::lock_guard lock(lock_);
  if (text) {
    state_.status.assign(*text);
    dirty_ |= kProgressStatus;
  }
  if (MovesBar(position, state_.overall_position)) {
    state_.overall_position = position;
    dirty_ |= kProgressOverallBar;
  }
  PostRefresh();
}

void ProgressDialog::SetDetail(std::optional<std::string_view> text, int32_t position) {
  std::lock_guard lock(lock_);
  if (text) {
    state_.detail.assign(*text);
    dirty_ |= kProgressDetail;
  }
  const bool moves = MovesBar(position, state_.file_position);
  if (moves) {
    state_.file_position = position;
    dirty_ |= kProgressFileBar;
  }
  if (text || moves) PostRefresh(/*only_bar=*/!text);
}

void ProgressDialog::SetFileCount(int32_t count) {
  std::lock_guard lock(lock_);
  state_.overall_range = count;
  dirty_ |= kProgressOverallBar;
  if (window_exists_) PostRefresh();
}

void ProgressDialog::SetFileRange(int32_t range) {
  std::lock_guard lock(lock_);
  state_.file_range = range;
  dirty_ |= kProgressFileBar;
  if (window_exists_) PostRefresh();
}

void ProgressDialog::ResetFileBar(int32_t range) {
  std::lock_guard lock(lock_);
  state_.file_range = range;
  state_.file_position = 0;
  dirty_ |= kProgressFileBar;
  PostRefresh();
}

// Any Cancel stops the run. (Counting requests down and up again, as a test of "reached zero",
// would let a second press of Cancel resume the run.)
bool ProgressDialog::KeepGoing() const { return cancel_requests_.load() == 0; }

void ProgressDialog::PressCancel() {
  cancel_requests_.fetch_add(1);
  std::lock_guard lock(lock_);
  wake_.notify_all();
}

void ProgressDialog::PostOk() {
  std::lock_guard lock(lock_);
  ok_posted_ = true;
  wake_.notify_all();
}

ProgressState ProgressDialog::state() const {
  std::lock_guard lock(lock_);
  return state_;
}

bool ProgressDialog::ok_posted() const {
  std::lock_guard lock(lock_);
  return ok_posted_;
}

void ProgressDialog::ApplyRefresh(ProgressView& view) {
  ProgressState shown;
  uint32_t parts;
  {
    std::lock_guard lock(lock_);
    refresh_posted_ = false;
    parts = std::exchange(dirty_, 0);
    if (parts == 0) return;
    shown = state_;
  }
  view.Show(shown, parts);
}

ProgressResult ProgressDialog::RunModal(ProgressView& view, Prompter& prompter) {
  {
    std::lock_guard lock(lock_);
    window_exists_ = true;
    state_.overall_position = 0;
    state_.file_position = 0;
    dirty_ = kProgressAllParts;
  }
  ApplyRefresh(view);
  worker_ = std::thread([this] {
    procedure_(*this);
    std::lock_guard lock(lock_);
    worker_ended_ = true;
    wake_.notify_all();
  });

  ProgressResult result = ProgressResult::kCancel;
  for (;;) {
    if (view.CancelPressed()) PressCancel();
    ApplyRefresh(view);
    view.Idle();
    std::unique_lock lock(lock_);
    if (cancel_requests_.load() > 0) {
      result = ProgressResult::kCancel;
      break;
    }
    if (ok_posted_) {
      result = ProgressResult::kOk;
      break;
    }
    // A worker that ends without posting OK would leave RunModal waiting for a cancel nobody may
    // give (the command line without a terminal): it ends as a cancelled run.
    if (worker_ended_) break;
    wake_.wait_for(lock, kTick, [this] {
      return refresh_posted_ || ok_posted_ || worker_ended_ || cancel_requests_.load() > 0;
    });
  }

  WaitForWorker(view, prompter);
  ApplyRefresh(view);
  {
    std::lock_guard lock(lock_);
    window_exists_ = false;
  }
  view.Close(result);
  return result;
}

bool ProgressDialog::WaitForWorkerEnd(ProgressView& view, milliseconds period) {
  const auto deadline = std::chrono::steady_clock::now() + period;
  for (;;) {
    bool ended;
    {
      std::unique_lock lock(lock_);
      auto wake_at = std::min(deadline, std::chrono::steady_clock::now() + kTick);
      wake_.wait_until(lock, wake_at, [this] { return worker_ended_ || refresh_posted_; });
      ended = worker_ended_;
    }
    // Refreshes still reach the view while it waits ("Cancelling...").
    ApplyRefresh(view);
    view.Idle();
    if (ended) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
}

void ProgressDialog::WaitForWorker(ProgressView& view, Prompter& prompter) {
  for (;;) {
    view.ShowWaitNotice(true);
    bool ended = WaitForWorkerEnd(view, options_.wait_period);
    view.ShowWaitNotice(false);
    if (ended || WaitForWorkerEnd(view, kShortWait)) break;
    PromptAnswer answer =
        prompter.Ask(kAppCaption, kTerminateQuestion, PromptButtons::kYesNo, PromptIcon::kQuestion);
    if (answer != PromptAnswer::kYes) continue;
    if (WaitForWorkerEnd(view, kShortWait)) break;
    prompter.Ask(kAppCaption, kForcedTerminationWarning, PromptButtons::kOk, PromptIcon::kWarning);
    options_.force_exit();
    // Only a replaced exit returns here; the worker must still end before RunModal may return.
    while (!WaitForWorkerEnd(view, options_.wait_period)) {
    }
    break;
  }
  if (worker_.joinable()) worker_.join();
}

}  // namespace velmora
