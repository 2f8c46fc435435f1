#include "parsing/records/record_time.h"

#include <algorithm>
#include <iterator>
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

namespace {

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// "YYYY-MM-DD hh:mm:ss", the shape nearly every W3C line carries: read at fixed places, with the
// same result (text and numbers) as the general reading below. False for any other shape.
bool ReadUsualDateTime(char* text, size_t size, uint32_t (&numbers)[6]) {
  if (size != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return false;
  }
  constexpr size_t kStarts[6] = {0, 5, 8, 11, 14, 17};
  constexpr size_t kEnds[6] = {4, 7, 10, 13, 16, 19};
  uint32_t read[6] = {0, 0, 0, 0, 0, 0};  // nothing is stored unless the whole shape holds
  for (size_t k = 0; k < 6; ++k) {
    for (size_t i = kStarts[k]; i < kEnds[k]; ++i) {
      if (!IsDigitChar(text[i])) return false;
      read[k] = read[k] * 10 + static_cast<uint32_t>(text[i] - '0');
    }
  }
  std::copy(std::begin(read), std::end(read), numbers);
  for (const size_t i : {size_t{4}, size_t{7}, size_t{13}, size_t{16}}) text[i] = ' ';
  return true;
}

}  // namespace

void TimeFromDateTimeText(LogRecord& record) {
  if (record.date_time.empty()) return;
  char* text = record.date_time.data();
  const size_t size = record.date_time.size();
  uint32_t numbers[6] = {0, 0, 0, 0, 0, 0};
  if (!ReadUsualDateTime(text, size, numbers)) ReadAnyDateTime(text, size, numbers);
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

void ReadAnyDateTime(char* text, size_t size, uint32_t (&numbers)[6]) {
  for (size_t i = 0; i < size; ++i) {
    if (text[i] == '-' || text[i] == ':') text[i] = ' ';
  }

  // Values are held below 65,536 so that an overlong number stays invalid instead of wrapping
  // into a plausible 16-bit field.
  size_t i = 0;
  for (uint32_t& number : numbers) {
    while (i < size && !IsDigitChar(text[i])) ++i;
    if (i == size) break;
    for (; i < size && IsDigitChar(text[i]); ++i) {
      number = std::min<uint32_t>(number * 10 + static_cast<uint32_t>(text[i] - '0'), 0xFFFF);
    }
  }
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
