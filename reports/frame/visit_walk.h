// The day walk of the list reports: every stored visit whose first request falls in the days a
// report walks, in order of that time, with the periods its day counts for. Visits the report
// filter hides, and with an engine filter the visits no search on that engine brought, are
// passed over.
#pragma once

#include <cstdint>
#include <functional>

#include "reports/filter/report_filter.h"
#include "reports/frame/date_range.h"
#include "storage/sorted_index.h"
#include "storage/workspace_database.h"

namespace velmora {

// Calls take(record number, record) for the records of `table` whose time (`time_of(record)`)
// lies in [start, end), in the order of `by_time`, a sorted index of the table by that time.
// Returns how many records were read. Entries that name no record are passed over.
template <class R, class TimeOf, class Take>
int64_t WalkRecordsInTime(RecordTable<R>& table, const TableFile& by_time, Ticks start, Ticks end,
                          TimeOf&& time_of, Take&& take) {
  const SearchResult before = SearchIndex(
      by_time,
      [&](uint32_t entry) {
        return ThreeWay(start, static_cast<Ticks>(time_of(table.Get(static_cast<int32_t>(entry)))));
      },
      SearchMode::kStrictLower);
  int64_t read = 0;
  for (int32_t pos = before.position + 1; pos >= 0 && pos < by_time.Count(); ++pos) {
    const auto number = static_cast<int32_t>(by_time.Entry(pos));
    if (!table.Has(number)) continue;
    const R record = table.Get(number);
    ++read;
    const Ticks time = time_of(record);
    if (time >= end) break;
    if (time >= start) take(number, record);  // an earlier one: only a damaged index has it here
  }
  return read;
}

// The count word of stored visit list `handle` (a count, then the entries), cut to the entries
// stored; 0 for no list (-1) or a list that is not there.
int32_t StoredListCount(const SequenceTable& lists, int32_t handle);

struct WalkedVisit {
  int32_t number = -1;  // the Sessions record number
  SessionRecord session;
  SessionDetailRecord detail;  // list handles that name no stored list are -1
  uint32_t mask = 0;           // the periods of the visit's day (date_range.h bits)
};

struct WalkCount {
  int64_t visits_read = 0;  // visits looked at, shown or not
  int64_t visits_taken = 0;
};

// Walks the visits of [periods.WalkStart(), periods.WalkEnd()) through the index of Sessions by
// first request time. The database must be open.
WalkCount WalkVisits(WorkspaceDatabase& db, const ReportPeriods& periods,
                     const ActiveReportFilter& filter, uint32_t engine_filter,
                     const std::function<void(const WalkedVisit&)>& take);

}  // namespace velmora
