// InterruptWatch: Ctrl+C as the cancel request of a long run. While a watch exists, SIGINT does
// not end the process; the presses are counted and handed out by TakePresses, which the progress
// view polls. When the watch ends, the previous disposition comes back.
//
// A run whose worker does not stop leaves the user the termination question; where nobody can be
// asked, the third press ends the process as Ctrl+C normally would.
//
// One watch at a time: a second, made while the first lives, is inactive and counts nothing.
#pragma once

namespace velmora {

inline constexpr int kInterruptPressesToEnd = 3;

class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool active() const { return active_; }
  // Presses since the last call (0 for an inactive watch).
  int TakePresses();

 private:
  bool active_ = false;
};

}  // namespace velmora
