// The hourly totals behind the Traffic reports: one record per hour of the walked days, each
// summing what happened in that hour. Requests, errors and bytes come from the Hourly table and
// so count every parsed line, also the lines the log filters dropped; spider requests come from
// the Spiders table; visits and their pages, downloads, images and errors from the visits the
// report filter shows, each counted in the hour it began.
//
// The totals are kept in reports/summary (88 bytes an hour) and reused while the walk and the
// filter fingerprint stay the same.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/prompter.h"
#include "reports/filter/report_filter.h"
#include "reports/frame/date_range.h"
#include "reports/frame/report_model.h"
#include "storage/workspace_database.h"

namespace velmora {

enum class Measure : uint8_t {
  kVisits,
  kPages,
  kDownloads,
  kImages,
  kErrorVisits,  // visits with at least one error
  kRequests,
  kServerErrors,
  kClientErrors,
  kSpiderRequests,
  kSpiderBytesIn,
  kSpiderBytesOut,
  kDownloadBytes,
  kBytesIn,
  kBytesOut,
};
inline constexpr size_t kMeasureCount = 14;

using Totals = std::array<int64_t, kMeasureCount>;

struct HourTotals {
  Ticks start = 0;
  Totals values{};

  int64_t operator[](Measure m) const { return values[static_cast<size_t>(m)]; }
  int64_t& operator[](Measure m) { return values[static_cast<size_t>(m)]; }
};

class HourlyTotals {
 public:
  HourlyTotals() = default;
  HourlyTotals(Ticks first_hour, std::vector<HourTotals> hours)
      : first_hour_(first_hour), hours_(std::move(hours)) {}

  // The sums over [from, to), both hour starts; hours outside the table add nothing.
  Totals Sum(Ticks from, Ticks to) const;
  Totals Period(const ReportPeriods& periods, DateRange range) const {
    return Sum(periods.Start(range), periods.End(range));
  }
  std::span<const HourTotals> hours() const { return hours_; }
  Ticks first_hour() const { return first_hour_; }

 private:
  Ticks first_hour_ = 0;
  std::vector<HourTotals> hours_;
};

struct HourlyTotalsResult {
  HourlyTotals totals;
  CacheUse use = CacheUse::kNone;
  int64_t records_read = 0;
};

// The totals of every hour of the walk, built or read from reports/summary. None when the table
// can neither be opened nor made (the engine has said why). The database must be open.
std::optional<HourlyTotalsResult> LoadHourlyTotals(WorkspaceDatabase& db, Prompter& prompter,
                                                   const ReportPeriods& periods,
                                                   const ActiveReportFilter& filter,
                                                   uint32_t fingerprint);

// The same sums over calendar months: the eight months from the seventh before the month of T
// to the month of T, kept in reports/monthlysummary. Only visits, requests, errors and bytes.
struct MonthTotals {
  Ticks start = 0;
  Totals values{};
  int64_t operator[](Measure m) const { return values[static_cast<size_t>(m)]; }
};
struct MonthlyTotalsResult {
  std::vector<MonthTotals> months;
  CacheUse use = CacheUse::kNone;
};
std::optional<MonthlyTotalsResult> LoadMonthlyTotals(WorkspaceDatabase& db, Prompter& prompter,
                                                     const ReportPeriods& periods,
                                                     const ActiveReportFilter& filter,
                                                     uint32_t fingerprint);

// The start of the month that `time` falls in.
Ticks StartOfMonth(Ticks time);
// The start of the month `months` after (or, negative, before) the month starting at `month`.
Ticks AddMonths(Ticks month, int months);

}  // namespace velmora
