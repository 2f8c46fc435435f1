// Clocks: the UTC wall clock in ticks (100 ns since 1601) and a steady clock for run timings.
#pragma once

#include <chrono>

#include "core/tick_time.h"

namespace velmora {

Ticks UtcNowTicks();

using SteadyClock = std::chrono::steady_clock;
inline SteadyClock::time_point SteadyNow() { return SteadyClock::now(); }

}  // namespace velmora
