#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace velmora {
namespace {

TEST(ClockTest, UtcNowAgreesWithTheSystemClock) {
  // time() reads a coarse clock that may lag the precise one by a few milliseconds, so a read
  // just after a second turns can be ahead of time() + 1: allow one second either side.
  const Ticks before =
      kUnixEpochTicks + static_cast<Ticks>(std::time(nullptr) - 1) * kTicksPerSecond;
  const Ticks now = UtcNowTicks();
  const Ticks after =
      kUnixEpochTicks + static_cast<Ticks>(std::time(nullptr) + 2) * kTicksPerSecond;
  EXPECT_GE(now, before);
  EXPECT_LT(now, after);
  EXPECT_GE(TicksToCalendar(now).year, 2024);
}

}  // namespace
}  // namespace velmora
