// Ranked lists from a small database: what each period counts, when a cached result is reused
// and when it is rebuilt, and how rows are named, sorted, charted and printed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/prompter.h"
#include "reports/filter/report_filter_resolve.h"
#include "reports/frame/filter_fingerprint.h"
#include "reports/lists/list_caches.h"
#include "reports/lists/list_report.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

Ticks Day(int year, int month, int day) {
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  return *CalendarToTicks(t);
}

const Ticks kReference = Day(2024, 3, 1);  // Today is 29 February

// Visits, in order of their first request:
//   40 days back: Germany, from example.org, pages /a /b           (Custom only)
//   10 days back: Germany, from example.org, page /a               (4 Weeks, Custom)
//    3 days back: France, no referrer, page /b, a non-visit flag 0 (hidden unless shown)
//    2 days back: France, from example.org, pages /a /a /c         (Yesterday ...)
//    1 day back:  Germany, from google (a search), page /c         (Today ...)
//    today (T):   Germany, page /a                                 (after the walk)
class ListReportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Create());
    for (const char* path : {"/a", "/b", "/c"}) db_.resources().FindOrAdd(path);
    const int32_t example = db_.ref_domains().FindOrAdd("www.example.org");
    const int32_t google = db_.ref_domains().FindOrAdd("www.google.com");
    AddReferrer("http://www.example.org/", {example, 4, 0, -1, -1});
    AddReferrer("http://www.google.com/search?q=x", {google, 3, 2, -1, -1});
    germany_ = static_cast<uint32_t>(CountryByName("Germany"));
    france_ = static_cast<uint32_t>(CountryByName("France"));
    AddVisit(40, 0, germany_, 0x100, {0, 1});
    AddVisit(10, 0, germany_, 0x100, {0});
    AddVisit(3, -1, france_, 0, {1});
    AddVisit(2, 0, france_, 0x100, {0, 0, 2});
    AddVisit(1, 1, germany_, 0x100, {2});
    AddVisit(0, -1, germany_, 0x100, {0});
  }
  void TearDown() override { db_.Release(); }

  void AddReferrer(std::string_view text, const RefererRecord& record) {
    ASSERT_EQ(db_.referers().Append(record), db_.referer_strings().FindOrAdd(text));
  }
  void AddVisit(int days_back, int32_t referrer, uint32_t country, uint32_t flag,
                std::vector<int32_t> pages) {
    SessionRecord session;
    const Ticks first =
        kReference - static_cast<Ticks>(days_back) * kTicksPerDay + 9 * kTicksPerHour;
    session.first_request_time.set(first);
    session.last_request_time.set(first + kTicksPerHour);
    session.referrer = referrer;
    pages.insert(pages.begin(), static_cast<int32_t>(pages.size()));
    SessionDetailRecord detail;
    detail.country = country;
    detail.flag = flag;
    detail.page_path = db_.pages().FindOrAdd(pages);
    detail.bytes_sent = 1048576;
    const int32_t visit = db_.sessions().Append(session);
    ASSERT_GE(db_.session_details().Append(detail), 0);
    // Visits arrive in time order here, so the index by first request is the arrival order.
    TableFile& by_first = db_.sessions().index(1);
    by_first.SetEntry(by_first.Append(), static_cast<uint32_t>(visit));
  }

  std::optional<CachedResult> Build(std::string_view name, FilterBarState bar = {},
                                    uint32_t engine = 0, int32_t weeks = 13) {
    bar.custom_weeks = weeks;
    const ReportPeriods periods(kReference, weeks);
    filter_ = *PrepareReportFilter(db_, bar, {});
    return BuildListCache(db_, prompter_,
                          {name, &periods, &filter_, FilterFingerprint(bar, {}), engine});
  }
  ReportModel Model(std::string_view id, ListReportOptions options = {}) {
    const ReportDef* report = FindReport(id);
    const auto member = FindListMember(*report);
    const auto result = Build(report->cache, {}, report->engine_filter);
    return MakeListReport(db_, *report, *member, *result, options);
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
  ActiveReportFilter filter_;
  uint32_t germany_ = 0;
  uint32_t france_ = 0;
};

TEST_F(ListReportsTest, EachCacheCountsItsItemsPerPeriod) {
  struct Case {
    std::string_view cache;
    int32_t weeks;
    int32_t unit;
    PeriodValues values;  // Today, Yesterday, Week, 4 Weeks, Custom
  };
  const Case cases[] = {
      {"pages", 13, 0, {0, 2, 2, 3, 4}},  // /a: twice in one visit counts twice
      {"pages", 13, 2, {1, 1, 2, 2, 2}},
      {"pages", 1, 0, {0, 2, 2, 3, 2}},  // one week: the 4 Weeks column still whole
      {"entrypages", 13, 0, {0, 1, 1, 2, 3}},
      {"exitpages", 13, 2, {1, 1, 2, 2, 2}},
      {"singlepages", 13, 2, {1, 0, 1, 1, 1}},
      {"refdomains", 13, 0, {0, 1, 1, 2, 3}},  // www.example.org
      {"refsrcheng", 13, 1, {1, 0, 1, 1, 1}},
      {"searchengines", 13, 2, {1, 0, 1, 1, 1}},
      {"countries", 13, static_cast<int32_t>(germany_), {1, 0, 1, 2, 3}},
      {"countries", 13, static_cast<int32_t>(france_), {0, 1, 1, 1, 1}},
      {"countriesmb", 13, static_cast<int32_t>(germany_), {1048576, 0, 1048576, 2097152, 3145728}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cache) + " unit " + std::to_string(c.unit));
    const auto result = Build(c.cache, {}, 0, c.weeks);
    ASSERT_TRUE(result);
    ASSERT_GT(result->units.size(), static_cast<size_t>(c.unit));
    EXPECT_EQ(result->units[static_cast<size_t>(c.unit)], c.values);
  }
}

TEST_F(ListReportsTest, ACachedResultIsReusedUntilSomethingChanges) {
  const auto first = Build("pages");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->use, CacheUse::kBuilt);
  EXPECT_EQ(first->records_read, 6);  // the walk stops at the first visit of T
  const auto again = Build("pages");
  EXPECT_EQ(again->use, CacheUse::kReused);
  EXPECT_EQ(again->records_read, 0);
  EXPECT_EQ(again->units, first->units);

  FilterBarState shown;
  shown.show_non_visit = 1;
  const auto with_non_visits = Build("pages", shown);
  EXPECT_EQ(with_non_visits->use, CacheUse::kBuilt);
  EXPECT_EQ(with_non_visits->units[1][4], 2);  // /b: the non-visit counts now
  EXPECT_EQ(Build("pages", {}, 0, 4)->use, CacheUse::kBuilt);
  EXPECT_EQ(Build("pages", {}, 0, 4)->use, CacheUse::kReused);
  EXPECT_EQ(Build("pages", {}, 2, 4)->use, CacheUse::kBuilt);

  // An engine filter keeps only the visits that engine brought.
  const auto google_only = Build("pages", {}, 2);
  EXPECT_EQ(google_only->units[0][4], 0);
  EXPECT_EQ(google_only->units[2][4], 1);
}

TEST_F(ListReportsTest, NamesThatAreNoCacheTouchNothing) {
  for (std::string_view name : {"Pages", "visits", "", "pages0"}) {
    EXPECT_FALSE(Build(name)) << name;
  }
  EXPECT_FALSE(fs::exists(dir_ / "reports") && !fs::is_empty(dir_ / "reports"));
  EXPECT_EQ(ListCacheNames().size(), 48u);
  EXPECT_EQ(ListCacheNames().front(), "404errors");
  EXPECT_EQ(ListCacheNames().back(), "countriesmb");
}

TEST_F(ListReportsTest, ADamagedCacheIsReportedAndBuiltAgain) {
  ASSERT_TRUE(Build("countries"));
  for (const auto& entry : fs::directory_iterator(dir_ / "reports")) {
    std::fstream f(entry.path(), std::ios::in | std::ios::out | std::ios::binary);
    f.write("XXXX", 4);
  }
  prompter_.Clear();
  const auto rebuilt = Build("countries");
  ASSERT_TRUE(rebuilt);
  EXPECT_EQ(rebuilt->use, CacheUse::kBuilt);
  EXPECT_EQ(rebuilt->units[germany_][4], 3);
  ASSERT_EQ(prompter_.texts().size(), 1u);
  EXPECT_EQ(prompter_.texts()[0], "Can't open table: Bad Signature");
}

TEST_F(ListReportsTest, RowsAreNamedSortedAndPrinted) {
  const ReportModel pages = Model("pagesreq");
  ASSERT_EQ(pages.columns.size(), 6u);
  EXPECT_EQ(pages.columns[0].caption, "File Name");
  EXPECT_EQ(pages.columns[3].caption, "Week");
  EXPECT_EQ(pages.sort_column, 3);
  // Week: /a 2, /c 2 (equal: by name), /b 0 (Custom 1: still a row).
  ASSERT_EQ(pages.rows.size(), 3u);
  EXPECT_EQ(pages.rows[0].cells, (std::vector<std::string>{"/a", "0", "2", "2", "3", "4"}));
  EXPECT_EQ(pages.rows[1].cells[0], "/c");
  EXPECT_EQ(pages.rows[2].cells[0], "/b");
  EXPECT_EQ(pages.chart->title, "Requested Pages (Week)");

  const ReportModel by_custom = Model("pagesreq", {DateRange::kCustom, 1});
  ASSERT_EQ(by_custom.rows.size(), 1u);
  EXPECT_EQ(by_custom.chart->items.size(), 3u);  // the chart sees every row

  const ReportModel countries = Model("countries_tr", {DateRange::kCustom, std::nullopt});
  EXPECT_EQ(countries.rows[0].cells, (std::vector<std::string>{"Germany", "1.00 Mb", "0.00 Mb",
                                                               "1.00 Mb", "2.00 Mb", "3.00 Mb"}));
  EXPECT_EQ(Model("refservers").rows[0].cells[0], "www.example.org");
}

TEST(ListValues, CellTexts) {
  struct Case {
    ValueKind kind;
    int64_t value;
    std::string text;
  };
  const Case cases[] = {
      {ValueKind::kCount, 0, "0"},
      {ValueKind::kCount, 9000000000LL, "9000000000"},
      {ValueKind::kTraffic, 1048576, "1.00 Mb"},
      {ValueKind::kTraffic, 1572864, "1.50 Mb"},
      {ValueKind::kTraffic, 5243, "0.01 Mb"},   // 0.005 Mb, halves up at the thousandth
      {ValueKind::kRelevancy, 2000, "20.00%"},  // 1 download in 5 referral visits
      {ValueKind::kRelevancy, 0, "0.00%"},
  };
  for (const Case& c : cases) EXPECT_EQ(ValueText(c.kind, c.value), c.text) << c.value;
}

TEST(ListChart, TopSevenThenTheRest) {
  auto labels = [](size_t n) {
    std::vector<std::string> l;
    for (size_t i = 0; i < n; ++i) l.push_back("row" + std::to_string(i));
    return l;
  };
  struct Case {
    std::vector<double> values;
    size_t items;
    std::string last_label;
    double last_value;
  };
  const Case cases[] = {
      {{8, 7, 6, 5, 4, 3, 2, 1}, 8, "row7", 1},                     // eight rows: no "Other"
      {{12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 8, "Other 5", 15},  // twelve: five more
      {{9, 8, 7, 6, 5, 4, 3, 2, 0, 0}, 8, "Other 1", 2},            // zeros are not counted
      {{5, 4, 3, 2, 1, 1, 1, 0, 0}, 7, "row6", 1},                  // nothing left to carry
      {{3, 2}, 2, "row1", 2},
  };
  for (const Case& c : cases) {
    const auto chart = ListChart("Pages", "Week", labels(c.values.size()), c.values);
    ASSERT_TRUE(chart);
    EXPECT_EQ(chart->title, "Pages (Week)");
    ASSERT_EQ(chart->items.size(), c.items);
    EXPECT_EQ(chart->items.back().label, c.last_label);
    EXPECT_EQ(chart->items.back().value, c.last_value);
    EXPECT_EQ(chart->items[1].colour, (Rgb{0, 160, 0}));
    EXPECT_TRUE(chart->whole_numbers);
  }
  EXPECT_FALSE(ListChart("Pages", "Week", labels(3), std::vector<double>{0, 0, 0}));
  EXPECT_FALSE(ListChart("Pages", "Week", {}, {}));
}

}  // namespace
}  // namespace velmora
