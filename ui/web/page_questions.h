// What a job running for the page asks and waits for: a question (a message box of the engine, or
// the retrieval's file chooser) is published here for every tab to poll, and the job's thread
// blocks until one tab answers it. Nobody may be looking, so every wait ends: on the answer, on
// Cancel of the job (the question then open is given up), after a long timeout, or when the
// server stops. A wait that ends without an answer returns none, and the asker uses its policy.
//
// One question is open at a time; a second asker waits its turn. Answers carry the question's id,
// so that the answer one tab sends to a question another tab has answered already changes nothing.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <thread>

#include "platform/prompter.h"

namespace velmora::web {

class PageQuestions {
 public:
  explicit PageQuestions(std::chrono::milliseconds timeout) : timeout_(timeout) {}

  // Publishes `question` (an object; "id" is added) and waits for its answer.
  std::optional<nlohmann::json> Ask(nlohmann::json question);
  // From a tab: the answer to question `id`; false when that question is not the one open.
  bool Answer(uint64_t id, nlohmann::json answer);
  // Cancel of the job: the question open now and every later one are given up, except those
  // asked on thread `spared` (the dialog's own, which asks whether to end a worker that does not
  // stop), until Reset.
  void Cancel(std::thread::id spared);
  // A new job: questions are asked again.
  void Reset();
  // Gives up every question, now and later: the server stops.
  void Close();
  // The question open, or null.
  nlohmann::json Open() const;

 private:
  const std::chrono::milliseconds timeout_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool closed_ = false;
  bool asking_ = false;  // a question is open; others wait their turn
  uint64_t last_id_ = 0;
  nlohmann::json open_;  // null while none is open
  std::optional<nlohmann::json> answer_;
  bool given_up_ = false;
  bool cancelled_ = false;
  std::thread::id spared_;
  std::thread::id asker_;  // of the open question
};

// The names of a prompt's parts as the page takes them: "ok", "retry", "cancel", "yes",
// "yes_to_all", "no_to_all", "no"; icons "error", "warning", "question", "information"; buttons
// "ok", "retry_cancel", "yes_no", "yes_all_no_all_no".
std::string_view AnswerName(PromptAnswer answer);
std::optional<PromptAnswer> AnswerNamed(std::string_view name);
std::string_view IconName(PromptIcon icon);
std::string_view ButtonsName(PromptButtons buttons);

// The job's Prompter: every message and question is put to the page. A question nobody answers
// gets the policy answer (Retry/Cancel -> Cancel, Yes/No -> No, the four-way -> No to All); an
// answer the question does not offer counts as none.
class QuestionPrompter final : public Prompter {
 public:
  explicit QuestionPrompter(PageQuestions& questions) : questions_(questions) {}
  PromptAnswer Ask(std::string_view caption, std::string_view text, PromptButtons buttons,
                   PromptIcon icon) override;

 private:
  PageQuestions& questions_;
};

}  // namespace velmora::web
