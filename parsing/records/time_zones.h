// The fixed time-zone table of the workspace settings and the clock arithmetic built on it.
// Every zone is a constant offset from GMT (there is no daylight-saving rule), so the shift
// between the server's clock and the user's clock is one number per workspace. Indexes are what
// the settings file stores; an index outside the table counts as GMT so that a damaged setting
// can never read past the table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/tick_time.h"

namespace velmora {

struct TimeZone {
  int32_t offset_minutes;  // east of GMT positive; always the offset written in the name
  std::string_view name;   // how the zone is shown to the user
};

inline constexpr int kTimeZoneCount = 74;
// A new workspace starts with this zone for both the server and the user: "(GMT) Greenwich...".
inline constexpr int kDefaultTimeZone = 24;

// The 74 zones in table order.
std::span<const TimeZone> TimeZones();

bool IsValidTimeZone(int64_t index);
// The zone's offset in minutes; 0 for an index outside the table.
int32_t ZoneOffsetMinutes(int64_t index);
// The zone's display name; "" for an index outside the table.
std::string_view ZoneName(int64_t index);

// The zone a person names: "UTC" or "GMT"; a UTC offset ("UTC+01:00", "GMT-5", "+05:30",
// "-0300"), which takes the first zone of that offset; or a zone's name or a part of it ("London",
// "tokyo"), ignoring case, when it names one zone (or several of one offset: the first is taken).
// nullopt for anything else, an offset no zone has, and a part found in zones of different
// offsets. Plain numbers are not read here: they are the zone's index.
std::optional<int> FindTimeZone(std::string_view text);

// Seconds to add to a time written on the server's clock to put it on the user's clock:
// (offset of your_zone - offset of server_zone) x 60.
int32_t TimeOffset(int64_t server_zone, int64_t your_zone);

// `ticks` moved by `seconds` (which may be negative); wraps like the unsigned tick arithmetic of
// the stored tables.
constexpr Ticks ShiftTicks(Ticks ticks, int64_t seconds) {
  return ticks + static_cast<Ticks>(seconds) * kTicksPerSecond;
}

// A UTC tick time put on the clock of `your_zone`.
Ticks UtcToZone(Ticks utc, int64_t your_zone);
// The current time on the user's clock: the system's UTC time plus the zone's offset.
Ticks LocalNow(int64_t your_zone);

}  // namespace velmora
