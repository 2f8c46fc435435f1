#include "core/tick_time.h"

#include <array>

namespace velmora {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Days from 1601-01-01 to the first day of `year` (year >= 1601).
int64_t DaysBeforeYear(int64_t year) {
  const int64_t y = year - 1601;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

int DaysBeforeMonth(int year, int month) {
  static constexpr std::array<int, 12> kCumulative = {0,   31,  59,  90,  120, 151,
                                                      181, 212, 243, 273, 304, 334};
  return kCumulative[month - 1] + ((month > 2 && IsLeapYear(year)) ? 1 : 0);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + ((month == 2 && IsLeapYear(year)) ? 1 : 0);
}

bool IsValidCalendarTime(const CalendarTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= DaysInMonth(t.year, t.month) && t.hour < 24 && t.minute < 60 && t.second < 60 &&
         t.milliseconds < 1000;
}

std::optional<Ticks> CalendarToTicks(const CalendarTime& t) {
  // Called for every log line, whose dates mostly repeat the previous line's: the day number of
  // the last valid date is kept, per thread.
  thread_local uint16_t last_year = 0;
  thread_local uint16_t last_month = 0;
  thread_local uint16_t last_day = 0;
  thread_local int64_t last_days = 0;
  int64_t days = last_days;
  if (last_year == 0 || t.year != last_year || t.month != last_month || t.day != last_day) {
    if (!IsValidCalendarTime(t)) return std::nullopt;
    days = DaysBeforeYear(t.year) + DaysBeforeMonth(t.year, t.month) + (t.day - 1);
    last_year = t.year;
    last_month = t.month;
    last_day = t.day;
    last_days = days;
  } else if (t.hour >= 24 || t.minute >= 60 || t.second >= 60 || t.milliseconds >= 1000) {
    return std::nullopt;  // the date is one already found valid; the time of day is not
  }
  return static_cast<Ticks>(days) * kTicksPerDay + t.hour * kTicksPerHour +
         t.minute * kTicksPerMinute + t.second * kTicksPerSecond +
         t.milliseconds * kTicksPerMillisecond;
}

namespace {

// Year, month, day and day of week of day number `days` since 1 January 1601.
CalendarTime DateOfDay(int64_t days) {
  CalendarTime out;
  out.day_of_week = static_cast<uint16_t>((days + 1) % 7);

  // Whole 400-, 100-, 4- and 1-year cycles from 1601, which starts a 400-year cycle.
  int64_t year = 1601 + 400 * (days / 146097);
  days %= 146097;
  int64_t centuries = days / 36524;
  if (centuries == 4) centuries = 3;  // the last day of a 400-year cycle
  year += 100 * centuries;
  days -= centuries * 36524;
  year += 4 * (days / 1461);
  days %= 1461;
  int64_t years = days / 365;
  if (years == 4) years = 3;  // the leap day closing a 4-year cycle
  year += years;
  days -= years * 365;

  int month = 1;
  while (days >= DaysInMonth(static_cast<int>(year), month)) {
    days -= DaysInMonth(static_cast<int>(year), month);
    ++month;
  }
  out.year = static_cast<uint16_t>(year);
  out.month = static_cast<uint16_t>(month);
  out.day = static_cast<uint16_t>(days + 1);
  return out;
}

}  // namespace

CalendarTime TicksToCalendar(Ticks ticks) {
  // A log's lines come in time order, so the date asked for is nearly always the last one.
  thread_local int64_t last_days = -1;
  thread_local CalendarTime last_date;
  const auto days = static_cast<int64_t>(ticks / kTicksPerDay);
  if (days != last_days) {
    last_date = DateOfDay(days);
    last_days = days;
  }
  CalendarTime out = last_date;
  Ticks rest = ticks % kTicksPerDay;
  out.hour = static_cast<uint16_t>(rest / kTicksPerHour);
  rest %= kTicksPerHour;
  out.minute = static_cast<uint16_t>(rest / kTicksPerMinute);
  rest %= kTicksPerMinute;
  out.second = static_cast<uint16_t>(rest / kTicksPerSecond);
  rest %= kTicksPerSecond;
  out.milliseconds = static_cast<uint16_t>(rest / kTicksPerMillisecond);
  return out;
}

int DayOfWeek(Ticks ticks) { return static_cast<int>((ticks / kTicksPerDay + 1) % 7); }

std::string_view MonthName(int number, bool zero_based) {
  const int index = zero_based ? number : number - 1;
  if (index < 0 || index >= 12) return {};
  return kMonthNames[index];
}

std::string_view MonthAbbreviation(int number) {
  if (number < 1 || number > 12) return {};
  return kMonthNames[number - 1].substr(0, 3);
}

}  // namespace velmora
