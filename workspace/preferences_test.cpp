#include "workspace/preferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "workspace/recent_list.h"
#include "workspace/tips.h"

namespace velmora {
namespace {

using testing::TempDir;

class PreferencesTest : public ::testing::Test {
 protected:
  TempDir dir_;
  Preferences prefs_{dir_ / "config/velmora/preferences.ini"};
};

std::string Path(int i) { return "/ws/site" + std::to_string(i) + ".stw"; }

TEST_F(PreferencesTest, ValuesAreWrittenAtOnceAndReadBack) {
  EXPECT_FALSE(prefs_.Get(kAppSection, "Next tip").has_value());
  prefs_.SetNumber(kAppSection, "Next tip", 4);
  prefs_.Set(kRecentSection, "Document1", "/a b/c.stw");
  Preferences again(prefs_.path());
  EXPECT_EQ(again.GetNumber(kAppSection, "Next tip"), 4);
  EXPECT_EQ(again.Get(kRecentSection, "Document1"), "/a b/c.stw");
  EXPECT_EQ(again.Get(kAppSection, "next TIP"), "4");  // names ignore case
  prefs_.Remove(kAppSection, "Next tip");
  EXPECT_FALSE(again.Get(kAppSection, "Next tip").has_value());

  // Setting what is already there leaves the file as it is: no rewrite on every command.
  const auto written = std::filesystem::last_write_time(prefs_.path());
  std::filesystem::last_write_time(prefs_.path(), written - std::chrono::hours(1));
  prefs_.Set(kRecentSection, "Document1", "/a b/c.stw");
  prefs_.Remove(kAppSection, "Next tip");
  EXPECT_EQ(std::filesystem::last_write_time(prefs_.path()), written - std::chrono::hours(1));
  prefs_.Set(kRecentSection, "Document1", "/d.stw");
  EXPECT_NE(std::filesystem::last_write_time(prefs_.path()), written - std::chrono::hours(1));
}

TEST_F(PreferencesTest, CapacityIsClamped) {
  struct Case {
    size_t asked;
    size_t got;
  } const cases[] = {{0, 2}, {1, 2}, {2, 2}, {12, 12}, {16, 16}, {17, 16}, {1000, 16}};
  for (const Case& c : cases) EXPECT_EQ(RecentList(c.asked).capacity(), c.got) << c.asked;
  RecentList list(16);
  for (int i = 1; i <= 17; ++i) list.Add(Path(i));  // the oldest makes room for the 17th
  EXPECT_EQ(list.entries().front(), Path(2));
  list.SetCapacity(3);
  EXPECT_EQ(list.entries(), (std::vector<std::string>{Path(15), Path(16), Path(17)}));
}

TEST_F(PreferencesTest, StoringNumbersTheMostRecentFirstAndDeletesTheRest) {
  for (int k = 1; k <= 16; ++k) prefs_.Set(kRecentSection, "Document" + std::to_string(k), "old");
  RecentList list;
  list.Add(Path(1));
  list.Add(Path(2));
  list.Add(Path(3));
  list.Store(prefs_);
  EXPECT_EQ(prefs_.Get(kRecentSection, "DocumentCount"), "12");
  EXPECT_EQ(prefs_.Get(kRecentSection, "Document1"), Path(3));
  EXPECT_EQ(prefs_.Get(kRecentSection, "Document2"), Path(2));
  EXPECT_EQ(prefs_.Get(kRecentSection, "Document3"), Path(1));
  for (int k = 4; k <= 15; ++k) {
    EXPECT_FALSE(prefs_.Get(kRecentSection, "Document" + std::to_string(k))) << k;
  }
  EXPECT_EQ(prefs_.Get(kRecentSection, "Document16"), "old");  // beyond the deleted numbers
  EXPECT_EQ(RecentList::Load(prefs_).entries(), list.entries());
}

TEST_F(PreferencesTest, LoadingClampsTheCountAndSkipsMissingValues) {
  struct Case {
    const char* count;  // nullptr: no value
    std::vector<int> present;
    std::vector<int> expected_most_recent_first;
  } const cases[] = {
      {nullptr, {1, 2}, {}},
      {"abc", {1, 2}, {}},
      {"12", {1, 2, 3}, {1, 2, 3}},
      {"12", {1, 3, 7}, {1, 3, 7}},
      {"3", {1, 2, 3, 4, 5}, {1, 2, 3}},
      {"1", {1, 2, 3}, {1, 2}},  // raised to 2
      {"0", {1, 2, 3}, {1, 2}},
      {"-4", {1, 2, 3}, {1, 2}},
      {"40", {1, 14, 15, 16, 17}, {1, 14, 15, 16}},  // lowered to 16
      {"16",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},  // then the capacity returns to 12
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count ? c.count : "(none)");
    TempDir dir;
    Preferences prefs(dir / "p.ini");
    if (c.count) prefs.Set(kRecentSection, "DocumentCount", c.count);
    for (int k : c.present) prefs.Set(kRecentSection, "Document" + std::to_string(k), Path(k));
    const RecentList list = RecentList::Load(prefs);
    std::vector<std::string> expected;
    for (int k : c.expected_most_recent_first) expected.push_back(Path(k));
    EXPECT_EQ(list.MostRecentFirst(), expected);
    EXPECT_EQ(list.capacity(), 12u);
  }
}

TEST_F(PreferencesTest, NextTipWrapsAndTreatsNonsenseAsZero) {
  struct Case {
    const char* stored;  // nullptr: no value
    size_t shown;
    const char* next;
  } const cases[] = {
      {nullptr, 0, "1"}, {"0", 0, "1"}, {"3", 3, "4"},  {"5", 5, "0"},
      {"6", 0, "1"},     {"9", 0, "1"}, {"-1", 0, "1"}, {"tip", 0, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(none)");
    if (c.stored) {
      prefs_.Set(kAppSection, "Next tip", c.stored);
    } else {
      prefs_.Remove(kAppSection, "Next tip");
    }
    const TipOfTheDay tip = TakeNextTip(prefs_);
    EXPECT_EQ(tip.index, c.shown);
    EXPECT_EQ(tip.text, kTipsOfTheDay[c.shown]);
    EXPECT_EQ(prefs_.Get(kAppSection, "Next tip"), c.next);
  }
}

TEST_F(PreferencesTest, ShowTipAtStartupIgnoresCase) {
  struct Case {
    const char* stored;
    bool show;
  } const cases[] = {{nullptr, false}, {"Yes", true}, {"YES", true},   {"yEs", true},
                     {"No", false},    {"", false},   {"Yess", false}, {"y", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(none)");
    if (c.stored) {
      prefs_.Set(kAppSection, "Show tip at startup", c.stored);
    } else {
      prefs_.Remove(kAppSection, "Show tip at startup");
    }
    EXPECT_EQ(ShowTipAtStartup(prefs_), c.show);
  }
  SetShowTipAtStartup(prefs_, true);
  EXPECT_EQ(prefs_.Get(kAppSection, "Show tip at startup"), "Yes");
  SetShowTipAtStartup(prefs_, false);
  EXPECT_EQ(prefs_.Get(kAppSection, "Show tip at startup"), "No");
}

}  // namespace
}  // namespace velmora
