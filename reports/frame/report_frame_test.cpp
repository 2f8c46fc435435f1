// The frame every report stands on: the catalogue, the periods and the filter fingerprint.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "reports/frame/date_range.h"
#include "reports/frame/filter_fingerprint.h"
#include "reports/frame/report_catalogue.h"

namespace velmora {
namespace {

Ticks Day(int year, int month, int day) {
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  return *CalendarToTicks(t);
}

TEST(ReportCatalogue, TreeHasItsShapeAndOrder) {
  const auto tree = ReportTree();
  ASSERT_EQ(tree.size(), 146u);
  struct Node {
    size_t row;  // 1-based, as the tree is numbered
    int32_t level;
    std::string_view title;
    std::string_view id;
    int32_t icon;
    std::string_view cache;
  };
  const Node nodes[] = {
      {1, 0, "Traffic", "traffic", 18, ""},
      {47, 0, "Pages", "", 27, ""},
      {61, 2, "Search Engines by Downloads", "dldsearchengines", 19, "SrchEngine_Dld"},
      {83, 1, "Search Words", "ref_swords", 2, "searchwords"},
      {98, 2, "dmoz : Search Words", "ref_swords_15", 32, "searchwords"},
      {101, 2, "Yahoo : Search Phrases", "ref_swordcmbs_2", 38, "searchwordcmbs"},
      {116, 2, "Google : Exact Search Phrases", "ref_sphrases_1", 35, "searchphrases"},
      {132, 1, "Countries", "countries", 10, "countries"},
      {146, 1, "404 Error Referrers", "errors404", 45, "404errors"},
  };
  for (const Node& node : nodes) {
    SCOPED_TRACE(node.row);
    const ReportDef& def = tree[node.row - 1];
    EXPECT_EQ(def.level, node.level);
    EXPECT_EQ(def.title, node.title);
    EXPECT_EQ(def.id, node.id);
    EXPECT_EQ(def.icon, node.icon);
    EXPECT_EQ(def.cache, node.cache);
    EXPECT_EQ(def.kind == ReportKind::kGroup, node.id.empty());
  }
  // Every level steps down by at most one, and every id is unique.
  std::set<std::string> ids;
  for (size_t i = 1; i < tree.size(); ++i) EXPECT_LE(tree[i].level, tree[i - 1].level + 1) << i;
  for (const ReportDef* def : CatalogueReports())
    EXPECT_TRUE(ids.insert(def->id).second) << def->id;
  EXPECT_EQ(CatalogueReports().size(), 146u - 10u);  // ten group-only nodes
}

TEST(ReportCatalogue, FamiliesDifferOnlyInTheirEngine) {
  for (std::string_view parent_id : {"ref_swords", "ref_sphrases", "ref_sphrasesexact"}) {
    const ReportDef* parent = FindReport(parent_id);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->engine_filter, 0u);
    for (size_t position = 1; position <= 15; ++position) {
      const ReportDef& child = parent[position];
      EXPECT_EQ(child.cache, parent->cache);
      EXPECT_EQ(child.level, parent->level + 1);
      EXPECT_EQ(child.engine_filter, FamilyEngines()[position - 1]);
      EXPECT_TRUE(child.id.ends_with("_" + std::to_string(position))) << child.id;
    }
  }
  EXPECT_EQ(FindReport("nope"), nullptr);
  EXPECT_EQ(ReportAt(0)->id, "traffic");
  EXPECT_EQ(ReportAt(-1), nullptr);
  EXPECT_EQ(ReportAt(135)->id, "errors404");
  EXPECT_EQ(ReportAt(136), nullptr);
}

TEST(ReportPeriods, RangesCountBackFromTheReferenceDay) {
  struct Case {
    Ticks reference;
    int32_t weeks;
    std::map<DateRange, std::pair<Ticks, Ticks>> ranges;
    Ticks walk_start;
  };
  const Case cases[] = {
      // Across a year end: T = 2 January, so Today is 1 January and Yesterday 31 December.
      {Day(2024, 1, 2),
       13,
       {{DateRange::kToday, {Day(2024, 1, 1), Day(2024, 1, 2)}},
        {DateRange::kYesterday, {Day(2023, 12, 31), Day(2024, 1, 1)}},
        {DateRange::kWeek, {Day(2023, 12, 26), Day(2024, 1, 2)}},
        {DateRange::kFourWeeks, {Day(2023, 12, 5), Day(2024, 1, 2)}},
        {DateRange::kCustom, {Day(2023, 10, 3), Day(2024, 1, 2)}}},
       Day(2023, 10, 3)},
      // Across a leap day, with a one-week Custom period: the walk still covers 4 Weeks.
      {Day(2024, 3, 1) + 5 * kTicksPerHour,
       1,
       {{DateRange::kToday, {Day(2024, 2, 29), Day(2024, 3, 1)}},
        {DateRange::kYesterday, {Day(2024, 2, 28), Day(2024, 2, 29)}},
        {DateRange::kWeek, {Day(2024, 2, 23), Day(2024, 3, 1)}},
        {DateRange::kFourWeeks, {Day(2024, 2, 2), Day(2024, 3, 1)}},
        {DateRange::kCustom, {Day(2024, 2, 23), Day(2024, 3, 1)}}},
       Day(2024, 2, 2)},
      // A week count below 1 is taken as 1; above the limit as the limit.
      {Day(2024, 6, 1),
       0,
       {{DateRange::kCustom, {Day(2024, 5, 25), Day(2024, 6, 1)}}},
       Day(2024, 5, 4)},
  };
  for (const Case& c : cases) {
    const ReportPeriods periods(c.reference, c.weeks);
    SCOPED_TRACE(c.weeks);
    for (const auto& [range, span] : c.ranges) {
      EXPECT_EQ(periods.Start(range), span.first) << DateRangeCaption(range);
      EXPECT_EQ(periods.End(range), span.second) << DateRangeCaption(range);
    }
    EXPECT_EQ(periods.WalkStart(), c.walk_start);
    EXPECT_EQ(periods.WalkEnd(), StartOfDay(c.reference));
  }
  EXPECT_EQ(ReportPeriods(Day(2024, 6, 1), 99999).custom_weeks(), kMaxCustomWeeks);
  EXPECT_EQ(ReportPeriods(kTicksPerDay, 4).WalkStart(), 0u);  // never before the first tick
  // A picked date becomes Today.
  EXPECT_EQ(ReportPeriods(ReferenceForReportDay(Day(2024, 2, 29) + kTicksPerHour), 13).report_day(),
            Day(2024, 2, 29));
}

TEST(ReportPeriods, DayMasksAroundTheReferenceDay) {
  const Ticks t = Day(2024, 1, 2);
  struct Case {
    Ticks day;
    int32_t weeks;
    uint32_t mask;
  };
  const Case cases[] = {
      {t - kTicksPerDay, 13, kMaskToday | kMaskWeek | kMaskFourWeeks | kMaskCustom},  // 11 + Custom
      {t - 2 * kTicksPerDay, 13,
       kMaskYesterday | kMaskWeek | kMaskFourWeeks | kMaskCustom},  // 7 + Custom
      {t - 7 * kTicksPerDay, 13, kMaskWeek | kMaskFourWeeks | kMaskCustom},
      {t - 8 * kTicksPerDay, 13, kMaskFourWeeks | kMaskCustom},
      {t - 28 * kTicksPerDay, 13, kMaskFourWeeks | kMaskCustom},
      {t - 29 * kTicksPerDay, 13, kMaskCustom},
      {t - 91 * kTicksPerDay, 13, kMaskCustom},
      {t - 92 * kTicksPerDay, 13, 0},
      {t, 13, 0},
      // One Custom week: days of 4 Weeks before it are walked but are not Custom.
      {t - 8 * kTicksPerDay, 1, kMaskFourWeeks},
      {t - 7 * kTicksPerDay + kTicksPerHour, 1, kMaskWeek | kMaskFourWeeks | kMaskCustom},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReportPeriods(t, c.weeks).DayMask(c.day), c.mask)
        << (t - StartOfDay(c.day)) / kTicksPerDay << " days back, " << c.weeks << " weeks";
  }
}

TEST(FilterFingerprint, ChangesWithEverythingThatChangesTheCounts) {
  const std::vector<ReportFilter> saved = {
      {"Germans", kMatchAll, {{9, 0, "Germany"}}},
      {"Searches", kMatchAny, {{3, 0, "apple"}, {2, 1, "Google"}}},
  };
  const FilterBarState base;
  const uint32_t unfiltered = FilterFingerprint(base, saved);
  // A known state keeps its number, so caches written by one build are read by the next.
  EXPECT_EQ(unfiltered, FilterFingerprint(FilterBarState{}, {}));

  auto with = [&](auto change) {
    FilterBarState bar = base;
    change(bar);
    return FilterFingerprint(bar, saved);
  };
  const std::map<std::string, uint32_t> changed = {
      {"weeks", with([](FilterBarState& b) { b.custom_weeks = 4; })},
      {"mode", with([](FilterBarState& b) { b.filter_mode = kFullFilter; })},
      {"ip", with([](FilterBarState& b) { b.ip_filter = "10.0.0.0/8"; })},
      {"ip mask", with([](FilterBarState& b) { b.ip_filter = "10.0.0.0/16"; })},
      {"non-visits", with([](FilterBarState& b) { b.show_non_visit = 1; })},
      {"saved", with([](FilterBarState& b) { b.selected_filter = "Germans"; })},
      {"other saved", with([](FilterBarState& b) { b.selected_filter = "Searches"; })},
      {"quick", with([](FilterBarState& b) {
         b.filter_mode = kQuickFilter;
         b.quick_value = "Germany";
       })},
      {"quick value", with([](FilterBarState& b) {
         b.filter_mode = kQuickFilter;
         b.quick_value = "France";
       })},
  };
  std::set<uint32_t> distinct = {unfiltered};
  for (const auto& [name, value] : changed) EXPECT_TRUE(distinct.insert(value).second) << name;
  // What counts nothing leaves it alone: the visit-list days, and a quick value out of Quick mode.
  EXPECT_EQ(with([](FilterBarState& b) { b.time_interval = 3; }), unfiltered);
  EXPECT_EQ(with([](FilterBarState& b) { b.quick_value = "x"; }), unfiltered);
  // Editing the selected saved filter changes it.
  std::vector<ReportFilter> edited = saved;
  edited[0].conditions[0].value = "France";
  FilterBarState germans = base;
  germans.selected_filter = "Germans";
  EXPECT_NE(FilterFingerprint(germans, edited), changed.at("saved"));
}

}  // namespace
}  // namespace velmora
