// An export the page started: it runs on a thread of its own while the page asks how far it got
// ("Saving report: %s") and may cancel it between two reports. One runs at a time.
#pragma once

#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

namespace velmora::web {

class ExportJob {
 public:
  ExportJob() = default;
  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;
  // Cancels a running export and waits for it: its thread uses what the server owns.
  ~ExportJob();

  // Runs `work` on its own thread; false (and nothing started) while another export runs.
  // `work` ends by calling Finish.
  bool Start(std::function<void(ExportJob&)> work);

  // From the export: the status to show; false once the page asked to cancel.
  bool Progress(const std::string& status);
  // From the export: its outcome, which Status() carries from then on.
  void Finish(nlohmann::json outcome);

  void Cancel();
  // {"running", "status", "outcome" (null until finished)}.
  nlohmann::json Status();

 private:
  std::mutex mutex_;
  std::thread thread_;
  bool running_ = false;
  bool cancel_ = false;
  std::string status_;
  nlohmann::json outcome_;
};

}  // namespace velmora::web
