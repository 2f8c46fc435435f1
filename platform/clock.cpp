#include "platform/clock.h"

namespace velmora {

Ticks UtcNowTicks() {
  const auto since_unix =
      std::chrono::duration_cast<std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>>(
          std::chrono::system_clock::now().time_since_epoch());
  const int64_t count = since_unix.count();
  // A clock set before 1601 is nonsense; clamp rather than wrap around.
  if (count < -static_cast<int64_t>(kUnixEpochTicks)) return 0;
  return static_cast<Ticks>(static_cast<int64_t>(kUnixEpochTicks) + count);
}

}  // namespace velmora
