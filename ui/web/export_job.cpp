#include "ui/web/export_job.h"

#include <utility>

namespace velmora::web {

ExportJob::~ExportJob() {
  // A server told to stop should not first finish an export of hundreds of reports.
  Cancel();
  if (thread_.joinable()) thread_.join();
}

bool ExportJob::Start(std::function<void(ExportJob&)> work) {
  std::lock_guard lock(mutex_);
  if (running_) return false;
  // The last export's thread has finished its work already; only its end is collected here.
  if (thread_.joinable()) thread_.join();
  running_ = true;
  cancel_ = false;
  status_.clear();
  outcome_ = nullptr;
  thread_ = std::thread([this, work = std::move(work)] { work(*this); });
  return true;
}

bool ExportJob::Progress(const std::string& status) {
  std::lock_guard lock(mutex_);
  status_ = status;
  return !cancel_;
}

void ExportJob::Finish(nlohmann::json outcome) {
  std::lock_guard lock(mutex_);
  outcome_ = std::move(outcome);
  running_ = false;
}

void ExportJob::Cancel() {
  std::lock_guard lock(mutex_);
  cancel_ = true;
}

nlohmann::json ExportJob::Status() {
  std::lock_guard lock(mutex_);
  return {{"running", running_}, {"status", status_}, {"outcome", outcome_}};
}

}  // namespace velmora::web
