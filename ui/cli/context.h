// What every command of the `velmora` command line shares: the global options, the prompter that
// shows messages and asks questions, and the exit-status contract.
#pragma once

#include <memory>
#include <string>

#include "platform/prompter.h"

namespace velmora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct CliContext {
  std::string workspace_arg;  // -w/--workspace as given; empty means "the most recent one"
  bool assume_yes = false;    // --yes
  std::unique_ptr<Prompter>
      prompter;  // made on first use, once --yes is known; tests set their own

  Prompter& prompt() {
    if (!prompter) prompter = std::make_unique<TerminalPrompter>(assume_yes);
    return *prompter;
  }
};

// Prints "velmora: <text>" on stderr; returns kExitFailure so callers can `return Fail(...)`.
int Fail(const std::string& text);
// Same, for a misuse of the command line; returns kExitUsage.
int UsageError(const std::string& text);

}  // namespace velmora::cli
