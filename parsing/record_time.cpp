#include "parsing/record_time.h"

#include <algorithm>
#include <optional>

namespace velmora {

void SetUnixTime(LogRecord& record, uint64_t seconds) {
  constexpr uint64_t kMaxSeconds = (kEndOfCalendarTicks - 1 - kUnixEpochTicks) / kTicksPerSecond;
  if (seconds > kMaxSeconds) {
    record.time = 0;
    record.calendar_time = kZeroCalendarTime;
    return;
  }
  record.time = kUnixEpochTicks + seconds * kTicksPerSecond;
  record.calendar_time = TicksToCalendar(record.time);
}

void TimeFromCalendar(LogRecord& record) {
  if (const std::optional<Ticks> ticks = CalendarToTicks(record.calendar_time)) {
    record.time = *ticks;
  }
}

void TimeFromDateTimeText(LogRecord& record) {
  if (record.date_time.empty()) return;
  char* text = record.date_time.data();
  const size_t size = record.date_time.size();
  for (size_t i = 0; i < size; ++i) {
    if (text[i] == '-' || text[i] == ':') text[i] = ' ';
  }

  // Values are held below 65,536 so that an overlong number stays invalid instead of wrapping
  // into a plausible 16-bit field.
  uint32_t numbers[6] = {0, 0, 0, 0, 0, 0};
  size_t i = 0;
  for (uint32_t& number : numbers) {
    while (i < size && !(text[i] >= '0' && text[i] <= '9')) ++i;
    if (i == size) break;
    for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
      number = std::min<uint32_t>(number * 10 + static_cast<uint32_t>(text[i] - '0'), 0xFFFF);
    }
  }
  CalendarTime& when = record.calendar_time;
  when.year = static_cast<uint16_t>(numbers[0]);
  when.month = static_cast<uint16_t>(numbers[1]);
  when.day_of_week = 0;
  when.day = static_cast<uint16_t>(numbers[2]);
  when.hour = static_cast<uint16_t>(numbers[3]);
  when.minute = static_cast<uint16_t>(numbers[4]);
  when.second = static_cast<uint16_t>(numbers[5]);
  when.milliseconds = 0;
  TimeFromCalendar(record);
}

void ShiftRecordTime(LogRecord& record, int32_t offset_seconds) {
  if (record.time != 0) {
    const int64_t shift = int64_t{offset_seconds} * static_cast<int64_t>(kTicksPerSecond);
    const bool fits = shift >= 0 ? record.time < kEndOfCalendarTicks - static_cast<Ticks>(shift)
                                 : record.time >= static_cast<Ticks>(-shift);
    record.time = fits ? record.time + static_cast<Ticks>(shift) : 0;
  }
  record.calendar_time = TicksToCalendar(record.time);
}

}  // namespace velmora
