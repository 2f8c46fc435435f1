// The import's file chooser on a terminal: a list of log files, the new ones ticked, worked with
// single keys: arrows or j/k move, space ticks, a ticks all, n none, i inverts, Enter imports,
// Esc or q cancels. The state is kept apart from the terminal so that it can be tested.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/raw_keys.h"
#include "retrieval/log_listing.h"

namespace velmora::cli {

class ChooserState {
 public:
  explicit ChooserState(const std::vector<LogCandidate>& candidates);

  enum class Outcome : uint8_t { kGoOn, kImport, kCancel };
  Outcome Apply(const KeyPress& key);

  // The list as shown: a cursor mark, the tick box, the name and "(stored)" for an old one.
  std::vector<std::string> Lines() const;
  std::vector<std::string> Chosen() const;

 private:
  std::vector<LogCandidate> candidates_;
  std::vector<bool> ticked_;
  size_t cursor_ = 0;
};

// Runs the chooser, headed by `title`, on the terminal (stdin and stderr); none when cancelled or
// no terminal.
std::optional<std::vector<std::string>> ChooseOnTerminal(
    const std::string& title, const std::vector<LogCandidate>& candidates);

}  // namespace velmora::cli
