// Ranked lists from small crafted databases: what each cache counts per period, the spider and
// file-traffic walks, relevancy and the per-engine families, when a cached result is reused and
// when it is rebuilt, and how rows are named, sorted, charted and printed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "analysis/countries/country_list.h"
#include "platform/prompter.h"
#include "reports/filter/report_filter_resolve.h"
#include "reports/frame/filter_fingerprint.h"
#include "reports/lists/list_caches.h"
#include "reports/lists/list_report.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

const Ticks kReference = 133'500'000'000'000'000 / kTicksPerDay * kTicksPerDay;
const Ticks kToday = kReference - kTicksPerDay + 10 * kTicksPerHour;

using Units = std::map<int32_t, int64_t>;  // unit -> Today value, the units that are not 0

struct Visit {
  int32_t referrer = -1;
  int32_t page_ua = -1;
  int32_t download_ua = -1;
  // The lists' entries, without the count word.
  std::vector<int32_t> pages = {};
  std::vector<int32_t> downloads = {};
  std::vector<int32_t> images = {};
  std::vector<int32_t> errors = {};
  uint32_t country = 0;
  uint32_t flag = 0x100;
  uint32_t bytes_sent = 0;
};

class ListStepsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(db_.Create()); }
  void TearDown() override { db_.Release(); }

  int32_t List(SequenceTable& table, const std::vector<int32_t>& entries) {
    if (entries.empty()) return -1;
    std::vector<int32_t> list = {static_cast<int32_t>(entries.size())};
    list.insert(list.end(), entries.begin(), entries.end());
    return table.FindOrAdd(list);
  }
  void Add(const Visit& v, Ticks when = kToday) {
    SessionRecord session;
    session.first_request_time.set(when);
    session.last_request_time.set(when);
    session.referrer = v.referrer;
    session.page_user_agent = v.page_ua;
    session.download_user_agent = v.download_ua;
    SessionDetailRecord detail;
    detail.country = v.country;
    detail.flag = v.flag;
    detail.bytes_sent = v.bytes_sent;
    detail.page_path = List(db_.pages(), v.pages);
    detail.downloads = List(db_.downloads(), v.downloads);
    detail.images = List(db_.images(), v.images);
    detail.errors = List(db_.errors(), v.errors);
    const int32_t number = db_.sessions().Append(session);
    ASSERT_GE(db_.session_details().Append(detail), 0);
    TableFile& index = db_.sessions().index(1);
    index.SetEntry(index.Append(), static_cast<uint32_t>(number));
  }
  int32_t Referrer(std::string_view text, std::string_view domain, uint32_t engine,
                   std::vector<std::string_view> words) {
    RefererRecord r;
    r.domain = db_.ref_domains().FindOrAdd(domain);
    r.kind = engine == 0 ? 4 : 3;
    r.search_engine = engine;
    if (!words.empty()) {
      std::vector<int32_t> ids;
      std::string exact;
      for (std::string_view w : words) {
        ids.push_back(db_.search_words().FindOrAdd(w));
        exact += (exact.empty() ? "" : " ") + std::string(w);
      }
      std::sort(ids.begin(), ids.end());
      r.search_phrase = db_.search_phrases().FindOrAdd(ids);
      r.exact_phrase = db_.search_phrases_exact().FindOrAdd(exact);
    }
    const int32_t id = db_.referer_strings().FindOrAdd(text);
    EXPECT_EQ(db_.referers().Append(r), id);
    return id;
  }
  int32_t Agent(std::string_view text, std::string_view browser, std::string_view os,
                int32_t spider = -1) {
    const int32_t id = db_.user_agent_strings().FindOrAdd(text);
    EXPECT_EQ(db_.user_agents().Append(
                  {db_.browsers().FindOrAdd(browser), db_.oses().FindOrAdd(os), spider}),
              id);
    return id;
  }

  std::optional<CachedResult> Build(std::string_view name, uint32_t engine = 0,
                                    FilterBarState bar = {}, Ticks reference = kReference) {
    const ReportPeriods periods(reference, bar.custom_weeks);
    filter_ = *PrepareReportFilter(db_, bar, {});
    return BuildListCache(db_, prompter_,
                          {name, &periods, &filter_, FilterFingerprint(bar, {}), engine});
  }
  Units Today(std::string_view name, uint32_t engine = 0) {
    Units units;
    const auto result = Build(name, engine);
    EXPECT_TRUE(result) << name;
    if (!result) return units;
    for (size_t i = 0; i < result->units.size(); ++i) {
      if (result->units[i][0] != 0) units[static_cast<int32_t>(i)] = result->units[i][0];
    }
    return units;
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
  ActiveReportFilter filter_;
};

uint32_t Country(std::string_view name) {
  for (uint32_t i = 0; i < CountryCount(); ++i) {
    if (CountryName(i) == name) return i;
  }
  return 0;
}

TEST_F(ListStepsTest, EveryVisitStepReachesItsUnits) {
  for (const char* path : {"/a.html", "/b.html", "/f.zip", "/g.zip", "/i.gif", "/missing.html"}) {
    db_.resources().FindOrAdd(path);
  }
  const int32_t google =
      Referrer("http://www.google.com/search?q=red+apple", "www.google.com", 2, {"red", "apple"});
  const int32_t yahoo =
      Referrer("http://search.yahoo.com/search?p=apple", "search.yahoo.com", 1, {"apple"});
  const int32_t example = Referrer("http://www.example.org/", "www.example.org", 0, {});
  const int32_t red = db_.search_words().Find("red"), apple = db_.search_words().Find("apple");
  const int32_t firefox = Agent("Mozilla/5.0 Firefox", "Firefox", "Windows");
  const int32_t wget = Agent("Wget/1.21", "Wget", "Linux");
  const int32_t not_found = db_.error_records().Append({404, 5, example, 0});
  const int32_t server_error = db_.error_records().Append({500, 0, -1, 0});
  const uint32_t de = Country("Germany"), fr = Country("France");

  Add({google, firefox, wget, {0, 1}, {2}, {4}, {not_found, server_error}, de, 0x100, 100});
  Add({yahoo, firefox, -1, {1}, {}, {}, {}, fr, 0x100, 20});
  Add({example, -1, wget, {}, {2, 3}, {}, {}, de, 0x100, 3});
  Add({-1, -1, -1, {}, {}, {4}, {}, fr, 0, 5});  // a non-visit: hidden but for the total images

  const int32_t pair =
      db_.search_phrases().Find(std::vector<int32_t>{std::min(red, apple), std::max(red, apple)});
  const int32_t single = db_.search_phrases().Find(std::vector<int32_t>{apple});
  const int32_t red_apple = db_.search_phrases_exact().Find("red apple");
  const int32_t just_apple = db_.search_phrases_exact().Find("apple");
  const int32_t windows = db_.oses().Find("Windows"), linux_os = db_.oses().Find("Linux");
  struct Case {
    std::string_view cache;
    Units units;
    uint32_t engine = 0;
  };
  const Case cases[] = {
      {"pages", {{0, 1}, {1, 2}}},
      {"entrypages", {{0, 1}, {1, 1}}},
      {"exitpages", {{1, 2}}},
      {"singlepages", {{1, 1}}},
      {"paths", {{0, 1}, {1, 1}}},
      {"downloads", {{2, 2}, {3, 1}}},
      {"dldbundles", {{0, 1}, {1, 1}}},
      {"images", {{4, 1}}},
      {"totalimages", {{4, 2}}},
      {"imgbundles", {{0, 1}}},
      {"errors", {{server_error, 1}}},
      {"404errors", {{not_found, 1}}},
      {"pagebrowsers", {{db_.browsers().Find("Firefox"), 2}}},
      {"pageuas", {{firefox, 2}}},
      {"dldbrowsers", {{db_.browsers().Find("Wget"), 2}}},
      {"dlduas", {{wget, 2}}},
      {"os", {{windows, 2}, {linux_os, 1}}},
      {"refdomains", {{0, 1}, {1, 1}, {2, 1}}},
      {"refdomainsdld", {{0, 1}, {2, 1}}},
      {"refdomainspage", {{0, 1}, {1, 1}}},
      {"referrers", {{google, 1}, {yahoo, 1}, {example, 1}}},
      {"referrersdld", {{google, 1}, {example, 1}}},
      {"referrerspage", {{google, 1}, {yahoo, 1}}},
      {"refsrcheng", {{google, 1}, {yahoo, 1}}},
      {"searchengines", {{2, 1}, {1, 1}}},
      {"SrchEngine_Dld", {{2, 1}}},
      {"searchwords", {{red, 1}, {apple, 2}}},
      {"searchwords", {{red, 1}, {apple, 1}}, 2},  // Google's child
      {"searchwords", {{apple, 1}}, 1},            // Yahoo's child
      {"searchwords", {}, 5},
      {"SearchWordDld", {{red, 1}, {apple, 1}}},
      {"searchwordcmbs", {{pair, 1}, {single, 1}}},
      {"searchwordcmbsdld", {{pair, 1}}},
      {"searchphrases", {{red_apple, 1}, {just_apple, 1}}},
      {"searchphrases", {{just_apple, 1}}, 1},
      {"searchphrasesdld", {{red_apple, 1}}},
      {"countries", {{static_cast<int32_t>(de), 2}, {static_cast<int32_t>(fr), 1}}},
      {"countriesmb", {{static_cast<int32_t>(de), 103}, {static_cast<int32_t>(fr), 20}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Today(c.cache, c.engine), c.units) << c.cache << " engine " << c.engine;
  }
  const struct {
    ItemSource source;
    int32_t item;
    std::string name;
  } names[] = {
      {ItemSource::kPaths, 0, "/a.html -> /b.html"},
      {ItemSource::kDownloadBundles, 1, "#1, length=2"},
      {ItemSource::kErrors, server_error, "500 /a.html"},
      {ItemSource::kErrorReferrers, not_found, "http://www.example.org/ -> /missing.html"},
      {ItemSource::kSearchPhrases, pair, red < apple ? "red apple" : "apple red"},
      {ItemSource::kSearchEngines, 2, "Google"},
      {ItemSource::kCountries, static_cast<int32_t>(de), "Germany"},
      {ItemSource::kResources, 99, ""},
      {ItemSource::kErrors, -1, ""},
  };
  for (const auto& n : names) EXPECT_EQ(ItemName(db_, n.source, n.item), n.name) << n.item;
}

TEST_F(ListStepsTest, SpidersAndFileTrafficWalkTheirOwnTables) {
  for (const char* path : {"/a.html", "/f.zip", "/i.gif"}) db_.resources().FindOrAdd(path);
  const int32_t google_bot = Agent("Googlebot/2.1", "", "", 0);
  const int32_t other_bot = Agent("OtherBot", "", "", 3);
  auto hit = [&](Ticks time, int32_t agent, int32_t resource, uint32_t bytes) {
    const int32_t n = db_.spiders().Append({U64Halves::Of(time), agent, resource, 200, 0, bytes});
    TableFile& index = db_.spiders().index(1);
    index.SetEntry(index.Append(), static_cast<uint32_t>(n));
  };
  hit(kToday - 40 * kTicksPerDay, google_bot, 0, 1);  // before every period
  hit(kToday, google_bot, 0, 10);
  hit(kToday, other_bot, 1, 20);
  hit(kToday + kTicksPerHour, google_bot, 2, 30);
  auto traffic = [&](Ticks day, int32_t resource, uint32_t type, int64_t bytes) {
    const int32_t n = db_.file_traffic().Append({U64Halves::Of(StartOfDay(day)), resource, type,
                                                 U64Halves::Of(static_cast<uint64_t>(bytes))});
    TableFile& index = db_.file_traffic().index(2);
    index.SetEntry(index.Append(), static_cast<uint32_t>(n));
  };
  traffic(kToday, 0, 1, 500);
  traffic(kToday, 1, 2, 700);
  traffic(kToday, 2, 3, 900);
  const struct {
    std::string_view cache;
    Units units;
  } cases[] = {
      {"spiders", {{0, 2}, {3, 1}}},           {"spidertraffic", {{0, 40}, {3, 20}}},
      {"spiderres", {{0, 1}, {1, 1}, {2, 1}}}, {"spidergoogle", {{0, 1}, {2, 1}}},
      {"pagesbytraffic", {{0, 500}}},          {"dldbytraffic", {{1, 700}}},
      {"imagesbytraffic", {{2, 900}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Today(c.cache), c.units) << c.cache;
  EXPECT_EQ(Build("spiders")->use, CacheUse::kReused);
  EXPECT_EQ(Build("spiders")->records_read, 0);
}

TEST_F(ListStepsTest, RelevancyNeedsMoreThanFourReferrals) {
  db_.resources().FindOrAdd("/f.zip");
  const int32_t four = Referrer("http://four.example/", "four.example", 0, {});
  const int32_t five = Referrer("http://five.example/", "five.example", 0, {});
  for (int i = 0; i < 4; ++i) Add({.referrer = four, .downloads = {0}});
  for (int i = 0; i < 5; ++i)
    Add({.referrer = five, .downloads = i == 0 ? std::vector<int32_t>{0} : std::vector<int32_t>{}});
  const auto result = Build("refdomaindldrel");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->units[0][0], 0);     // 4 visits, 4 downloads: below the base
  EXPECT_EQ(result->units[1][0], 2000);  // 5 visits, 1 download: 20.00%
  EXPECT_EQ(ValueText(ValueKind::kRelevancy, result->units[1][0]), "20.00%");
  EXPECT_EQ(Build("refdomaindldrel")->use, CacheUse::kReused);
}

TEST_F(ListStepsTest, AnItemSeenOnlyBeforeTheCustomPeriodIsNoRow) {
  db_.resources().FindOrAdd("/old.html");
  db_.resources().FindOrAdd("/new%20caf%c3%a9.html");
  Add({.pages = {0}}, kToday - 200 * kTicksPerDay);
  Add({.pages = {1}});
  const ReportDef& pages = *FindReport("pagesreq");
  const ReportModel model = MakeListReport(db_, pages, *FindListMember(pages), *Build("pages"), {});
  ASSERT_EQ(model.rows.size(), 1u);
  EXPECT_EQ(model.rows[0].cells[0], "/new caf\xc3\xa9.html");  // shown decoded
  // A per-engine child reads as its family.
  const ReportDef& google_words = *FindReport("ref_swords_1");
  EXPECT_EQ(google_words.engine_filter, 2u);
  EXPECT_EQ(FindListMember(google_words)->key_caption, "Word");
}

const Ticks kMarch1 = *CalendarToTicks({2024, 3, 0, 1, 0, 0, 0, 0});  // Today is 29 February

// Visits, in order of their first request:
//   40 days back: Germany, from example.org, pages /a /b           (Custom only)
//   10 days back: Germany, from example.org, page /a               (4 Weeks, Custom)
//    3 days back: France, no referrer, page /b, a non-visit flag 0 (hidden unless shown)
//    2 days back: France, from example.org, pages /a /a /c         (Yesterday ...)
//    1 day back:  Germany, from google (a search), page /c         (Today ...)
//    today (T):   Germany, page /a                                 (after the walk)
class ListReportsTest : public ListStepsTest {
 protected:
  void SetUp() override {
    ListStepsTest::SetUp();
    for (const char* path : {"/a", "/b", "/c"}) db_.resources().FindOrAdd(path);
    ASSERT_EQ(Referrer("http://www.example.org/", "www.example.org", 0, {}), 0);
    ASSERT_EQ(Referrer("http://www.google.com/search?q=x", "www.google.com", 2, {}), 1);
    germany_ = static_cast<uint32_t>(CountryByName("Germany"));
    france_ = static_cast<uint32_t>(CountryByName("France"));
    AddVisit(40, 0, germany_, 0x100, {0, 1});
    AddVisit(10, 0, germany_, 0x100, {0});
    AddVisit(3, -1, france_, 0, {1});
    AddVisit(2, 0, france_, 0x100, {0, 0, 2});
    AddVisit(1, 1, germany_, 0x100, {2});
    AddVisit(0, -1, germany_, 0x100, {0});
  }
  void AddVisit(int days_back, int32_t referrer, uint32_t country, uint32_t flag,
                std::vector<int32_t> pages) {
    Add({.referrer = referrer,
         .pages = std::move(pages),
         .country = country,
         .flag = flag,
         .bytes_sent = 1048576},
        kMarch1 - static_cast<Ticks>(days_back) * kTicksPerDay + 9 * kTicksPerHour);
  }

  std::optional<CachedResult> Build(std::string_view name, FilterBarState bar = {},
                                    uint32_t engine = 0, int32_t weeks = 13) {
    bar.custom_weeks = weeks;
    return ListStepsTest::Build(name, engine, bar, kMarch1);
  }
  ReportModel Model(std::string_view id, ListReportOptions options = {}) {
    const ReportDef* report = FindReport(id);
    const auto member = FindListMember(*report);
    const auto result = Build(report->cache, {}, report->engine_filter);
    return MakeListReport(db_, *report, *member, *result, options);
  }

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
