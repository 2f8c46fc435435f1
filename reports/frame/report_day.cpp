#include "reports/frame/report_day.h"

#include <string_view>

namespace velmora {
namespace {

constexpr std::string_view kResetOfferQuestion =
    "The workspace database cannot be opened. Would you like to reset the database?";

// `database` is open. The last entry of the by-hour index, not the last record, is the latest
// hour: hours arrive out of order when logs do.
Ticks ReferenceDay(WorkspaceDatabase& database, int your_time_zone_minutes, Ticks utc_now) {
  RecordTable<HourlyRecord>& hourly = database.hourly();
  const TableFile& by_hour = hourly.index(1);
  Ticks day;
  if (hourly.Count() == 0 || by_hour.Count() == 0) {
    const int64_t offset = int64_t{your_time_zone_minutes} * static_cast<int64_t>(kTicksPerMinute);
    day = utc_now + static_cast<Ticks>(offset);
  } else {
    const auto last = static_cast<int32_t>(by_hour.Entry(by_hour.Count() - 1));
    day = hourly.Get(last).hour.value() + kTicksPerDay;
  }
  return StartOfDay(day);
}

}  // namespace

ReportLoad LoadForReports(WorkspaceDatabase& database, Prompter& prompter,
                          int your_time_zone_minutes, Ticks utc_now) {
  if (database.Open()) {
    ReportLoad load{ReportLoad::Outcome::kOpened,
                    ReferenceDay(database, your_time_zone_minutes, utc_now)};
    database.Release();
    return load;
  }
  if (prompter.Ask(kAppCaption, kResetOfferQuestion, PromptButtons::kYesNo,
                   PromptIcon::kQuestion) == PromptAnswer::kYes &&
      database.Create()) {
    ReportLoad load{ReportLoad::Outcome::kRecreated,
                    ReferenceDay(database, your_time_zone_minutes, utc_now)};
    database.Release();
    return load;
  }
  return {};
}

}  // namespace velmora
