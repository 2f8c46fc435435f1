// The request time of a LogRecord in its two forms, and the steps that set it: from a Unix time
// (%U), from the calendar fields the custom format filled, from the W3C date-time text, and the
// shift from the server's clock to the user's.
//
// Invariant: a record either carries a valid time (`time` nonzero and `calendar_time` the same
// moment) or none (`time` 0). Arithmetic that would leave the tick range - a Unix time too large,
// a shift below 1601 or past 30827 - leaves the record without a time instead of wrapping.
#pragma once

#include <cstdint>

#include "core/tick_time.h"
#include "parsing/records/log_record.h"

namespace velmora {

// 30828-01-01 00:00: the first tick the calendar conversions cannot express.
inline constexpr Ticks kEndOfCalendarTicks = Ticks{10'674'942} * kTicksPerDay;

// Sets time and calendar time from seconds since 1970-01-01; a value past the tick range leaves
// the record without a time (time 0, calendar fields 0).
void SetUnixTime(LogRecord& record, uint64_t seconds);

// Sets `time` from the calendar fields; an invalid date (30 February, hour 25) leaves it alone.
void TimeFromCalendar(LogRecord& record);

// The W3C date-time text: "-" and ":" become blanks (in the record's text), then up to six
// numbers (year, month, day, hour, minute, second; missing ones 0) are read, each found by
// skipping to the next digit. Fractions of a second are ignored. Sets the calendar fields and,
// when they form a valid date, the time. An empty text changes nothing.
void TimeFromDateTimeText(LogRecord& record);
// The reading TimeFromDateTimeText does for any shape of text: the blanks put in `text`, the
// numbers found stored in `numbers` (those not found left as they are). The usual shape
// "YYYY-MM-DD hh:mm:ss" is read at fixed places instead, with the same result.
void ReadAnyDateTime(char* text, size_t size, uint32_t (&numbers)[6]);

// Moves the record's time by `offset_seconds` and recomputes its calendar time. A record without
// a time is not moved (its calendar becomes that of tick 0); a result outside the tick range
// leaves the record without a time.
void ShiftRecordTime(LogRecord& record, int32_t offset_seconds);

}  // namespace velmora
