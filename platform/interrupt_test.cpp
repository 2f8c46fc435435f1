#include "platform/interrupt.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>

namespace velmora {
namespace {

std::atomic<int> g_outer_calls{0};
void OuterHandler(int) { g_outer_calls.fetch_add(1); }

TEST(InterruptWatchTest, CountsPressesAndRestoresThePreviousHandler) {
  struct sigaction outer {};
  outer.sa_handler = OuterHandler;
  sigemptyset(&outer.sa_mask);
  struct sigaction saved {};
  ASSERT_EQ(sigaction(SIGINT, &outer, &saved), 0);
  {
    InterruptWatch watch;
    ASSERT_TRUE(watch.active());
    InterruptWatch second;
    EXPECT_FALSE(second.active()) << "one watch at a time";
    EXPECT_EQ(watch.TakePresses(), 0);
    raise(SIGINT);
    raise(SIGINT);
    EXPECT_EQ(watch.TakePresses(), 2) << "the process lives on";
    EXPECT_EQ(watch.TakePresses(), 0);
    EXPECT_EQ(second.TakePresses(), 0);
  }
  EXPECT_EQ(g_outer_calls.load(), 0);
  raise(SIGINT);
  EXPECT_EQ(g_outer_calls.load(), 1) << "the handler from before the watch is back";
  sigaction(SIGINT, &saved, nullptr);
}

TEST(InterruptWatchDeathTest, ThirdPressEndsTheProcess) {
  EXPECT_EXIT(
      {
        InterruptWatch watch;
        for (int i = 0; i < kInterruptPressesToEnd; ++i) raise(SIGINT);
        _exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
}

}  // namespace
}  // namespace velmora
