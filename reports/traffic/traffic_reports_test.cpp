// The Traffic reports: their cell formats, the hourly and monthly totals a small database
// gives, and the rows of the summary and the time reports.
#include "reports/traffic/traffic_reports.h"

#include <gtest/gtest.h>

#include "platform/prompter.h"
#include "reports/filter/report_filter_resolve.h"
#include "reports/traffic/traffic_formats.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

Ticks Day(int year, int month, int day, int hour = 0) {
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  return *CalendarToTicks(t);
}

TEST(TrafficFormats, CellTexts) {
  const struct {
    std::string got;
    std::string want;
  } cases[] = {
      {MegabyteText(1048576), "1.00 Mb"},
      {MegabyteText(1500.0 * 1048576), "1 500.00 Mb"},
      {MegabyteText(1001.5 * 1048576), "1 001.50 Mb"},
      {MegabyteText(2000000.0 * 1048576), "2 000 000.00 Mb"},
      {MegabyteText(0), "0.00 Mb"},
      {MegabyteText(5243), "0.01 Mb"},  // 0.005 Mb: halves go up
      {*PercentText(5, 1000000), "<0.001%"},
      {*PercentText(0, 7), "0%"},
      {*PercentText(1, 3), "33.33%"},
      {*PercentText(7, 7), "100.00%"},
      {DayText(static_cast<int64_t>(Day(2002, 10, 5))), "2002-Oct-05"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
  EXPECT_FALSE(PercentText(3, 0));
}

TEST(TrafficFormats, TrendMarks) {
  const struct {
    int64_t week, four_weeks;  // per-day totals: the week is brought to four weeks' scale
    int32_t mark;
  } cases[] = {
      {200, 700, 0},                                                       // 800 x 100 / 700 = 114
      {150, 700, 1},                                                       // 700 x 100 / 600 = 116
      {175, 700, -1}, {180, 700, -1}, {0, 0, -1}, {0, 5, -1}, {5, 0, -1},  // zero totals: no mark
  };
  for (const auto& c : cases) EXPECT_EQ(TrendMark(4 * c.week, c.four_weeks), c.mark) << c.week;
}

// A day of traffic on 2024-03-01 (Today) and one on 2024-02-29 (Yesterday):
//   Hourly: 10:00 Today 7 hits (2 client, 1 server errors, 3000 bytes out), 09:00 Yesterday 4;
//   two visits Today at 10:05 (2 pages, 1 download of 500 bytes, two errors) and 10:40 (1 page),
//   one visit Yesterday and a non-visit Today; one spider request Today at 10:30.
class TrafficTotalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Create());
    AddHour(Day(2024, 3, 1, 10), 7, 1, 2, 3000);
    AddHour(Day(2024, 2, 29, 9), 4, 0, 0, 100);
    const int32_t two_pages = db_.pages().FindOrAdd(std::vector<int32_t>{2, 0, 1});
    const int32_t one_page = db_.pages().FindOrAdd(std::vector<int32_t>{1, 0});
    const int32_t errors = db_.errors().FindOrAdd(std::vector<int32_t>{2, 0, 1});
    const int32_t download = db_.downloads().FindOrAdd(std::vector<int32_t>{1, 2});
    AddVisit(Day(2024, 2, 29, 9) + 5 * kTicksPerMinute, {0, 0x100, one_page});
    AddVisit(Day(2024, 3, 1, 10) + 5 * kTicksPerMinute,
             {0, 0x100, two_pages, download, -1, errors, 500});
    AddVisit(Day(2024, 3, 1, 10) + 20 * kTicksPerMinute, {0, 0, one_page});  // a non-visit
    AddVisit(Day(2024, 3, 1, 10) + 40 * kTicksPerMinute, {0, 0x100, one_page});
    const int32_t hit = db_.spiders().Append(
        {U64Halves::Of(Day(2024, 3, 1, 10) + 30 * kTicksPerMinute), -1, 0, 200, 10, 20});
    db_.spiders().index(1).SetEntry(db_.spiders().index(1).Append(), static_cast<uint32_t>(hit));
    filter_ = *PrepareReportFilter(db_, {}, {});
  }
  void TearDown() override { db_.Release(); }

  void AddHour(Ticks hour, uint32_t hits, uint32_t server, uint32_t client, uint64_t out) {
    HourlyRecord r;
    r.hour.set(hour);
    r.hits = hits;
    r.server_errors = server;
    r.client_errors = client;
    r.bytes_sent.set(out);
    const int32_t n = db_.hourly().Append(r);
    db_.hourly().index(1).SetEntry(db_.hourly().index(1).Append(), static_cast<uint32_t>(n));
  }
  void AddVisit(Ticks first, SessionDetailRecord detail) {
    SessionRecord s;
    s.first_request_time.set(first);
    s.last_request_time.set(first);
    const int32_t n = db_.sessions().Append(s);
    ASSERT_GE(db_.session_details().Append(detail), 0);
    db_.sessions().index(1).SetEntry(db_.sessions().index(1).Append(), static_cast<uint32_t>(n));
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
  ActiveReportFilter filter_;
  const ReportPeriods periods_{Day(2024, 3, 2), 1};
};

TEST_F(TrafficTotalsTest, HoursSumWhatHappenedInThem) {
  const auto loaded = LoadHourlyTotals(db_, prompter_, periods_, filter_, 7);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->use, CacheUse::kBuilt);
  EXPECT_EQ(loaded->totals.hours().size(), 28u * 24u);  // a one-week Custom still walks 4 Weeks
  const Totals today = loaded->totals.Period(periods_, DateRange::kToday);
  const Totals yesterday = loaded->totals.Period(periods_, DateRange::kYesterday);
  auto at = [](const Totals& t, Measure m) { return t[static_cast<size_t>(m)]; };
  using M = Measure;
  const struct {
    Measure measure;
    int64_t today, yesterday;
  } cases[] = {
      {M::kVisits, 2, 1},         {M::kPages, 3, 1},           {M::kDownloads, 1, 0},
      {M::kErrorVisits, 1, 0},    {M::kDownloadBytes, 500, 0}, {M::kRequests, 7, 4},
      {M::kServerErrors, 1, 0},   {M::kClientErrors, 2, 0},    {M::kBytesOut, 3000, 100},
      {M::kSpiderRequests, 1, 0}, {M::kSpiderBytesOut, 20, 0}, {M::kSpiderBytesIn, 10, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(at(today, c.measure), c.today) << static_cast<int>(c.measure);
    EXPECT_EQ(at(yesterday, c.measure), c.yesterday) << static_cast<int>(c.measure);
  }
  // The visit of 10:05 and the spider request of 10:30 are in the hour of 10:00.
  const Totals ten = loaded->totals.Sum(Day(2024, 3, 1, 10), Day(2024, 3, 1, 11));
  EXPECT_EQ(at(ten, M::kVisits), 2);
  EXPECT_EQ(at(ten, M::kSpiderRequests), 1);

  const auto again = LoadHourlyTotals(db_, prompter_, periods_, filter_, 7);
  EXPECT_EQ(again->use, CacheUse::kReused);
  EXPECT_EQ(again->records_read, 0);
  EXPECT_EQ(again->totals.Period(periods_, DateRange::kToday), today);
  EXPECT_EQ(LoadHourlyTotals(db_, prompter_, periods_, filter_, 8)->use, CacheUse::kBuilt);
}

TEST_F(TrafficTotalsTest, MonthsCoverEightCalendarMonths) {
  const auto months = LoadMonthlyTotals(db_, prompter_, periods_, filter_, 0);
  ASSERT_TRUE(months);
  ASSERT_EQ(months->months.size(), 8u);
  EXPECT_EQ(months->months.front().start, Day(2023, 8, 1));
  EXPECT_EQ(months->months.back().start, Day(2024, 3, 1));
  EXPECT_EQ(months->months[6][Measure::kVisits], 1);  // February
  EXPECT_EQ(months->months[7][Measure::kVisits], 2);
  EXPECT_EQ(months->months[7][Measure::kRequests], 7);
  EXPECT_EQ(LoadMonthlyTotals(db_, prompter_, periods_, filter_, 0)->use, CacheUse::kReused);
}

TEST_F(TrafficTotalsTest, SummaryAndTimeReportRows) {
  const auto loaded = LoadHourlyTotals(db_, prompter_, periods_, filter_, 0);
  const ReportModel summary = MakeSummary(*FindReport("traffic"), loaded->totals, periods_);
  ASSERT_EQ(summary.columns.size(), 6u);
  ASSERT_EQ(summary.rows.size(), 2u + 37u + 7u + 3u);  // headings, metrics, blanks
  // The metric row of `label` (the headings "Visits" and "Requests" come before theirs).
  auto row = [&](std::string_view label) -> const ReportRow& {
    for (auto r = summary.rows.rbegin(); r != summary.rows.rend(); ++r) {
      if (r->cells[0] == label) return *r;
    }
    static const ReportRow none;
    ADD_FAILURE() << label;
    return none;
  };
  EXPECT_EQ(summary.rows[0].cells[0], "Visits");
  EXPECT_TRUE(summary.rows[0].bold);
  EXPECT_EQ(row("Visits").cells, (std::vector<std::string>{"Visits", "2", "1", "3", "3", "3"}));
  EXPECT_EQ(row("Visits/Day").cells[1], "");  // no per-day value for one day
  EXPECT_EQ(row("Visits/Day").cells[3], "0.43");
  EXPECT_EQ(row("Pages/Visit").cells[1], "1.50");
  EXPECT_EQ(row("Visits with Errors/Visit").cells[1], "50.00%");
  EXPECT_EQ(row("Download Traffic").cells[1], "0.00 Mb");
  EXPECT_EQ(row("Client Errors/Request").cells[2], "0%");
  EXPECT_EQ(row("In. Traffic (Spider)/Total").cells[1], "");  // nothing came in at all
  const auto heading =
      std::find_if(summary.rows.begin(), summary.rows.end(),
                   [](const ReportRow& r) { return r.bold && r.cells[0] == "Requests"; });
  ASSERT_NE(heading, summary.rows.end());
  EXPECT_EQ(heading->colour, (Rgb{248, 232, 216}));
  EXPECT_EQ((heading - 1)->colour, (Rgb{255, 255, 255}));
  EXPECT_EQ((heading + 1)->colour, (Rgb{255, 255, 255}));
  EXPECT_EQ(row("Visits/Day").images[0], 0);  // 3 a week against 3 in four weeks: up
  EXPECT_EQ(summary.chart->title, "Site Popularity");

  struct Case {
    std::string_view id;
    size_t rows;
    std::vector<std::string> last;
  };
  const Case cases[] = {
      {"vpdi", 7, {"2024-Mar-01", "2", "3", "1", "0"}},
      {"bw_out", 7, {"2024-Mar-01", "0.00 Mb"}},
      {"visits_dw", 7, {"Saturday", "0", "0", "0"}},
      {"requests_hd", 24, {"23:00 - 23:59", "0", "0", "0", "0", "0"}},
  };
  for (const Case& c : cases) {
    const auto model = MakeTimeReport(*FindReport(c.id), loaded->totals, periods_);
    ASSERT_TRUE(model) << c.id;
    EXPECT_EQ(model->rows.size(), c.rows) << c.id;
    EXPECT_EQ(model->rows.back().cells, c.last) << c.id;
  }
  const auto by_weekday = MakeTimeReport(*FindReport("visits_dw"), loaded->totals, periods_);
  EXPECT_EQ(by_weekday->rows[5].cells,
            (std::vector<std::string>{"Friday", "2", "2", "2"}));  // 1 March 2024
  EXPECT_EQ(by_weekday->rows[4].cells[1], "1");                    // 29 February 2024, a Thursday
  const auto by_hour = MakeTimeReport(*FindReport("requests_hd"), loaded->totals, periods_);
  EXPECT_EQ(by_hour->rows[10].cells,
            (std::vector<std::string>{"10:00 - 10:59", "7", "0", "7", "7", "7"}));
  EXPECT_FALSE(MakeTimeReport(*FindReport("traffic"), loaded->totals, periods_));
}

TEST_F(TrafficTotalsTest, TodaysVisitsListsTheVisitsOfTheLastDays) {
  const ReportDef& report = *FindReport("todays_visitors");
  const ReportModel one_day = MakeTodaysVisits(db_, report, periods_, filter_, 1);
  ASSERT_EQ(one_day.columns.size(), 14u);
  ASSERT_EQ(one_day.rows.size(), 2u);
  EXPECT_EQ(one_day.rows[0].cells[0], "10:05");
  EXPECT_EQ(one_day.rows[0].cells[8], "2");  // errors
  const ReportModel two_days = MakeTodaysVisits(db_, report, periods_, filter_, 2);
  ASSERT_EQ(two_days.rows.size(), 3u);
  EXPECT_EQ(two_days.rows[0].cells[0], "29-Feb-2024 09:05");
}

}  // namespace
}  // namespace velmora
