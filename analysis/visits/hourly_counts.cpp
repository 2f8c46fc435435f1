#include "analysis/visits/hourly_counts.h"

#include "analysis/caches/time_index_append.h"
#include "storage/database_keys.h"
#include "storage/index_order.h"

namespace velmora {

Ticks HourKeyOf(const LogRecord& record) {
  CalendarTime hour = record.calendar_time;
  hour.minute = 0;
  hour.second = 0;
  if (const std::optional<Ticks> ticks = CalendarToTicks(hour)) return *ticks;
  return StartOfHour(record.time) +
         (record.time % kTicksPerSecond) / kTicksPerMillisecond * kTicksPerMillisecond;
}

void CountHourly(WorkspaceDatabase& db, const LogRecord& record, HourCursor* last) {
  RecordTable<HourlyRecord>& hourly = db.hourly();
  TableFile& index = hourly.index(1);
  const Ticks key = HourKeyOf(record);
  int32_t n = -1;
  if (last != nullptr && last->record >= 0 && last->hour == key &&
      last->index_count == index.Count()) {
    n = last->record;
  } else {
    const SearchResult found =
        SearchIndex(index, CompareKeyWith(key, HourlyHourKey(hourly)), SearchMode::kExact);
    n = found.found ? static_cast<int32_t>(index.Entry(found.position)) : -1;
  }
  if (last != nullptr) *last = HourCursor{};
  if (n < 0 || !hourly.Has(n)) {
    if (!hourly.records().Reserve(1) || !index.Reserve(1)) return;
    HourlyRecord fresh;
    fresh.hour.set(key);
    n = hourly.Append(fresh);
    if (n < 0) return;
    AppendTimeIndexEntry(index, static_cast<uint32_t>(n), HourlyHourKey(hourly));
  }
  if (last != nullptr) *last = HourCursor{key, n, index.Count()};
  HourlyRecord counts = hourly.Get(n);
  ++counts.hits;
  // Signed sums, added in unsigned arithmetic so that a damaged total wraps instead of
  // overflowing.
  counts.bytes_sent.set(counts.bytes_sent.value() + static_cast<uint64_t>(record.bytes_sent));
  counts.bytes_received.set(counts.bytes_received.value() +
                            static_cast<uint64_t>(record.bytes_received));
  if (record.status >= 500 && record.status <= 599) {
    ++counts.server_errors;
  } else if (record.status >= 400 && record.status <= 499) {
    ++counts.client_errors;
  }
  hourly.Set(n, counts);
}

}  // namespace velmora
