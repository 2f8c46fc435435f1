#include "parsing/records/time_zones.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/clock.h"

namespace velmora {
namespace {

// The offset is always the one written at the start of the name: "(GMT+hh:mm)", "(GMT-hh:mm)" or
// "(GMT)". Reading it back from the text catches a row whose number and name disagree.
int OffsetWrittenInName(std::string_view name) {
  if (name.substr(0, 5) == "(GMT)") return 0;
  char sign = 0;
  int hours = 0;
  int minutes = 0;
  const std::string text(name);
  if (std::sscanf(text.c_str(), "(GMT%c%d:%d)", &sign, &hours, &minutes) != 3) return 99999;
  const int total = hours * 60 + minutes;
  return sign == '-' ? -total : total;
}

TEST(TimeZones, EveryRowsOffsetIsTheOneInItsName) {
  ASSERT_EQ(TimeZones().size(), 74u);
  for (size_t i = 0; i < TimeZones().size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(TimeZones()[i].offset_minutes, OffsetWrittenInName(TimeZones()[i].name));
  }
}

TEST(TimeZones, FoundByOffsetOrName) {
  struct Case {
    const char* text;
    std::optional<int> zone;
  } const cases[] = {
      {"UTC", 24},
      {"gmt", 24},
      {" UTC+0 ", 24},
      {"UTC+01:00", 26},
      {"+1", 26},
      {"GMT-5", 11},
      {"-0500", 11},
      {"+05:30", 47},
      {"utc+5:45", 48},
      {"+13", 73},
      {"London", 24},
      {"tokyo", 61},
      {"(GMT-03:30) Newfoundland", 17},
      {"Casablanca", 25},
      {"Time", std::nullopt},
      {"+14", std::nullopt},
      {"+5:3", std::nullopt},
      {"+05:60", std::nullopt},
      {"5", std::nullopt},
      {"", std::nullopt},
      {"UTC+", std::nullopt},
      {"+123", std::nullopt},
      {"Atlantis", std::nullopt},
      {"+1:00:00", std::nullopt},
      {"(GMT+01:00)", 26},  // five zones of one offset: the first
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindTimeZone(c.text), c.zone) << '"' << c.text << '"';
  }
}

TEST(TimeZones, OffsetsBetweenServerAndUser) {
  struct Case {
    int server;
    int your;
    int32_t seconds;
  } const cases[] = {
      {24, 24, 0},       // a new workspace
      {11, 11, 0},       // equal zones
      {73, 0, -90'000},  // (GMT+13:00) server, (GMT-12:00) user: 25 hours back
      {17, 48, 33'300},  // (GMT-03:30) server, (GMT+05:45) user
      {11, 26, 21'600},  // (GMT-05:00) server, (GMT+01:00) user
      {24, 25, 0},       // two GMT rows
      {-1, 26, 3'600},   // a damaged index counts as GMT
      {26, 74, -3'600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.server) + " -> " + std::to_string(c.your));
    EXPECT_EQ(TimeOffset(c.server, c.your), c.seconds);
  }
}

TEST(TimeZones, LocalNowIsUtcPlusTheUsersOffset) {
  const Ticks before = UtcNowTicks();
  const Ticks gmt = LocalNow(24);
  const Ticks hawaii = LocalNow(2);
  const Ticks after = UtcNowTicks();
  EXPECT_GE(gmt, before);
  EXPECT_LE(gmt, after);
  EXPECT_GE(hawaii, before - 10 * kTicksPerHour);
  EXPECT_LE(hawaii, after - 10 * kTicksPerHour);
  EXPECT_EQ(UtcToZone(1000 * kTicksPerDay, 48), 1000 * kTicksPerDay + 345 * kTicksPerMinute);
}

}  // namespace
}  // namespace velmora
