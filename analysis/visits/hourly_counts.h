// The per-hour traffic counters (table Hourly). Every parsed line is counted, also the lines
// that the log filters or resource rules drop from the visitor statistics, so that the general
// traffic figures hold every request.
#pragma once

#include "core/tick_time.h"
#include "parsing/records/log_record.h"
#include "storage/workspace_database.h"

namespace velmora {

// The hour key of a request: its calendar time with minutes and seconds cleared and its
// milliseconds kept, in ticks. A calendar time that names no valid moment (it never should)
// falls back to the tick time's hour.
Ticks HourKeyOf(const LogRecord& record);

// Adds the request to the Hourly record of its hour, which is appended (zero counters) and put
// into the hour index when the hour is new: one hit, its bytes sent and received (signed, as
// logged), and a server error for status 500 to 599 or a client error for 400 to 499.
//
// `last`, when given, remembers the record of the hour counted last and the size of the hour
// index then: while neither the hour nor the index changes, the search would land on the same
// record, so it is skipped. A default HourCursor knows nothing.
struct HourCursor {
  Ticks hour = 0;
  int32_t record = -1;
  int32_t index_count = -1;
};
void CountHourly(WorkspaceDatabase& db, const LogRecord& record, HourCursor* last = nullptr);

}  // namespace velmora
