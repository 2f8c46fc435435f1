// The two forms of a point in time. Tick time is a 64-bit count of 100-ns intervals since
// 1601-01-01 00:00 (what the tables store and compare, unsigned); calendar time is eight 16-bit
// fields. Conversions follow the proleptic Gregorian calendar and have no time zone: stored times
// are already on the user's clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

using Ticks = uint64_t;

inline constexpr Ticks kTicksPerMillisecond = 10'000;
inline constexpr Ticks kTicksPerSecond = 10'000'000;
inline constexpr Ticks kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr Ticks kTicksPerHour = 60 * kTicksPerMinute;
inline constexpr Ticks kTicksPerDay = 864'000'000'000;
// 1970-01-01 00:00 UTC in ticks.
inline constexpr Ticks kUnixEpochTicks = 116'444'736'000'000'000;

struct CalendarTime {
  uint16_t year = 1601;
  uint16_t month = 1;        // 1..12
  uint16_t day_of_week = 1;  // 0 Sunday; ignored on input, filled on output
  uint16_t day = 1;          // 1..31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;

  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

// True when every field is in range (year 1601..30827, as the tick range allows).
bool IsValidCalendarTime(const CalendarTime& t);

// Fails (nullopt) for an invalid calendar time; day_of_week is not consulted.
std::optional<Ticks> CalendarToTicks(const CalendarTime& t);
// Always succeeds for ticks below 30828-01-01; day_of_week is filled.
CalendarTime TicksToCalendar(Ticks ticks);

// 0 Sunday .. 6 Saturday; 1601-01-01 was a Monday.
int DayOfWeek(Ticks ticks);

// Truncations used by the hourly and daily tables.
inline Ticks StartOfHour(Ticks t) { return t - (t % kTicksPerHour); }
inline Ticks StartOfDay(Ticks t) { return t - (t % kTicksPerDay); }

// "January".."December" for 1..12 (0..11 when zero_based); "" for anything else.
std::string_view MonthName(int number, bool zero_based = false);
// "Jan".."Dec" for 1..12; "" otherwise.
std::string_view MonthAbbreviation(int number);

}  // namespace velmora
