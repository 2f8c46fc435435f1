// The parse or retrieval run the page started: it runs on a thread of the server, where it drives
// the run's ProgressDialog (RunModal) with a view that only publishes what the dialog shows.
// Every tab polls the same job, so two tabs see one progress dialog and one open question; Cancel
// from either reaches the dialog as its Cancel button would. One job runs at a time.
//
// The job's questions (its Prompter and the file chooser) go through PageQuestions and block the
// job's thread until a tab answers, the job is cancelled, a long timeout passes or the server
// stops.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "platform/progress_dialog.h"
#include "ui/web/page_questions.h"

namespace velmora::web {

class WorkJob {
 public:
  // What the job does; its outcome is what Status() carries once it ended.
  using Work = std::function<nlohmann::json(WorkJob& job)>;

  explicit WorkJob(std::chrono::milliseconds answer_timeout);
  // Gives up every question and cancels the run, then waits for it: its thread uses what the
  // server owns. A worker that does not stop holds the server's end until it does.
  ~WorkJob();
  WorkJob(const WorkJob&) = delete;
  WorkJob& operator=(const WorkJob&) = delete;

  // Runs `work` on the job's thread; false (and nothing started) while another job runs.
  bool Start(std::string kind, Work work);
  bool running() const;

  // For `work`: where the run's progress and questions go.
  ProgressView& view() { return view_; }
  Prompter& prompter() { return prompter_; }
  PageQuestions& questions() { return questions_; }

  // The Cancel button: reaches the dialog at its next look; the worker's questions are given up.
  void Cancel();
  // {"running", "kind", "progress" (null until the dialog shows), "question" (null when none is
  // open), "outcome" (null until it ended)}.
  nlohmann::json Status() const;

 private:
  class PublishedView final : public ProgressView {
   public:
    explicit PublishedView(WorkJob& job) : job_(job) {}
    void Show(const ProgressState& state, uint32_t parts) override;
    bool CancelPressed() override;
    void ShowWaitNotice(bool shown) override;
    void Close(ProgressResult result) override;

   private:
    WorkJob& job_;
  };

  mutable std::mutex mutex_;
  std::thread thread_;
  bool running_ = false;
  bool cancel_pressed_ = false;  // not yet seen by the dialog
  std::string kind_;
  nlohmann::json progress_;
  nlohmann::json outcome_;
  PageQuestions questions_;
  QuestionPrompter prompter_{questions_};
  PublishedView view_{*this};
};

}  // namespace velmora::web
