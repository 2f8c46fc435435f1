#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace velmora {
namespace {

TEST(ClockTest, UtcNowAgreesWithTheSystemClock) {
  const Ticks before = kUnixEpochTicks + static_cast<Ticks>(std::time(nullptr)) * kTicksPerSecond;
  const Ticks now = UtcNowTicks();
  const Ticks after =
      kUnixEpochTicks + static_cast<Ticks>(std::time(nullptr) + 1) * kTicksPerSecond;
  EXPECT_GE(now, before);
  EXPECT_LT(now, after);
  EXPECT_GE(TicksToCalendar(now).year, 2024);
}

}  // namespace
}  // namespace velmora
