#include "ui/cli/progress_view.h"

#include <algorithm>
#include <utility>

#include "platform/terminal.h"

namespace velmora::cli {
namespace {

std::string Cut(std::string text, int columns) {
  const size_t width = static_cast<size_t>(std::max(columns - 1, 1));
  if (text.size() > width) text.resize(width);
  return text;
}

// "[#######.............]  2/5" or "[###...] 45%": the bar with its figure after it.
std::string Bar(int32_t range, int32_t position, bool as_percent, int columns) {
  if (range < 1) return "";
  const int64_t clamped = std::clamp<int64_t>(position, 0, range);
  const std::string figure = as_percent ? std::to_string(clamped * 100 / range) + "%"
                                        : std::to_string(clamped) + "/" + std::to_string(range);
  const int width = std::clamp(columns - 4 - static_cast<int>(figure.size()), 10, 60);
  const int filled = static_cast<int>(clamped * width / range);
  return Cut("[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " + figure,
             columns);
}

}  // namespace

std::vector<std::string> RenderProgressLines(const ProgressState& state, bool waiting,
                                             int columns) {
  return {
      Cut(state.title, columns),
      Cut(state.status, columns),
      Bar(state.overall_range, state.overall_position, /*as_percent=*/false, columns),
      Cut(state.detail, columns),
      Bar(state.file_range, state.file_position, /*as_percent=*/true, columns),
      waiting ? Cut(std::string(kWaitNoticeText), columns) : std::string(),
  };
}

TerminalProgressView::TerminalProgressView()
    : TerminalProgressView(Options{StderrIsTerminal() ? &std::cerr : nullptr,
                                   StderrIsTerminal() ? StderrColumns() : 80,
                                   {},
                                   {}}) {}

TerminalProgressView::TerminalProgressView(Options options) : options_(std::move(options)) {
  if (!options_.now) options_.now = SteadyNow;
  if (!options_.take_interrupts) {
    interrupts_ = std::make_unique<InterruptWatch>();
    options_.take_interrupts = [watch = interrupts_.get()] { return watch->TakePresses(); };
  }
}

TerminalProgressView::~TerminalProgressView() = default;

void TerminalProgressView::Show(const ProgressState& state, uint32_t parts) {
  if (parts == 0) return;
  state_ = state;
  pending_ = true;
  Draw(/*force=*/false);
}

bool TerminalProgressView::CancelPressed() { return options_.take_interrupts() > 0; }

void TerminalProgressView::Idle() {
  // Every run ends with a wait for its worker, mostly over at once: the notice is for a wait
  // the user notices.
  if (wait_started_ && !waiting_ && options_.now() - *wait_started_ >= kNoticeDelay) {
    waiting_ = true;
    pending_ = true;
    Draw(/*force=*/true);
    return;
  }
  Draw(/*force=*/false);
}

void TerminalProgressView::ShowWaitNotice(bool shown) {
  if (shown) {
    if (!wait_started_) wait_started_ = options_.now();
    return;
  }
  wait_started_.reset();
  if (!waiting_) return;
  waiting_ = false;
  pending_ = true;
  Draw(/*force=*/true);
}

void TerminalProgressView::Close(ProgressResult) {
  Erase();
  pending_ = false;
}

void TerminalProgressView::Draw(bool force) {
  if (options_.out == nullptr || !pending_) return;
  const SteadyClock::time_point now = options_.now();
  if (!force && last_draw_ && now - *last_draw_ < kMinRedraw) return;
  std::ostream& out = *options_.out;
  // Back to the top of the block drawn last, then each line cleared and written again.
  if (drawn_lines_ > 0) out << "\x1b[" << drawn_lines_ << 'A';
  const std::vector<std::string> lines = RenderProgressLines(state_, waiting_, options_.columns);
  for (const std::string& line : lines) out << "\r\x1b[2K" << line << '\n';
  out.flush();
  drawn_lines_ = static_cast<int>(lines.size());
  last_draw_ = now;
  pending_ = false;
}

void TerminalProgressView::Erase() {
  if (options_.out == nullptr || drawn_lines_ == 0) return;
  *options_.out << "\x1b[" << drawn_lines_ << "A\r\x1b[J";
  options_.out->flush();
  drawn_lines_ = 0;
}

}  // namespace velmora::cli
