// The progress dialog on a terminal: the title, the status and detail texts and both bars drawn
// as a block of lines on standard error and redrawn in place, at most ten times a second, and
// only when standard error is a terminal. The wait notice is drawn only once a wait for the
// worker has lasted a moment. Ctrl+C is the Cancel button, terminal or not.
#pragma once

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/interrupt.h"
#include "platform/progress_dialog.h"

namespace velmora::cli {

// The block as drawn: title, status, overall bar, detail, per-file bar, and the wait notice or an
// empty line. A hidden bar (range below 1) is an empty line; texts are cut to `columns` - 1.
std::vector<std::string> RenderProgressLines(const ProgressState& state, bool waiting, int columns);

class TerminalProgressView final : public ProgressView {
 public:
  struct Options {
    std::ostream* out = nullptr;  // where to draw; nothing is drawn when null
    int columns = 80;
    std::function<SteadyClock::time_point()> now;  // empty: the steady clock
    std::function<int()> take_interrupts;          // empty: Ctrl+C through an InterruptWatch
  };

  // Standard error when it is a terminal; Ctrl+C cancels.
  TerminalProgressView();
  explicit TerminalProgressView(Options options);
  ~TerminalProgressView() override;

  void Show(const ProgressState& state, uint32_t parts) override;
  bool CancelPressed() override;
  void Idle() override;
  void ShowWaitNotice(bool shown) override;
  void Close(ProgressResult result) override;

 private:
  static constexpr std::chrono::milliseconds kMinRedraw{100};
  // How long a wait for the worker lasts before "Please wait for 5 seconds..." is drawn.
  static constexpr std::chrono::milliseconds kNoticeDelay{300};

  // Draws when something changed and the last draw is old enough (or `force`).
  void Draw(bool force);
  void Erase();

  Options options_;
  std::unique_ptr<InterruptWatch> interrupts_;
  ProgressState state_;
  bool waiting_ = false;  // the notice is drawn
  std::optional<SteadyClock::time_point> wait_started_;
  bool pending_ = false;
  int drawn_lines_ = 0;
  std::optional<SteadyClock::time_point> last_draw_;
};

}  // namespace velmora::cli
