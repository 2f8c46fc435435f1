#include "ui/web/work_job.h"

#include <utility>

namespace velmora::web {
namespace {

nlohmann::json BarJson(int32_t range, int32_t position) {
  // A bar whose range is below 1 is hidden.
  if (range < 1) return nullptr;
  return {{"range", range}, {"position", position}};
}

}  // namespace

WorkJob::WorkJob(std::chrono::milliseconds answer_timeout) : questions_(answer_timeout) {}

WorkJob::~WorkJob() {
  questions_.Close();
  Cancel();
  if (thread_.joinable()) thread_.join();
}

bool WorkJob::Start(std::string kind, Work work) {
  std::lock_guard lock(mutex_);
  if (running_) return false;
  // The last job's thread has finished its work already; only its end is collected here.
  if (thread_.joinable()) thread_.join();
  running_ = true;
  cancel_pressed_ = false;
  questions_.Reset();
  kind_ = std::move(kind);
  progress_ = nullptr;
  outcome_ = nullptr;
  thread_ = std::thread([this, work = std::move(work)] {
    nlohmann::json outcome = work(*this);
    std::lock_guard done(mutex_);
    outcome_ = std::move(outcome);
    running_ = false;
  });
  return true;
}

bool WorkJob::running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void WorkJob::Cancel() {
  std::thread::id dialog_thread;
  {
    std::lock_guard lock(mutex_);
    if (!running_) return;
    cancel_pressed_ = true;
    dialog_thread = thread_.get_id();
  }
  // The worker (the chooser, an overwrite question) stops asking; the dialog's own question
  // whether to end a worker that does not stop is still put.
  questions_.Cancel(dialog_thread);
}

nlohmann::json WorkJob::Status() const {
  nlohmann::json question = questions_.Open();
  std::lock_guard lock(mutex_);
  return {{"running", running_},
          {"kind", kind_},
          {"progress", progress_},
          {"question", running_ ? std::move(question) : nlohmann::json()},
          {"outcome", outcome_}};
}

void WorkJob::PublishedView::Show(const ProgressState& state, uint32_t /*parts*/) {
  std::lock_guard lock(job_.mutex_);
  const bool waiting = job_.progress_.is_object() && job_.progress_.value("waiting", false);
  job_.progress_ = {{"title", state.title},
                    {"status", state.status},
                    {"detail", state.detail},
                    {"overall", BarJson(state.overall_range, state.overall_position)},
                    {"file", BarJson(state.file_range, state.file_position)},
                    {"waiting", waiting}};
}

bool WorkJob::PublishedView::CancelPressed() {
  std::lock_guard lock(job_.mutex_);
  return std::exchange(job_.cancel_pressed_, false);
}

void WorkJob::PublishedView::ShowWaitNotice(bool shown) {
  std::lock_guard lock(job_.mutex_);
  if (job_.progress_.is_object()) job_.progress_["waiting"] = shown;
}

void WorkJob::PublishedView::Close(ProgressResult /*result*/) {
  std::lock_guard lock(job_.mutex_);
  job_.progress_ = nullptr;
}

}  // namespace velmora::web
