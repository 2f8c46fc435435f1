#include "ui/web/page_questions.h"

#include <array>
#include <utility>

#include "platform/prompt_answers.h"

namespace velmora::web {
namespace {

struct Named {
  PromptAnswer answer;
  std::string_view name;
};
constexpr std::array<Named, 7> kAnswers = {{{PromptAnswer::kOk, "ok"},
                                            {PromptAnswer::kRetry, "retry"},
                                            {PromptAnswer::kCancel, "cancel"},
                                            {PromptAnswer::kYes, "yes"},
                                            {PromptAnswer::kYesToAll, "yes_to_all"},
                                            {PromptAnswer::kNoToAll, "no_to_all"},
                                            {PromptAnswer::kNo, "no"}}};

}  // namespace

std::optional<nlohmann::json> PageQuestions::Ask(nlohmann::json question) {
  std::unique_lock lock(mutex_);
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  // The timeout counts from the call: a question that waited its turn that long is not shown.
  const auto given_up = [this] {
    return closed_ || (cancelled_ && std::this_thread::get_id() != spared_);
  };
  if (!changed_.wait_until(lock, deadline, [&] { return given_up() || !asking_; }) || given_up()) {
    return std::nullopt;
  }
  asking_ = true;
  asker_ = std::this_thread::get_id();
  question["id"] = ++last_id_;
  open_ = std::move(question);
  answer_.reset();
  given_up_ = false;
  changed_.wait_until(lock, deadline, [this] { return closed_ || given_up_ || answer_; });
  std::optional<nlohmann::json> answer = std::exchange(answer_, std::nullopt);
  open_ = nullptr;
  asking_ = false;
  changed_.notify_all();
  return answer;
}

bool PageQuestions::Answer(uint64_t id, nlohmann::json answer) {
  std::lock_guard lock(mutex_);
  if (open_.is_null() || open_["id"] != id || answer_ || given_up_) return false;
  answer_ = std::move(answer);
  changed_.notify_all();
  return true;
}

void PageQuestions::Cancel(std::thread::id spared) {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  spared_ = spared;
  if (!open_.is_null() && asker_ != spared) given_up_ = true;
  changed_.notify_all();
}

void PageQuestions::Reset() {
  std::lock_guard lock(mutex_);
  cancelled_ = false;
}

void PageQuestions::Close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

nlohmann::json PageQuestions::Open() const {
  std::lock_guard lock(mutex_);
  return open_;
}

std::string_view AnswerName(PromptAnswer answer) {
  for (const Named& named : kAnswers) {
    if (named.answer == answer) return named.name;
  }
  return "ok";
}

std::optional<PromptAnswer> AnswerNamed(std::string_view name) {
  for (const Named& named : kAnswers) {
    if (named.name == name) return named.answer;
  }
  return std::nullopt;
}

std::string_view IconName(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::kError:
      return "error";
    case PromptIcon::kWarning:
      return "warning";
    case PromptIcon::kQuestion:
      return "question";
    case PromptIcon::kInformation:
      break;
  }
  return "information";
}

std::string_view ButtonsName(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk:
      break;
    case PromptButtons::kRetryCancel:
      return "retry_cancel";
    case PromptButtons::kYesNo:
      return "yes_no";
    case PromptButtons::kYesAllNoAllNo:
      return "yes_all_no_all_no";
  }
  return "ok";
}

PromptAnswer QuestionPrompter::Ask(std::string_view caption, std::string_view text,
                                   PromptButtons buttons, PromptIcon icon) {
  const std::optional<nlohmann::json> reply = questions_.Ask({{"kind", "prompt"},
                                                              {"caption", caption},
                                                              {"text", text},
                                                              {"buttons", ButtonsName(buttons)},
                                                              {"icon", IconName(icon)}});
  if (reply && reply->is_string()) {
    const std::optional<PromptAnswer> answer = AnswerNamed(reply->get<std::string>());
    if (answer && AnswerFits(buttons, *answer)) return *answer;
  }
  return PolicyAnswer(buttons, false);
}

}  // namespace velmora::web
