#include "reports/filter/report_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "reports/filter/report_filter_resolve.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

constexpr int kVisits = 4;
using Visible = std::set<int32_t>;

// Four stored visits:
//   0: 10.1.2.3, Germany, searched "red apple" on Google, pages /index.html then /about.html,
//      downloaded /file.zip, fetched /logo.gif;
//   1: 10.2.0.5, Unknown country, came from www.example.org, no lists;
//   2: 192.168.1.1, United States, no referrer record, a non-visit;
//   3: 10.1.9.9, Germany, searched "apple pie" on Google, page /about.html only.
class ReportFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.Create());
    for (const char* url : {"/index.html", "/about.html", "/file.zip", "/logo.gif"}) {
      db_.resources().FindOrAdd(url);
    }
    const int32_t google_domain = db_.ref_domains().FindOrAdd("www.google.com");
    const int32_t example_domain = db_.ref_domains().FindOrAdd("www.example.org");
    const int32_t red = db_.search_words().FindOrAdd("red");
    const int32_t apple = db_.search_words().FindOrAdd("apple");
    const int32_t pie = db_.search_words().FindOrAdd("pie");
    const int32_t red_apple = db_.search_phrases().FindOrAdd(std::vector<int32_t>{red, apple});
    const int32_t apple_pie = db_.search_phrases().FindOrAdd(std::vector<int32_t>{apple, pie});
    const int32_t google = SearchEngineByName("Google");
    ASSERT_GT(google, 0);

    AddReferrer("http://www.google.com/search?q=red+apple",
                {google_domain, 3, static_cast<uint32_t>(google), red_apple,
                 db_.search_phrases_exact().FindOrAdd("red apple")});
    AddReferrer("http://www.example.org/", {example_domain, 4, 0, -1, -1});
    AddReferrer("http://www.google.com/search?q=apple+pie",
                {google_domain, 3, static_cast<uint32_t>(google), apple_pie,
                 db_.search_phrases_exact().FindOrAdd("apple pie")});

    // Stored visit lists: a count word, then the entries. Visit 0's page count (2) is also the
    // number of /file.zip, which a page condition must not mistake for a visited page.
    const int32_t pages0 = db_.pages().FindOrAdd(std::vector<int32_t>{2, 0, 1});
    const int32_t pages3 = db_.pages().FindOrAdd(std::vector<int32_t>{1, 1});
    const int32_t downloads0 = db_.downloads().FindOrAdd(std::vector<int32_t>{1, 2});
    const int32_t images0 = db_.images().FindOrAdd(std::vector<int32_t>{1, 3});
    const uint32_t germany = static_cast<uint32_t>(CountryByName("Germany"));
    const uint32_t us = static_cast<uint32_t>(CountryByName("United States"));
    AddVisit(0x0A010203, 0, {germany, 0x100, pages0, downloads0, images0});
    AddVisit(0x0A020005, 1, {0, 0x100, -1, -1, -1});
    AddVisit(0xC0A80101, -1, {us | 0xABCD0000, 0, -1, -1, -1});  // high bits are not the country
    AddVisit(0x0A010909, 2, {germany, 0x100, pages3, -1, -1});
  }
  void TearDown() override { db_.Release(); }

  void AddReferrer(std::string_view text, const RefererRecord& record) {
    const int32_t id = db_.referer_strings().FindOrAdd(text);
    ASSERT_EQ(db_.referers().Append(record), id);
  }
  void AddVisit(uint32_t address, int32_t referrer, SessionDetailRecord detail) {
    SessionRecord session;
    session.visitor_address = address;
    session.referrer = referrer;
    ASSERT_GE(db_.sessions().Append(session), 0);
    ASSERT_GE(db_.session_details().Append(detail), 0);
  }

  Visible Shown(const FilterBarState& bar, const std::vector<ReportFilter>& saved = {}) {
    Result<ActiveReportFilter> filter = PrepareReportFilter(db_, bar, saved);
    EXPECT_TRUE(filter.ok());
    if (!filter.ok()) return {};
    Visible shown;
    for (int32_t visit = 0; visit < kVisits; ++visit) {
      if (VisitPassesFilter(*filter, db_, visit)) shown.insert(visit);
    }
    return shown;
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
};

FilterBarState Quick(ConditionTarget target, ConditionOperation operation, std::string value) {
  FilterBarState bar;
  bar.filter_mode = kQuickFilter;
  bar.quick_target = static_cast<int32_t>(target);
  bar.quick_operation = static_cast<int32_t>(operation);
  bar.quick_value = std::move(value);
  return bar;
}

FilterCondition Condition(ConditionTarget target, ConditionOperation operation, std::string value) {
  return {static_cast<int32_t>(target), static_cast<int32_t>(operation), std::move(value)};
}

using T = ConditionTarget;
using Op = ConditionOperation;

TEST_F(ReportFilterTest, QuickFiltersOnEveryTarget) {
  struct Case {
    FilterBarState bar;
    Visible shown;
  };
  const Case cases[] = {
      {Quick(T::kCountry, Op::kEquals, "germany"), {0, 3}},
      {Quick(T::kCountry, Op::kNotEquals, "GERMANY"), {1}},
      {Quick(T::kCountry, Op::kNotEquals, "Atlantis"), {0, 1, 3}},
      {Quick(T::kCountry, Op::kEquals, "unknown"), {1}},
      {Quick(T::kSearchWord, Op::kEquals, "apple"), {0, 3}},  // in any position
      {Quick(T::kSearchWord, Op::kEquals, "pie"), {3}},
      {Quick(T::kSearchWord, Op::kNotEquals, "pie"), {0, 1}},
      {Quick(T::kSearchWord, Op::kEquals, "Apple"), {}},
      {Quick(T::kSearchPhrase, Op::kEquals, "apple red"), {0}},
      {Quick(T::kSearchPhrase, Op::kEquals, " red\t apple "), {0}},
      {Quick(T::kSearchPhrase, Op::kEquals, "red"), {}},
      {Quick(T::kSearchPhrase, Op::kNotEquals, "red pear"), {0, 1, 3}},
      {Quick(T::kExactPhrase, Op::kEquals, "red apple"), {0}},
      {Quick(T::kExactPhrase, Op::kEquals, "apple red"), {}},
      {Quick(T::kReferrer, Op::kEquals, "http://www.example.org/"), {1}},
      {Quick(T::kRefDomain, Op::kEquals, "www.google.com"), {0, 3}},
      {Quick(T::kSearchEngine, Op::kEquals, "GOOGLE"), {0, 3}},
      {Quick(T::kSearchEngine, Op::kEquals, "Nowhere"), {}},
      {Quick(T::kPage, Op::kEquals, "/index.html"), {0}},
      {Quick(T::kPage, Op::kEquals, "/file.zip"), {}},    // not the count word
      {Quick(T::kPage, Op::kEquals, "/INDEX.HTML"), {}},  // looked up as stored
      {Quick(T::kPage, Op::kNotEquals, "/index.html"), {1, 3}},
      {Quick(T::kDownload, Op::kEquals, "/file.zip"), {0}},
      {Quick(T::kImage, Op::kEquals, "/logo.gif"), {0}},
      // Includes and Not includes never hold, nor do unknown targets and operations.
      {Quick(T::kCountry, Op::kIncludes, "Germany"), {}},
      {Quick(T::kReferrer, Op::kNotIncludes, "nothing like it"), {}},
      {Quick(static_cast<T>(12), Op::kEquals, "x"), {}},
      {Quick(T::kCountry, static_cast<Op>(7), "Germany"), {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shown(c.bar), c.shown) << "target " << c.bar.quick_target << " operation "
                                     << c.bar.quick_operation << " '" << c.bar.quick_value << "'";
  }
}

TEST_F(ReportFilterTest, NonVisitsAndTheAddressFilterApplyInEveryMode) {
  FilterBarState bar;  // Unfiltered
  EXPECT_EQ(Shown(bar), (Visible{0, 1, 3}));
  bar.show_non_visit = 1;
  EXPECT_EQ(Shown(bar), (Visible{0, 1, 2, 3}));
  // With the non-visit shown, a visit without a referrer record has no domain at all.
  EXPECT_EQ(Shown(Quick(T::kRefDomain, Op::kNotEquals, "www.google.com")), (Visible{1}));
  FilterBarState all_domains = Quick(T::kRefDomain, Op::kNotEquals, "www.google.com");
  all_domains.show_non_visit = 1;
  EXPECT_EQ(Shown(all_domains), (Visible{1, 2}));

  const std::pair<std::string, Visible> addresses[] = {
      {"10.1.0.0/16", {0, 3}},   {"10.1.2.3", {0}},           {"10.1.2.3/16", {}},
      {"10.0.0.0/8", {0, 1, 3}}, {"0.0.0.0/0", {0, 1, 2, 3}}, {"999.1.1.1/77", {}},
      {"garbage", {}},
  };
  for (const auto& [text, shown] : addresses) {
    bar.ip_filter = text;
    EXPECT_EQ(Shown(bar), shown) << text;
  }
  FilterBarState quick = Quick(T::kCountry, Op::kEquals, "Germany");
  quick.ip_filter = "10.1.9.9";
  EXPECT_EQ(Shown(quick), (Visible{3}));
  FilterBarState full;
  full.filter_mode = kFullFilter;
  full.selected_filter = "any";
  full.ip_filter = "10.2.0.0/16";
  EXPECT_EQ(Shown(full, {ReportFilter{"any", kMatchAll, {}}}), (Visible{1}));
}

TEST_F(ReportFilterTest, FullFiltersCombineAllOrAny) {
  const std::vector<FilterCondition> germany_and_index = {
      Condition(T::kCountry, Op::kEquals, "Germany"),
      Condition(T::kPage, Op::kEquals, "/index.html")};
  const std::vector<FilterCondition> germany_or_example = {
      Condition(T::kCountry, Op::kEquals, "Germany"),
      Condition(T::kRefDomain, Op::kEquals, "www.example.org")};
  const std::vector<ReportFilter> saved = {
      {"both", kMatchAll, germany_and_index},
      {"either", kMatchAny, germany_or_example},
      {"all of none", kMatchAll, {}},
      {"one of none", kMatchAny, {}},
      {"with includes",
       kMatchAny,
       {Condition(T::kCountry, Op::kIncludes, "Germany"),
        Condition(T::kDownload, Op::kEquals, "/file.zip")}},
      {"odd mode", 9, germany_and_index},
  };
  const std::pair<std::string, Visible> cases[] = {
      {"both", {0}},
      {"either", {0, 1, 3}},
      {"all of none", {0, 1, 3}},
      {"one of none", {}},
      {"with includes", {0}},
      {"odd mode", {0}},
      {"not saved", {0, 1, 3}},  // no saved filter of that name: nothing narrows
  };
  for (const auto& [name, shown] : cases) {
    FilterBarState bar;
    bar.filter_mode = kFullFilter;
    bar.selected_filter = name;
    EXPECT_EQ(Shown(bar, saved), shown) << name;
  }
  FilterBarState odd_mode;
  odd_mode.filter_mode = 5;
  EXPECT_EQ(Shown(odd_mode, saved), (Visible{0, 1, 3}));
}

TEST_F(ReportFilterTest, ResolvingOpensAndReleasesTheDatabase) {
  const int uses = db_.use_count();
  Result<ActiveReportFilter> filter =
      PrepareReportFilter(db_, Quick(T::kSearchWord, Op::kEquals, "apple"), {});
  ASSERT_TRUE(filter.ok());
  EXPECT_EQ(db_.use_count(), uses);
  ASSERT_EQ(filter->conditions.size(), 1u);
  EXPECT_EQ(filter->conditions[0].number, db_.search_words().Find("apple"));
  // Includes is never resolved.
  filter = PrepareReportFilter(db_, Quick(T::kSearchWord, Op::kIncludes, "apple"), {});
  ASSERT_TRUE(filter.ok());
  EXPECT_EQ(filter->conditions[0].number, -1);
  EXPECT_FALSE(VisitPassesFilter(*filter, db_, -1));
  EXPECT_FALSE(VisitPassesFilter(ActiveReportFilter{}, db_, kVisits));
}

TEST(ReportFilterOpenTest, ADatabaseThatCannotOpenFailsOnlyWhenSomethingNeedsResolving) {
  velmora::testing::TempDir dir;
  const std::string not_a_folder = dir / "file";
  std::ofstream(not_a_folder) << "x";
  ScriptedPrompter prompter;  // answers Retry/Cancel with Cancel
  WorkspaceDatabase db(prompter, not_a_folder);
  db.SetExitHook([](int) {});

  FilterBarState unfiltered;
  unfiltered.ip_filter = "10.0.0.0/8";
  EXPECT_TRUE(PrepareReportFilter(db, unfiltered, {}).ok());
  EXPECT_TRUE(prompter.messages().empty());

  const Result<ActiveReportFilter> failed =
      PrepareReportFilter(db, Quick(T::kCountry, Op::kEquals, "Germany"), {});
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message, "Cannot open database");
  EXPECT_THAT(prompter.texts(), ::testing::Contains("Cannot open database"));
}

// Case is ignored in the quick filters above; a name must still match whole.
TEST(ConditionNamesTest, NamesMatchWhole) {
  EXPECT_EQ(SearchEngineByName(""), -1);  // row 0 is no engine
  EXPECT_EQ(CountryByName("Germany "), -1);
  EXPECT_EQ(CountryByName(""), -1);
}

}  // namespace
}  // namespace velmora
