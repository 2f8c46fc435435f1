// The five report periods and the days a report walks to count them. Every period ends at the
// reference time T (00:00 of the day after the report day "Today") and reaches back a fixed
// number of days; Custom reaches back N weeks.
//
// A report walks the days once and adds each day's data to every period that holds the day, so
// the walk starts at the earliest start of the five: T - 28 days or T - 7N days. (With N below
// 4 a walk from T - 7N days alone would leave the Week and 4 Weeks columns short.)
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/tick_time.h"

namespace velmora {

enum class DateRange : uint8_t {
  kToday = 0,
  kYesterday = 1,
  kWeek = 2,
  kFourWeeks = 3,
  kCustom = 4
};
inline constexpr int kDateRangeCount = 5;
inline constexpr std::array<DateRange, kDateRangeCount> kDateRanges = {
    DateRange::kToday, DateRange::kYesterday, DateRange::kWeek, DateRange::kFourWeeks,
    DateRange::kCustom};

// "Today", "Yesterday", "Week", "4 Weeks", "Custom": the column captions.
std::string_view DateRangeCaption(DateRange range);
// "Today", "Yesterday", "Last week", "Last 4 weeks (28 days)", "Custom Time Interval": the
// names the export offers for the sort column.
std::string_view DateRangeLongName(DateRange range);

// The bits of a day's range mask: which periods a walked day counts for.
inline constexpr uint32_t kMaskFourWeeks = 1;
inline constexpr uint32_t kMaskWeek = 2;
inline constexpr uint32_t kMaskYesterday = 4;
inline constexpr uint32_t kMaskToday = 8;
inline constexpr uint32_t kMaskCustom = 16;

inline constexpr uint32_t DateRangeBit(DateRange range) {
  constexpr std::array<uint32_t, kDateRangeCount> bits = {kMaskToday, kMaskYesterday, kMaskWeek,
                                                          kMaskFourWeeks, kMaskCustom};
  return bits[static_cast<size_t>(range)];
}

// The Custom interval is kept between these; a week count outside is brought inside.
inline constexpr int32_t kMinCustomWeeks = 1;
inline constexpr int32_t kMaxCustomWeeks = 5200;  // a century

class ReportPeriods {
 public:
  // `reference` is taken to the start of its day; `custom_weeks` is brought into range.
  ReportPeriods(Ticks reference, int32_t custom_weeks);

  Ticks reference() const { return reference_; }
  // The report day "Today": the day before T.
  Ticks report_day() const { return reference_ - kTicksPerDay; }
  int32_t custom_weeks() const { return custom_weeks_; }

  // [Start, End) of a period; a start before the first tick is the first tick.
  Ticks Start(DateRange range) const;
  Ticks End(DateRange range) const;
  int64_t Days(DateRange range) const;
  // The days walked: from the earliest period start up to T.
  Ticks WalkStart() const;
  Ticks WalkEnd() const { return reference_; }
  // The periods day `day` (any time of it) counts for; 0 outside the walk.
  uint32_t DayMask(Ticks day) const;

 private:
  Ticks BackDays(int64_t days) const;

  Ticks reference_;
  int32_t custom_weeks_;
};

// T for a date picked as "Today": the start of the day after it.
inline Ticks ReferenceForReportDay(Ticks day) { return StartOfDay(day) + kTicksPerDay; }

}  // namespace velmora
