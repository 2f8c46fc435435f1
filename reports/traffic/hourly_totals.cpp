#include "reports/traffic/hourly_totals.h"

#include <algorithm>
#include <string_view>

#include "core/byte_order.h"
#include "reports/frame/result_table.h"
#include "reports/frame/visit_walk.h"

namespace velmora {
namespace {

using M = Measure;

// Where each measure lives in an 88-byte hour record: 4-byte counters from offset 8, 8-byte
// byte counts from offset 48.
struct Field {
  Measure measure;
  uint32_t offset;
  uint32_t width;
};
constexpr Field kHourFields[] = {
    {M::kVisits, 8, 4},         {M::kPages, 12, 4},          {M::kDownloads, 16, 4},
    {M::kImages, 20, 4},        {M::kErrorVisits, 24, 4},    {M::kRequests, 28, 4},
    {M::kServerErrors, 32, 4},  {M::kClientErrors, 36, 4},   {M::kSpiderRequests, 40, 4},
    {M::kSpiderBytesIn, 48, 8}, {M::kSpiderBytesOut, 56, 8}, {M::kDownloadBytes, 64, 8},
    {M::kBytesIn, 72, 8},       {M::kBytesOut, 80, 8},
};
constexpr Field kMonthFields[] = {
    {M::kVisits, 8, 4},        {M::kRequests, 16, 8}, {M::kServerErrors, 24, 4},
    {M::kClientErrors, 28, 4}, {M::kBytesIn, 32, 8},  {M::kBytesOut, 40, 8},
};

template <size_t N>
void Store(unsigned char* unit, Ticks start, const Totals& values, const Field (&fields)[N]) {
  StoreLE64(unit, start);
  for (const Field& f : fields) {
    const int64_t v = values[static_cast<size_t>(f.measure)];
    if (f.width == 4) {
      StoreLE32(unit + f.offset, static_cast<uint32_t>(v));
    } else {
      StoreLE64(unit + f.offset, static_cast<uint64_t>(v));
    }
  }
}

template <size_t N>
Totals Load(const unsigned char* unit, const Field (&fields)[N]) {
  Totals values{};
  for (const Field& f : fields) {
    values[static_cast<size_t>(f.measure)] =
        f.width == 4 ? int64_t{static_cast<int32_t>(LoadLE32(unit + f.offset))}
                     : static_cast<int64_t>(LoadLE64(unit + f.offset));
  }
  return values;
}

// Adds the Hourly records and visits of [start, end) into `slot_of(time)`'s totals.
template <class SlotOf>
int64_t AddHourlyAndVisits(WorkspaceDatabase& db, const ActiveReportFilter& filter, Ticks start,
                           Ticks end, SlotOf&& slot_of) {
  int64_t read = WalkRecordsInTime(
      db.hourly(), db.hourly().index(1), start, end,
      [](const HourlyRecord& r) { return r.hour.value(); },
      [&](int32_t, const HourlyRecord& r) {
        Totals* t = slot_of(r.hour.value());
        if (t == nullptr) return;
        (*t)[static_cast<size_t>(M::kRequests)] += r.hits;
        (*t)[static_cast<size_t>(M::kServerErrors)] += r.server_errors;
        (*t)[static_cast<size_t>(M::kClientErrors)] += r.client_errors;
        (*t)[static_cast<size_t>(M::kBytesIn)] += r.bytes_received.signed_value();
        (*t)[static_cast<size_t>(M::kBytesOut)] += r.bytes_sent.signed_value();
      });
  read += WalkRecordsInTime(
      db.sessions(), db.sessions().index(1), start, end,
      [](const SessionRecord& r) { return r.first_request_time.value(); },
      [&](int32_t number, const SessionRecord& session) {
        if (!VisitPassesFilter(filter, db, number)) return;
        Totals* t = slot_of(session.first_request_time.value());
        if (t == nullptr) return;
        const SessionDetailRecord d = WithoutCacheSlots(db.session_details().Get(number));
        (*t)[static_cast<size_t>(M::kVisits)] += 1;
        (*t)[static_cast<size_t>(M::kPages)] += StoredListCount(db.pages(), d.page_path);
        (*t)[static_cast<size_t>(M::kDownloads)] += StoredListCount(db.downloads(), d.downloads);
        (*t)[static_cast<size_t>(M::kImages)] += StoredListCount(db.images(), d.images);
        // A visit with errors counts once, however many distinct errors it met: adding the
        // errors would let "Visits with Errors" outgrow the visits.
        (*t)[static_cast<size_t>(M::kErrorVisits)] += StoredListCount(db.errors(), d.errors) > 0;
        (*t)[static_cast<size_t>(M::kDownloadBytes)] += d.download_bytes;
      });
  return read;
}

}  // namespace

Totals HourlyTotals::Sum(Ticks from, Ticks to) const {
  Totals sum{};
  if (hours_.empty() || to <= first_hour_) return sum;
  const auto first =
      static_cast<size_t>(from > first_hour_ ? (from - first_hour_) / kTicksPerHour : 0);
  const auto last =
      std::min(hours_.size(), static_cast<size_t>((to - first_hour_) / kTicksPerHour));
  for (size_t h = first; h < last; ++h) {
    for (size_t m = 0; m < kMeasureCount; ++m) sum[m] += hours_[h].values[m];
  }
  return sum;
}

std::optional<HourlyTotalsResult> LoadHourlyTotals(WorkspaceDatabase& db, Prompter& prompter,
                                                   const ReportPeriods& periods,
                                                   const ActiveReportFilter& filter,
                                                   uint32_t fingerprint) {
  const Ticks start = periods.WalkStart();
  const Ticks end = periods.WalkEnd();
  const auto count = static_cast<int32_t>((end - start) / kTicksPerHour);
  ResultTable table(prompter, UnitSize::k88);
  const ResultTable::State state = table.Open(db.workspace_folder(), "summary",
                                              {start, end, fingerprint, 0}, kTotalsIdentityBytes);
  if (state == ResultTable::State::kClosed) return std::nullopt;
  HourlyTotalsResult result;
  std::vector<HourTotals> hours(static_cast<size_t>(count));
  if (state == ResultTable::State::kReused && table.Count() == count) {
    for (int32_t h = 0; h < count; ++h) {
      const unsigned char* unit = table.UnitAt(h);
      hours[static_cast<size_t>(h)] = {LoadLE64(unit), Load(unit, kHourFields)};
    }
    result.use = CacheUse::kReused;
  } else {
    for (int32_t h = 0; h < count; ++h)
      hours[static_cast<size_t>(h)].start = start + static_cast<Ticks>(h) * kTicksPerHour;
    auto slot_of = [&](Ticks time) -> Totals* {
      if (time < start || time >= end) return nullptr;
      return &hours[static_cast<size_t>((time - start) / kTicksPerHour)].values;
    };
    result.records_read = AddHourlyAndVisits(db, filter, start, end, slot_of);
    result.records_read += WalkRecordsInTime(
        db.spiders(), db.spiders().index(1), start, end,
        [](const SpiderHitRecord& r) { return r.time.value(); },
        [&](int32_t, const SpiderHitRecord& hit) {
          Totals* t = slot_of(hit.time.value());
          (*t)[static_cast<size_t>(M::kSpiderRequests)] += 1;
          (*t)[static_cast<size_t>(M::kSpiderBytesIn)] += hit.bytes_received;
          (*t)[static_cast<size_t>(M::kSpiderBytesOut)] += hit.bytes_sent;
        });
    if (!table.Size(count)) return std::nullopt;
    for (int32_t h = 0; h < count; ++h) {
      const HourTotals& hour = hours[static_cast<size_t>(h)];
      Store(table.UnitAt(h), hour.start, hour.values, kHourFields);
    }
    table.Seal();
    result.use = CacheUse::kBuilt;
  }
  result.totals = HourlyTotals(start, std::move(hours));
  return result;
}

Ticks StartOfMonth(Ticks time) {
  CalendarTime t = TicksToCalendar(time);
  t.day = 1;
  t.hour = t.minute = t.second = t.milliseconds = 0;
  return CalendarToTicks(t).value_or(StartOfDay(time));
}

Ticks AddMonths(Ticks month, int months) {
  CalendarTime t = TicksToCalendar(month);
  int index = t.year * 12 + (t.month - 1) + months;
  index = std::max(index, 1601 * 12);
  t.year = static_cast<uint16_t>(index / 12);
  t.month = static_cast<uint16_t>(index % 12 + 1);
  t.day = 1;
  t.hour = t.minute = t.second = t.milliseconds = 0;
  return CalendarToTicks(t).value_or(month);
}

std::optional<MonthlyTotalsResult> LoadMonthlyTotals(WorkspaceDatabase& db, Prompter& prompter,
                                                     const ReportPeriods& periods,
                                                     const ActiveReportFilter& filter,
                                                     uint32_t fingerprint) {
  constexpr int kMonths = 8;
  const Ticks this_month = StartOfMonth(periods.reference());
  const Ticks start = AddMonths(this_month, -(kMonths - 1));
  const Ticks end = AddMonths(this_month, 1);
  ResultTable table(prompter, UnitSize::k48);
  const ResultTable::State state = table.Open(db.workspace_folder(), "monthlysummary",
                                              {start, end, fingerprint, 0}, kTotalsIdentityBytes);
  if (state == ResultTable::State::kClosed) return std::nullopt;
  MonthlyTotalsResult result;
  result.months.resize(kMonths);
  if (state == ResultTable::State::kReused && table.Count() == kMonths) {
    for (int32_t m = 0; m < kMonths; ++m) {
      const unsigned char* unit = table.UnitAt(m);
      result.months[static_cast<size_t>(m)] = {LoadLE64(unit), Load(unit, kMonthFields)};
    }
    result.use = CacheUse::kReused;
    return result;
  }
  for (int m = 0; m < kMonths; ++m)
    result.months[static_cast<size_t>(m)].start = AddMonths(start, m);
  auto slot_of = [&](Ticks time) -> Totals* {
    for (int m = kMonths - 1; m >= 0; --m) {
      if (time >= result.months[static_cast<size_t>(m)].start) {
        return time < end ? &result.months[static_cast<size_t>(m)].values : nullptr;
      }
    }
    return nullptr;
  };
  AddHourlyAndVisits(db, filter, start, end, slot_of);
  if (!table.Size(kMonths)) return std::nullopt;
  for (int32_t m = 0; m < kMonths; ++m) {
    MonthTotals& month = result.months[static_cast<size_t>(m)];
    Store(table.UnitAt(m), month.start, month.values, kMonthFields);
    // Only what the record keeps, so that a fresh result reads as a reused one will.
    month.values = Load(table.UnitAt(m), kMonthFields);
  }
  table.Seal();
  result.use = CacheUse::kBuilt;
  return result;
}

}  // namespace velmora
