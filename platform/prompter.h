// Prompter: every message and question of the system goes through this seam, with its exact
// caption, text, answers offered (PromptButtons) and icon, so that no engine code knows how the
// user is reached. The command line prints and asks on a terminal and answers by policy otherwise;
// tests script the answers and read back every message shown.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class PromptIcon : uint8_t { kError, kWarning, kQuestion, kInformation };
enum class PromptButtons : uint8_t { kOk, kRetryCancel, kYesNo, kYesAllNoAllNo };
enum class PromptAnswer : uint8_t { kOk, kRetry, kCancel, kYes, kYesToAll, kNoToAll, kNo };

inline constexpr std::string_view kAppCaption = "Velmora";

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Puts the message to the user and returns the answer chosen; must return one of `buttons`'
  // answers.
  virtual PromptAnswer Ask(std::string_view caption, std::string_view text, PromptButtons buttons,
                           PromptIcon icon) = 0;

  void ShowError(std::string_view caption, std::string_view text) {
    Ask(caption, text, PromptButtons::kOk, PromptIcon::kError);
  }
};

// The answer a prompter gives when nobody can be asked: Retry/Cancel -> Cancel; Yes/No -> No
// (Yes with assume_yes); the four-way question -> No to All (Yes to All with assume_yes).
PromptAnswer PolicyAnswer(PromptButtons buttons, bool assume_yes);

// The command line's prompter: "Caption: text" on stderr; asks on a terminal (stdin and stderr
// both terminals), answers by policy otherwise, and then (without assume_yes) says so on the next
// line with the option that answers Yes. With assume_yes questions are answered Yes
// without asking (Yes to All for the four-way question); Retry/Cancel is still asked on a
// terminal. Replies are the bracketed key or the whole word, in any case: [r]etry, [c]ancel,
// [y]es, [n]o, yes to [a]ll, n[o] to all; anything else asks again, end of input answers by policy.
class TerminalPrompter final : public Prompter {
 public:
  explicit TerminalPrompter(bool assume_yes);
  PromptAnswer Ask(std::string_view caption, std::string_view text, PromptButtons buttons,
                   PromptIcon icon) override;

 private:
  bool assume_yes_;
  bool interactive_;
  std::mutex mutex_;
};

// Test double: records every message with the answer given. Questions take their answers from
// the queue, then by policy; a plain message (kOk) answers kOk without touching the queue, so
// an error shown before a question does not eat that question's answer. A queued answer that
// is not among those the question offers is used up and replaced by the policy answer.
class ScriptedPrompter final : public Prompter {
 public:
  struct Message {
    std::string caption;
    std::string text;
    PromptButtons buttons;
    PromptIcon icon;
    PromptAnswer answer;
  };

  explicit ScriptedPrompter(bool assume_yes = false) : assume_yes_(assume_yes) {}
  void QueueAnswer(PromptAnswer answer);
  PromptAnswer Ask(std::string_view caption, std::string_view text, PromptButtons buttons,
                   PromptIcon icon) override;

  // Not locked: read it once the code under test has stopped asking.
  const std::vector<Message>& messages() const { return messages_; }
  std::vector<std::string> texts() const;
  // Forgets the recorded messages (queued answers stay).
  void Clear();

 private:
  bool assume_yes_;
  std::deque<PromptAnswer> answers_;
  std::vector<Message> messages_;
  mutable std::mutex mutex_;
};

}  // namespace velmora
