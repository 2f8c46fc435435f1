#include "platform/prompter.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "core/ascii.h"
#include "platform/prompt_answers.h"

namespace velmora {
namespace {

std::string_view Choices(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::kOk:
      return "";
    case PromptButtons::kRetryCancel:
      return "[r]etry / [c]ancel? ";
    case PromptButtons::kYesNo:
      return "[y]es / [n]o? ";
    case PromptButtons::kYesAllNoAllNo:
      return "[y]es / yes to [a]ll / [n]o / n[o] to all? ";
  }
  return "";
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Reads a typed reply: the key letter shown in brackets or the whole word, in any case.
std::optional<PromptAnswer> ParseReply(PromptButtons buttons, std::string_view reply) {
  const std::string word = AsciiLowered(Trimmed(reply));
  struct Word {
    std::string_view text;
    PromptAnswer answer;
  };
  static constexpr Word kWords[] = {
      {"r", PromptAnswer::kRetry},    {"retry", PromptAnswer::kRetry},
      {"c", PromptAnswer::kCancel},   {"cancel", PromptAnswer::kCancel},
      {"y", PromptAnswer::kYes},      {"yes", PromptAnswer::kYes},
      {"n", PromptAnswer::kNo},       {"no", PromptAnswer::kNo},
      {"a", PromptAnswer::kYesToAll}, {"yes to all", PromptAnswer::kYesToAll},
      {"o", PromptAnswer::kNoToAll},  {"no to all", PromptAnswer::kNoToAll},
  };
  for (const Word& w : kWords) {
    if (w.text == word && AnswerFits(buttons, w.answer)) return w.answer;
  }
  return std::nullopt;
}

std::string_view NoTerminalNote(PromptButtons buttons, PromptAnswer answer) {
  if (buttons == PromptButtons::kRetryCancel) return "(No terminal to ask: answered Cancel.)\n";
  return answer == PromptAnswer::kNoToAll
             ? "(No terminal to ask: answered No to All; --yes answers Yes to All.)\n"
             : "(No terminal to ask: answered No; --yes answers Yes.)\n";
}

}  // namespace

bool AnswerFits(PromptButtons buttons, PromptAnswer answer) {
  switch (buttons) {
    case PromptButtons::kOk:
      return answer == PromptAnswer::kOk;
    case PromptButtons::kRetryCancel:
      return answer == PromptAnswer::kRetry || answer == PromptAnswer::kCancel;
    case PromptButtons::kYesNo:
      return answer == PromptAnswer::kYes || answer == PromptAnswer::kNo;
    case PromptButtons::kYesAllNoAllNo:
      return answer == PromptAnswer::kYes || answer == PromptAnswer::kYesToAll ||
             answer == PromptAnswer::kNo || answer == PromptAnswer::kNoToAll;
  }
  return false;
}

PromptAnswer PolicyAnswer(PromptButtons buttons, bool assume_yes) {
  switch (buttons) {
    case PromptButtons::kOk:
      return PromptAnswer::kOk;
    case PromptButtons::kRetryCancel:
      return PromptAnswer::kCancel;
    case PromptButtons::kYesNo:
      return assume_yes ? PromptAnswer::kYes : PromptAnswer::kNo;
    case PromptButtons::kYesAllNoAllNo:
      return assume_yes ? PromptAnswer::kYesToAll : PromptAnswer::kNoToAll;
  }
  return PromptAnswer::kCancel;
}

TerminalPrompter::TerminalPrompter(bool assume_yes)
    : assume_yes_(assume_yes), interactive_(isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {}

PromptAnswer TerminalPrompter::Ask(std::string_view caption, std::string_view text,
                                   PromptButtons buttons, PromptIcon /*icon*/) {
  // One question at a time: a worker and the main thread must not interleave their lines.
  std::lock_guard lock(mutex_);
  std::cerr << caption << ": " << text << '\n';
  if (buttons == PromptButtons::kOk) {
    std::cerr.flush();
    return PromptAnswer::kOk;
  }
  const bool is_question = buttons != PromptButtons::kRetryCancel;
  if (!interactive_ || (assume_yes_ && is_question)) {
    const PromptAnswer answer = PolicyAnswer(buttons, assume_yes_);
    // Someone reading a script's output must see that nobody answered, and how to answer.
    if (!interactive_ && !assume_yes_) std::cerr << NoTerminalNote(buttons, answer);
    std::cerr.flush();
    return answer;
  }
  std::string line;
  while (true) {
    std::cerr << Choices(buttons);
    std::cerr.flush();
    if (!std::getline(std::cin, line)) {
      std::cerr << '\n';
      return PolicyAnswer(buttons, assume_yes_);
    }
    if (std::optional<PromptAnswer> answer = ParseReply(buttons, line)) return *answer;
  }
}

PromptAnswer ScriptedPrompter::Ask(std::string_view caption, std::string_view text,
                                   PromptButtons buttons, PromptIcon icon) {
  std::lock_guard lock(mutex_);
  PromptAnswer answer = PolicyAnswer(buttons, assume_yes_);
  if (buttons != PromptButtons::kOk && !answers_.empty()) {
    const PromptAnswer queued = answers_.front();
    answers_.pop_front();
    if (AnswerFits(buttons, queued)) answer = queued;
  }
  messages_.push_back(Message{std::string(caption), std::string(text), buttons, icon, answer});
  return answer;
}

void ScriptedPrompter::QueueAnswer(PromptAnswer answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

void ScriptedPrompter::Clear() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

std::vector<std::string> ScriptedPrompter::texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  out.reserve(messages_.size());
  for (const Message& m : messages_) out.push_back(m.text);
  return out;
}

}  // namespace velmora
