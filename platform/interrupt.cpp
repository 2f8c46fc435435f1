#include "platform/interrupt.h"

#include <signal.h>

#include <atomic>

namespace velmora {
namespace {

// Touched by the signal handler: lock-free atomics only.
std::atomic<int> g_presses{0};
std::atomic<int> g_presses_in_watch{0};
std::atomic<bool> g_watching{false};
struct sigaction g_previous {};

void OnInterrupt(int) {
  g_presses.fetch_add(1);
  if (g_presses_in_watch.fetch_add(1) + 1 >= kInterruptPressesToEnd) {
    // Nobody answered: end the process the way Ctrl+C does (both calls are async-signal-safe).
    signal(SIGINT, SIG_DFL);
    raise(SIGINT);
  }
}

static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

InterruptWatch::InterruptWatch() {
  bool expected = false;
  if (!g_watching.compare_exchange_strong(expected, true)) return;
  g_presses.store(0);
  g_presses_in_watch.store(0);
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (sigaction(SIGINT, &action, &g_previous) != 0) {
    g_watching.store(false);
    return;
  }
  active_ = true;
}

InterruptWatch::~InterruptWatch() {
  if (!active_) return;
  sigaction(SIGINT, &g_previous, nullptr);
  g_watching.store(false);
}

int InterruptWatch::TakePresses() { return active_ ? g_presses.exchange(0) : 0; }

}  // namespace velmora
