#include "reports/traffic/traffic_reports.h"

#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "analysis/countries/country_list.h"
#include "core/percent_decoding.h"
#include "reports/frame/visit_walk.h"
#include "reports/traffic/traffic_formats.h"

namespace velmora {
namespace {

using M = Measure;

constexpr Rgb kPlainRow = kPlainBackground;
constexpr Rgb kTintedRow{248, 248, 232};
constexpr Rgb kHeadingRow{248, 232, 216};
constexpr Rgb kWhiteRow{255, 255, 255};

int64_t Of(const Totals& t, Measure m) { return t[static_cast<size_t>(m)]; }

bool IsBytes(Measure m) {
  return m == M::kSpiderBytesIn || m == M::kSpiderBytesOut || m == M::kDownloadBytes ||
         m == M::kBytesIn || m == M::kBytesOut;
}

std::string CountText(int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  return text;
}

std::string ValueText(Measure m, double value) {
  if (IsBytes(m)) return MegabyteText(value);
  return CountText(static_cast<int64_t>(value));
}

std::string FixedText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

ReportColumn KeyColumn(std::string caption) { return {std::move(caption), CellAlign::kLeft, true}; }
ReportColumn ValueColumn(std::string_view caption) {
  return {std::string(caption), CellAlign::kRight, false};
}

void AddCell(ReportRow& row, std::string text, std::optional<double> value) {
  row.cells.push_back(std::move(text));
  row.values.push_back(value);
}

// ---- the summary ----

enum class Kind : uint8_t { kCount, kPerDay, kPerVisit, kPercent };

struct SummaryLine {
  std::string_view label;
  Kind kind;
  Measure value;
  Measure base = M::kVisits;  // the denominator of per-visit and percent rows
  bool blank_before = false;
};

// clang-format off
constexpr SummaryLine kSummary[] = {
    {"Visits", Kind::kCount, M::kVisits},
    {"Visits/Day", Kind::kPerDay, M::kVisits},
    {"Visits with Errors", Kind::kCount, M::kErrorVisits},
    {"Visits with Errors/Day", Kind::kPerDay, M::kErrorVisits},
    {"Visits with Errors/Visit", Kind::kPercent, M::kErrorVisits, M::kVisits},
    {"Pages", Kind::kCount, M::kPages, M::kVisits, true},
    {"Pages/Day", Kind::kPerDay, M::kPages},
    {"Pages/Visit", Kind::kPerVisit, M::kPages, M::kVisits},
    {"Downloads", Kind::kCount, M::kDownloads, M::kVisits, true},
    {"Downloads/Day", Kind::kPerDay, M::kDownloads},
    {"Downloads/Visit", Kind::kPerVisit, M::kDownloads, M::kVisits},
    {"Download Traffic", Kind::kCount, M::kDownloadBytes, M::kVisits, true},
    {"Download Traffic/Day", Kind::kPerDay, M::kDownloadBytes},
    {"Download Traffic/Visit", Kind::kPerVisit, M::kDownloadBytes, M::kVisits},
    {"Images", Kind::kCount, M::kImages, M::kVisits, true},
    {"Images/Day", Kind::kPerDay, M::kImages},
    {"Images/Visit", Kind::kPerVisit, M::kImages, M::kVisits},
    {"Requests", Kind::kCount, M::kRequests},  // follows the "Requests" heading
    {"Requests/Day", Kind::kPerDay, M::kRequests},
    {"Client Errors", Kind::kCount, M::kClientErrors},
    {"Client Errors/Day", Kind::kPerDay, M::kClientErrors},
    {"Client Errors/Request", Kind::kPercent, M::kClientErrors, M::kRequests},
    {"Server Errors", Kind::kCount, M::kServerErrors},
    {"Server Errors/Day", Kind::kPerDay, M::kServerErrors},
    {"Server Errors/Request", Kind::kPercent, M::kServerErrors, M::kRequests},
    {"Outgoing Traffic", Kind::kCount, M::kBytesOut, M::kVisits, true},
    {"Outgoing Traffic/Day", Kind::kPerDay, M::kBytesOut},
    {"Incoming Traffic", Kind::kCount, M::kBytesIn, M::kVisits, true},
    {"Incoming Traffic/Day", Kind::kPerDay, M::kBytesIn},
    {"Spider Requests", Kind::kCount, M::kSpiderRequests, M::kVisits, true},
    {"Spider Requests/Day", Kind::kPerDay, M::kSpiderRequests},
    {"Out. Traffic (Spiders)", Kind::kCount, M::kSpiderBytesOut},
    {"Out. Traffic (Spiders)/Day", Kind::kPerDay, M::kSpiderBytesOut},
    {"Out. Traffic (Spiders)/Total", Kind::kPercent, M::kSpiderBytesOut, M::kBytesOut},
    {"In. Traffic (Spiders)", Kind::kCount, M::kSpiderBytesIn},
    {"In. Traffic (Spider)/Day", Kind::kPerDay, M::kSpiderBytesIn},
    {"In. Traffic (Spider)/Total", Kind::kPercent, M::kSpiderBytesIn, M::kBytesIn},
};
// clang-format on

ReportRow EmptyRow(size_t columns, Rgb colour, std::string label = {}, bool bold = false) {
  ReportRow row;
  row.colour = colour;
  row.bold = bold;
  AddCell(row, std::move(label), std::nullopt);
  for (size_t c = 1; c < columns; ++c) AddCell(row, "", std::nullopt);
  return row;
}

// The products of two totals can pass 64 bits (bytes by bytes): they are formed in 128.
int32_t Trend(__int128 p, __int128 f) {
  if (f != 0 && p * 100 / f > 105) return 0;
  if (p != 0 && f * 100 / p > 105) return 1;
  return -1;
}

ReportRow SummaryRow(const SummaryLine& line, const std::array<Totals, kDateRangeCount>& totals,
                     const ReportPeriods& periods) {
  ReportRow row;
  row.colour = line.kind == Kind::kCount ? kPlainRow : kTintedRow;
  AddCell(row, std::string(line.label), std::nullopt);
  for (DateRange range : kDateRanges) {
    const Totals& t = totals[static_cast<size_t>(range)];
    const int64_t value = Of(t, line.value);
    const int64_t base = Of(t, line.base);
    switch (line.kind) {
      case Kind::kCount:
        AddCell(row, ValueText(line.value, static_cast<double>(value)), static_cast<double>(value));
        break;
      case Kind::kPerDay: {
        if (range == DateRange::kToday || range == DateRange::kYesterday) {
          AddCell(row, "", std::nullopt);
          break;
        }
        const double per_day =
            static_cast<double>(value) / static_cast<double>(periods.Days(range));
        AddCell(row, IsBytes(line.value) ? MegabyteText(per_day) : FixedText(per_day), per_day);
        break;
      }
      case Kind::kPerVisit: {
        if (base == 0) {
          AddCell(row, "", std::nullopt);
          break;
        }
        const double per_visit = static_cast<double>(value) / static_cast<double>(base);
        AddCell(row, IsBytes(line.value) ? MegabyteText(per_visit) : FixedText(per_visit),
                per_visit);
        break;
      }
      case Kind::kPercent: {
        const std::optional<std::string> text = PercentText(value, base);
        AddCell(row, text.value_or(""),
                text ? std::optional(static_cast<double>(value) * 100.0 / static_cast<double>(base))
                     : std::nullopt);
        break;
      }
    }
  }
  const Totals& week = totals[static_cast<size_t>(DateRange::kWeek)];
  const Totals& four = totals[static_cast<size_t>(DateRange::kFourWeeks)];
  if (line.kind == Kind::kPerDay) {
    row.images[0] = Trend(__int128{4} * Of(week, line.value), Of(four, line.value));
  } else if (line.kind != Kind::kCount) {
    row.images[0] = Trend(__int128{Of(week, line.value)} * Of(four, line.base),
                          __int128{Of(four, line.value)} * Of(week, line.base));
  }
  return row;
}

// "Site Popularity": for each walked day that has a whole week behind it, the visits of the
// seven days ending with it, a rolling weekly count that rises and falls with the site's
// audience without the day-to-day noise of weekends.
ChartData Popularity(const HourlyTotals& totals, const ReportPeriods& periods) {
  ChartData chart;
  chart.kind = kChartTime;
  chart.title = "Site Popularity";
  for (Ticks day = periods.WalkStart() + 6 * kTicksPerDay; day < periods.WalkEnd();
       day += kTicksPerDay) {
    const Ticks end = day + kTicksPerDay;
    const double visits =
        static_cast<double>(Of(totals.Sum(end - 7 * kTicksPerDay, end), M::kVisits));
    chart.items.push_back({DayText(static_cast<int64_t>(day)), visits, Rgb{0, 96, 192}, day});
  }
  return chart;
}

// ---- the time reports ----

struct TimeMeasure {
  std::string_view id;  // the daily report
  std::array<std::pair<std::string_view, Measure>, 4> columns;
  size_t count;
};

constexpr TimeMeasure kDaily[] = {
    {"vpdi",
     {{{"Visits", M::kVisits},
       {"Pages", M::kPages},
       {"Downloads", M::kDownloads},
       {"Images", M::kImages}}},
     4},
    {"visits", {{{"Visits", M::kVisits}}}, 1},
    {"pages", {{{"Page Views", M::kPages}}}, 1},
    {"downloads", {{{"Downloads", M::kDownloads}}}, 1},
    {"images", {{{"Images", M::kImages}}}, 1},
    {"requests", {{{"Requests", M::kRequests}}}, 1},
    {"spiders", {{{"Spider Requests", M::kSpiderRequests}}}, 1},
    {"errors",
     {{{"Server Errors", M::kServerErrors},
       {"Client Errors", M::kClientErrors},
       {"Visits with Errors", M::kErrorVisits}}},
     3},
    {"servererr", {{{"Server Errors", M::kServerErrors}}}, 1},
    {"clienterr", {{{"Client Errors", M::kClientErrors}}}, 1},
    {"errvisits", {{{"Visits with Errors", M::kErrorVisits}}}, 1},
    {"bandwidth",
     {{{"Incoming Traffic", M::kBytesIn},
       {"Outgoing Traffic", M::kBytesOut},
       {"Download Traffic", M::kDownloadBytes}}},
     3},
    {"bw_out", {{{"Outgoing Traffic", M::kBytesOut}}}, 1},
    {"bw_in", {{{"Incoming Traffic", M::kBytesIn}}}, 1},
    {"bw_dld", {{{"Downloads Traffic", M::kDownloadBytes}}}, 1},
};

const TimeMeasure* FindDaily(std::string_view id) {
  for (const TimeMeasure& m : kDaily) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

// The daily report whose measure a "_dw" or "_hd" report distributes; null for any other id.
const TimeMeasure* DistributionParent(std::string_view id) {
  if (!id.ends_with("_dw") && !id.ends_with("_hd")) return nullptr;
  return FindDaily(id.substr(0, id.size() - 3));
}

ReportModel Base(const ReportDef& report, std::string key_caption) {
  ReportModel model;
  model.id = report.id;
  model.title = report.title;
  model.columns.push_back(KeyColumn(std::move(key_caption)));
  return model;
}

ReportModel Daily(const ReportDef& report, const TimeMeasure& measure, const HourlyTotals& totals,
                  const ReportPeriods& periods) {
  ReportModel model = Base(report, "Date");
  for (size_t c = 0; c < measure.count; ++c)
    model.columns.push_back(ValueColumn(measure.columns[c].first));
  ChartData chart;
  chart.kind = kChartTime;
  chart.title = report.title;
  for (Ticks day = periods.Start(DateRange::kCustom); day < periods.End(DateRange::kCustom);
       day += kTicksPerDay) {
    const Totals t = totals.Sum(day, day + kTicksPerDay);
    ReportRow row;
    row.colour = kPlainRow;
    AddCell(row, DayText(static_cast<int64_t>(day)), static_cast<double>(day));
    for (size_t c = 0; c < measure.count; ++c) {
      const Measure m = measure.columns[c].second;
      AddCell(row, ValueText(m, static_cast<double>(Of(t, m))), static_cast<double>(Of(t, m)));
    }
    chart.items.push_back({row.cells[0], *row.values[1], Rgb{0, 96, 192}, day});
    model.rows.push_back(std::move(row));
  }
  chart.whole_numbers = !IsBytes(measure.columns[0].second);
  model.chart = std::move(chart);
  return model;
}

constexpr std::array<std::string_view, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

// A distribution over the days of the week (`by_weekday`) or the hours of the day.
ReportModel Distribution(const ReportDef& report, Measure measure, const HourlyTotals& totals,
                         const ReportPeriods& periods, bool by_weekday) {
  ReportModel model = Base(report, by_weekday ? "Day of Week" : "Hour of the Day");
  std::vector<DateRange> ranges;
  for (DateRange range : kDateRanges) {
    if (!by_weekday || (range != DateRange::kToday && range != DateRange::kYesterday))
      ranges.push_back(range);
  }
  for (DateRange range : ranges) model.columns.push_back(ValueColumn(DateRangeCaption(range)));
  const size_t slots = by_weekday ? 7 : 24;
  std::vector<std::array<int64_t, kDateRangeCount>> sums(slots);
  for (const HourTotals& hour : totals.hours()) {
    const size_t slot = by_weekday ? static_cast<size_t>(DayOfWeek(hour.start))
                                   : static_cast<size_t>(hour.start % kTicksPerDay / kTicksPerHour);
    for (DateRange range : ranges) {
      if (hour.start >= periods.Start(range) && hour.start < periods.End(range)) {
        sums[slot][static_cast<size_t>(range)] += hour[measure];
      }
    }
  }
  ChartData chart;
  chart.kind = kChartBar;
  chart.title = report.title + " (Week)";
  chart.whole_numbers = !IsBytes(measure);
  bool any = false;
  for (size_t slot = 0; slot < slots; ++slot) {
    ReportRow row;
    row.colour = kPlainRow;
    char label[32];
    if (by_weekday) {
      std::snprintf(label, sizeof label, "%s", std::string(kWeekdays[slot]).c_str());
    } else {
      std::snprintf(label, sizeof label, "%zu:00 - %zu:59", slot, slot);
    }
    AddCell(row, label, std::nullopt);
    for (DateRange range : ranges) {
      const int64_t v = sums[slot][static_cast<size_t>(range)];
      AddCell(row, ValueText(measure, static_cast<double>(v)), static_cast<double>(v));
    }
    const int64_t week = sums[slot][static_cast<size_t>(DateRange::kWeek)];
    any |= week != 0;
    char chart_label[32];
    if (by_weekday) {
      std::snprintf(chart_label, sizeof chart_label, "%s", label);
    } else {
      std::snprintf(chart_label, sizeof chart_label, "%zu:00", slot);
    }
    chart.items.push_back({chart_label, static_cast<double>(week), Rgb{144, 192, 240}, 0});
    model.rows.push_back(std::move(row));
  }
  if (any) model.chart = std::move(chart);
  return model;
}

struct MonthlyReport {
  std::string_view id;
  std::string_view caption;
  Measure measure;
};
constexpr MonthlyReport kMonthly[] = {
    {"requests_mn", "Requests", M::kRequests},
    {"visits_mn", "Visits", M::kVisits},
    {"trafficout_mn", "Outgoing Traffic", M::kBytesOut},
    {"trafficin_mn", "Incoming Traffic", M::kBytesIn},
};

ReportModel Monthly(const ReportDef& report, const MonthlyReport& which,
                    const MonthlyTotalsResult& months) {
  ReportModel model = Base(report, "Month");
  model.columns.push_back(ValueColumn(which.caption));
  model.cache_use = months.use;
  ChartData chart;
  chart.kind = kChartBar;
  chart.title = report.title;
  chart.whole_numbers = !IsBytes(which.measure);
  bool any = false;
  for (const MonthTotals& month : months.months) {
    const CalendarTime t = TicksToCalendar(month.start);
    char label[48];
    std::snprintf(label, sizeof label, "%d - %s", t.year, std::string(MonthName(t.month)).c_str());
    const int64_t v = month[which.measure];
    ReportRow row;
    row.colour = kPlainRow;
    AddCell(row, label, std::nullopt);
    AddCell(row, ValueText(which.measure, static_cast<double>(v)), static_cast<double>(v));
    model.rows.push_back(std::move(row));
    chart.items.push_back({label, static_cast<double>(v), Rgb{144, 192, 240}, month.start});
    any |= v != 0;
  }
  if (any) model.chart = std::move(chart);
  return model;
}

// ---- Today's Visits ----

std::string TimeText(Ticks time, bool with_day) {
  const CalendarTime t = TicksToCalendar(time);
  char text[64];
  if (with_day) {
    std::snprintf(text, sizeof text, "%d-%s-%d %02d:%02d", t.day,
                  std::string(MonthAbbreviation(t.month)).c_str(), t.year, t.hour, t.minute);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
  }
  return text;
}

std::string HostText(uint32_t key) {
  char text[32];
  if (key < 0x1000000) {
    // A client logged by name keeps only a key of it.
    std::snprintf(text, sizeof text, "host #%06X", key);
  } else {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", key >> 24, key >> 16 & 0xFF, key >> 8 & 0xFF,
                  key & 0xFF);
  }
  return text;
}

std::string PathText(WorkspaceDatabase& db, int32_t handle) {
  std::string text;
  if (handle < 0) return text;
  const SequenceView list = db.pages().Get(handle);
  const int32_t count = StoredListCount(db.pages(), handle);
  for (int32_t i = 1; i <= count; ++i) {
    if (i > 1) text += " -> ";
    text += db.resources().Get(list[i]);
  }
  return text;
}

}  // namespace

ReportModel MakeSummary(const ReportDef& report, const HourlyTotals& totals,
                        const ReportPeriods& periods) {
  ReportModel model = Base(report, "Report");
  for (DateRange range : kDateRanges) model.columns.push_back(ValueColumn(DateRangeCaption(range)));
  std::array<Totals, kDateRangeCount> sums;
  for (DateRange range : kDateRanges)
    sums[static_cast<size_t>(range)] = totals.Period(periods, range);
  const size_t columns = model.columns.size();
  model.rows.push_back(EmptyRow(columns, kPlainRow, "Visits", true));
  model.rows.push_back(EmptyRow(columns, kPlainRow));
  for (const SummaryLine& line : kSummary) {
    if (line.value == M::kRequests && line.kind == Kind::kCount) {
      model.rows.push_back(EmptyRow(columns, kWhiteRow));
      model.rows.push_back(EmptyRow(columns, kHeadingRow, "Requests", true));
      model.rows.push_back(EmptyRow(columns, kWhiteRow));
    } else if (line.blank_before) {
      model.rows.push_back(EmptyRow(columns, kPlainRow));
    }
    model.rows.push_back(SummaryRow(line, sums, periods));
  }
  model.chart = Popularity(totals, periods);
  return model;
}

std::optional<ReportModel> MakeTimeReport(const ReportDef& report, const HourlyTotals& totals,
                                          const ReportPeriods& periods) {
  if (const TimeMeasure* daily = FindDaily(report.id))
    return Daily(report, *daily, totals, periods);
  if (const TimeMeasure* parent = DistributionParent(report.id)) {
    return Distribution(report, parent->columns[0].second, totals, periods,
                        report.id.ends_with("_dw"));
  }
  return std::nullopt;
}

ReportModel MakeTodaysVisits(WorkspaceDatabase& db, const ReportDef& report,
                             const ReportPeriods& periods, const ActiveReportFilter& filter,
                             int32_t days) {
  days = std::clamp(days, 1, 3);
  ReportModel model = Base(report, "Time");
  model.cell_actions = true;
  for (std::string_view caption :
       {"Last Hit", "Host", "Country", "Referrer", "Path", "Downloads", "Images", "Errors",
        "BytesOut", "BytesDld", "BytesIn", "Browser", "Downloader"}) {
    model.columns.push_back(ValueColumn(caption));
  }
  for (size_t c : {0, 1, 2, 3, 4, 5, 12, 13}) model.columns[c].align = CellAlign::kLeft;
  model.columns[0].wide = false;
  model.columns[5].wide = true;
  const Ticks end = periods.reference();
  const Ticks start = end - std::min<Ticks>(end, static_cast<Ticks>(days) * kTicksPerDay);
  WalkRecordsInTime(
      db.sessions(), db.sessions().index(1), start, end,
      [](const SessionRecord& r) { return r.first_request_time.value(); },
      [&](int32_t number, const SessionRecord& s) {
        if (!VisitPassesFilter(filter, db, number)) return;
        const SessionDetailRecord d = WithoutCacheSlots(db.session_details().Get(number));
        ReportRow row;
        row.colour = kPlainRow;
        auto text = [&](std::string t) { AddCell(row, std::move(t), std::nullopt); };
        auto number_cell = [&](int64_t v) { AddCell(row, CountText(v), static_cast<double>(v)); };
        AddCell(row, TimeText(s.first_request_time.value(), days > 1),
                static_cast<double>(s.first_request_time.value()));
        AddCell(row, TimeText(s.last_request_time.value(), days > 1),
                static_cast<double>(s.last_request_time.value()));
        text(HostText(s.visitor_address));
        text(std::string(CountryName(d.country & 0xFFFF)));
        text(DecodePercentForDisplay(db.referer_strings().Get(s.referrer)));
        text(DecodePercentForDisplay(PathText(db, d.page_path)));
        number_cell(StoredListCount(db.downloads(), d.downloads));
        number_cell(StoredListCount(db.images(), d.images));
        number_cell(StoredListCount(db.errors(), d.errors));
        number_cell(d.bytes_sent);
        number_cell(d.download_bytes);
        number_cell(d.bytes_received);
        text(std::string(db.browsers().Get(db.user_agents().Get(s.page_user_agent).browser)));
        text(std::string(db.browsers().Get(db.user_agents().Get(s.download_user_agent).browser)));
        model.rows.push_back(std::move(row));
      });
  return model;
}

std::optional<ReportModel> MakeTrafficReport(WorkspaceDatabase& db, Prompter& prompter,
                                             const ReportDef& report,
                                             const TrafficRequest& request) {
  if (request.periods == nullptr || request.filter == nullptr) return std::nullopt;
  const ReportPeriods& periods = *request.periods;
  if (report.id == "todays_visitors") {
    return MakeTodaysVisits(db, report, periods, *request.filter, request.visit_list_days);
  }
  for (const MonthlyReport& monthly : kMonthly) {
    if (monthly.id != report.id) continue;
    const auto months =
        LoadMonthlyTotals(db, prompter, periods, *request.filter, request.fingerprint);
    if (!months) return std::nullopt;
    return Monthly(report, monthly, *months);
  }
  const bool summary = report.id == "traffic";
  if (!summary && FindDaily(report.id) == nullptr && DistributionParent(report.id) == nullptr) {
    return std::nullopt;  // not a report of the hourly totals: nothing to load
  }
  const auto totals = LoadHourlyTotals(db, prompter, periods, *request.filter, request.fingerprint);
  if (!totals) return std::nullopt;
  std::optional<ReportModel> model = summary ? MakeSummary(report, totals->totals, periods)
                                             : MakeTimeReport(report, totals->totals, periods);
  if (model) model->cache_use = totals->use;
  return model;
}

}  // namespace velmora
