#include "reports/frame/date_range.h"

#include <algorithm>

namespace velmora {

std::string_view DateRangeCaption(DateRange range) {
  constexpr std::array<std::string_view, kDateRangeCount> captions = {"Today", "Yesterday", "Week",
                                                                      "4 Weeks", "Custom"};
  return captions[static_cast<size_t>(range)];
}

std::string_view DateRangeLongName(DateRange range) {
  constexpr std::array<std::string_view, kDateRangeCount> names = {
      "Today", "Yesterday", "Last week", "Last 4 weeks (28 days)", "Custom Time Interval"};
  return names[static_cast<size_t>(range)];
}

ReportPeriods::ReportPeriods(Ticks reference, int32_t custom_weeks)
    : reference_(StartOfDay(reference)),
      custom_weeks_(std::clamp(custom_weeks, kMinCustomWeeks, kMaxCustomWeeks)) {}

Ticks ReportPeriods::BackDays(int64_t days) const {
  const Ticks back = static_cast<Ticks>(days) * kTicksPerDay;
  return back > reference_ ? 0 : reference_ - back;
}

Ticks ReportPeriods::Start(DateRange range) const {
  return BackDays(Days(range) + (range == DateRange::kYesterday ? 1 : 0));
}

Ticks ReportPeriods::End(DateRange range) const {
  return range == DateRange::kYesterday ? BackDays(1) : reference_;
}

int64_t ReportPeriods::Days(DateRange range) const {
  switch (range) {
    case DateRange::kToday:
    case DateRange::kYesterday:
      return 1;
    case DateRange::kWeek:
      return 7;
    case DateRange::kFourWeeks:
      return 28;
    case DateRange::kCustom:
      return int64_t{7} * custom_weeks_;
  }
  return 0;
}

Ticks ReportPeriods::WalkStart() const {
  return std::min(Start(DateRange::kFourWeeks), Start(DateRange::kCustom));
}

uint32_t ReportPeriods::DayMask(Ticks day) const {
  const Ticks start = StartOfDay(day);
  uint32_t mask = 0;
  for (DateRange range : kDateRanges) {
    if (start >= Start(range) && start < End(range)) mask |= DateRangeBit(range);
  }
  return mask;
}

}  // namespace velmora
