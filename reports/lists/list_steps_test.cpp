// What each cache counts: crafted visits of one day and the units each cache must reach, the
// spider and file-traffic walks, relevancy and the per-engine families.
#include <gtest/gtest.h>

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

  std::optional<CachedResult> Build(std::string_view name, uint32_t engine = 0) {
    FilterBarState bar;
    const ReportPeriods periods(kReference, bar.custom_weeks);
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

}  // namespace
}  // namespace velmora
