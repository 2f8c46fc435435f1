#include "core/tick_time.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

namespace velmora {
namespace {

CalendarTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int ms = 0) {
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  t.milliseconds = static_cast<uint16_t>(ms);
  return t;
}

std::string Show(const CalendarTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u (dow %u)", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.milliseconds, t.day_of_week);
  return text;
}

TEST(TickTimeTest, CalendarAndTicksAgreeOnKnownPoints) {
  struct Case {
    CalendarTime calendar;
    Ticks ticks;
    int day_of_week;
  };
  const Case cases[] = {
      {At(1601, 1, 1), 0, 1},
      {At(1601, 1, 1, 0, 0, 0, 1), kTicksPerMillisecond, 1},
      {At(1970, 1, 1), kUnixEpochTicks, 4},
      {At(2000, 2, 29), 125962560000000000, 2},
      {At(2004, 2, 29, 12, 34, 56, 789), 127225316967890000, 0},
      {At(2002, 12, 31, 23, 30), 126858510000000000, 2},
      {At(2069, 12, 31, 23, 59, 59, 999), 148002335999990000, 2},
      {At(2026, 12, 6), 134409888000000000, 0},
      {At(9999, 12, 31, 23, 59, 59, 999), 2650467743999990000, 5},
      {At(30827, 12, 31, 23, 59, 59, 999), 9223149887999990000, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CalendarToTicks(c.calendar), c.ticks) << Show(c.calendar);
    CalendarTime expected = c.calendar;
    expected.day_of_week = static_cast<uint16_t>(c.day_of_week);
    EXPECT_EQ(TicksToCalendar(c.ticks), expected) << Show(TicksToCalendar(c.ticks));
    EXPECT_EQ(DayOfWeek(c.ticks), c.day_of_week) << Show(c.calendar);
  }
}

TEST(TickTimeTest, InvalidCalendarTimesAreRejected) {
  const CalendarTime cases[] = {
      At(2003, 0, 1),          At(2003, 13, 1),
      At(2003, 1, 0),          At(2003, 1, 32),
      At(2003, 2, 29),         At(2004, 2, 30),
      At(2003, 4, 31),         At(1600, 12, 31),
      At(30828, 1, 1),         At(2003, 1, 1, 24),
      At(2003, 1, 1, 0, 60),   At(2003, 1, 1, 0, 0, 60),
      At(65535, 65535, 65535), At(2003, 1, 1, 0, 0, 0, 1000),
  };
  for (const CalendarTime& t : cases) {
    EXPECT_FALSE(IsValidCalendarTime(t)) << Show(t);
    EXPECT_EQ(CalendarToTicks(t), std::nullopt) << Show(t);
  }
  // The date just converted, again, with a time of day out of range; a zero date first thing.
  ASSERT_TRUE(CalendarToTicks(At(2003, 1, 1)).has_value());
  EXPECT_EQ(CalendarToTicks(At(2003, 1, 1, 24)), std::nullopt);
  std::thread([] { EXPECT_EQ(CalendarToTicks(At(0, 0, 0)), std::nullopt); }).join();
  // day_of_week is output only; nonsense there does not invalidate the input.
  CalendarTime any_weekday = At(2000, 2, 29);
  any_weekday.day_of_week = 9;
  EXPECT_TRUE(CalendarToTicks(any_weekday).has_value());
}

TEST(TickTimeTest, EveryDayFrom1601To2500ConvertsBothWays) {
  Ticks day_start = 0;
  int weekday = 1;  // 1601-01-01 was a Monday
  for (int year = 1601; year <= 2500; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const int days = DaysInMonth(year, month);
      ASSERT_EQ(days == 29, month == 2 && IsLeapYear(year)) << year << "-" << month;
      for (int day = 1; day <= days; ++day) {
        CalendarTime t = At(year, month, day);
        ASSERT_EQ(CalendarToTicks(t), day_start) << Show(t);
        t.day_of_week = static_cast<uint16_t>(weekday);
        ASSERT_EQ(TicksToCalendar(day_start), t) << Show(TicksToCalendar(day_start));
        day_start += kTicksPerDay;
        weekday = (weekday + 1) % 7;
      }
    }
  }
}

TEST(TickTimeTest, RandomTicksRoundTrip) {
  const Ticks end = *CalendarToTicks(At(30827, 12, 31, 23, 59, 59, 999));
  std::mt19937_64 random(20021205);
  std::uniform_int_distribution<Ticks> pick(0, end);
  for (int i = 0; i < 20000; ++i) {
    // Whole milliseconds: the calendar form has no finer field.
    const Ticks ticks = pick(random) / kTicksPerMillisecond * kTicksPerMillisecond;
    const CalendarTime t = TicksToCalendar(ticks);
    ASSERT_TRUE(IsValidCalendarTime(t)) << ticks;
    ASSERT_EQ(CalendarToTicks(t), ticks) << Show(t);
    ASSERT_EQ(t.day_of_week, DayOfWeek(ticks)) << ticks;
  }
}

TEST(TickTimeTest, TicksPastTheCalendarRangeStillConvertWithoutWrapping) {
  // Hostile stored times: the result is out of range for CalendarToTicks but never wraps.
  for (Ticks ticks : {*CalendarToTicks(At(30827, 12, 31)) + 2 * kTicksPerDay, ~Ticks{0}}) {
    const CalendarTime t = TicksToCalendar(ticks);
    EXPECT_GT(t.year, 30827) << ticks;
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_FALSE(CalendarToTicks(t).has_value());
  }
}

// Leap years and month lengths are proven day by day above; the range ends are not.
TEST(TickTimeTest, TruncationsAndMonthsOutOfRange) {
  const Ticks t = *CalendarToTicks(At(2003, 7, 14, 13, 45, 12, 500));
  EXPECT_EQ(StartOfHour(t), CalendarToTicks(At(2003, 7, 14, 13)));
  EXPECT_EQ(StartOfDay(t), CalendarToTicks(At(2003, 7, 14)));
  EXPECT_TRUE(IsLeapYear(1600));
  EXPECT_EQ(DaysInMonth(2003, 0), 0);
  EXPECT_EQ(DaysInMonth(2003, 13), 0);
}

TEST(TickTimeTest, MonthNames) {
  struct Case {
    int number;
    bool zero_based;
    std::string_view name;
  };
  const Case names[] = {
      {1, false, "January"}, {12, false, "December"}, {0, false, ""}, {13, false, ""},
      {0, true, "January"},  {11, true, "December"},  {12, true, ""}, {-1, true, ""},
  };
  for (const Case& c : names) {
    EXPECT_EQ(MonthName(c.number, c.zero_based), c.name) << c.number << " " << c.zero_based;
  }
  const std::pair<int, std::string_view> abbreviations[] = {
      {1, "Jan"}, {9, "Sep"}, {12, "Dec"}, {0, ""}, {13, ""}};
  for (const auto& [number, abbreviation] : abbreviations) {
    EXPECT_EQ(MonthAbbreviation(number), abbreviation) << number;
  }
}

}  // namespace
}  // namespace velmora
