#include "reports/lists/list_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "analysis/agents/spider_table.h"
#include "analysis/countries/country_list.h"
#include "analysis/referrers/search_engine_table.h"
#include "core/percent_decoding.h"

namespace velmora {
namespace {

using K = ValueKind;

// clang-format off
constexpr ListMember kMembers[] = {
    {"pagesreq", "File Name", K::kCount},
    {"pagesentry", "File Name", K::kCount},
    {"pagesexit", "File Name", K::kCount},
    {"pagessingle", "File Name", K::kCount},
    {"paths", "Path", K::kCount},
    {"pgtraffic", "File Name", K::kTraffic},
    {"dldreq", "File Name", K::kCount},
    {"dldbundles", "Bundle", K::kCount},
    {"dldtraffic", "File Name", K::kTraffic},
    {"dldrefservers", "Server Name", K::kCount},
    {"dldrefpages", "Referring page", K::kCount},
    {"dldsearchengines", "Search Engine", K::kCount},
    {"dldsearchwords", "Search Word", K::kCount},
    {"dldsearchphrases", "Search Word Combination", K::kCount},
    {"dldsearchfrasesexact", "Search Phrase", K::kCount},
    {"dldrelrefservers", "Server Name", K::kRelevancy},
    {"dldrelrefpages", "Page Name", K::kRelevancy},
    {"dldrelsearchengines", "Search Engine", K::kRelevancy},
    {"dldrelsearchwords", "Search Word", K::kRelevancy},
    {"dldrelsearchphrases", "Search Word Combination", K::kRelevancy},
    {"dldrelsearchphrasesexact", "Search Phrase", K::kRelevancy},
    {"imagereq", "File Name", K::kCount},
    {"imagebundle", "Bundle", K::kCount},
    {"imagereq2", "File Name", K::kCount},
    {"imagerel", "File Name", K::kRelevancy},
    {"imgtraffic", "File Name", K::kTraffic},
    {"refservers", "Server Name", K::kCount},
    {"refpages", "Referring page", K::kCount},
    {"ref_seng", "Search Engine", K::kCount},
    {"refpages_seng", "Referring page", K::kCount},
    {"ref_swords", "Word", K::kCount},
    {"ref_sphrases", "Word Combination", K::kCount},
    {"ref_sphrasesexact", "Phrase", K::kCount},
    {"countries", "Country", K::kCount},
    {"countries_tr", "Country", K::kTraffic},
    {"os", "Operating System", K::kCount},
    {"browsers", "Browser", K::kCount},
    {"dldmanagers", "Download Manager", K::kCount},
    {"useragents", "User Agent", K::kCount},
    {"dlduseragents", "User Agent", K::kCount},
    {"spiderreq", "Spider", K::kCount},
    {"spidertraffic", "Spider", K::kTraffic},
    {"spiderres", "File Name", K::kCount},
    {"spiderres_google", "File Name", K::kCount},
    {"errorsreq", "Error Code/File Name", K::kCount},
    {"errors404", "Referrer", K::kCount},
};
// clang-format on

constexpr std::array<Rgb, 8> kChartColours = {{{144, 192, 240},
                                               {0, 160, 0},
                                               {176, 128, 224},
                                               {208, 176, 0},
                                               {64, 160, 192},
                                               {224, 0, 176},
                                               {128, 200, 160},
                                               {160, 160, 160}}};
constexpr size_t kChartRows = 7;

// A per-engine child reads as its family parent: the report just before its fifteen siblings.
std::string_view MemberId(const ReportDef& report) {
  if (report.engine_filter == 0) return report.id;
  const auto tree = ReportTree();
  for (const ReportDef* parent = &report; parent >= tree.data(); --parent) {
    if (parent->level < report.level) return parent->id;
  }
  return report.id;
}

std::string Joined(WorkspaceDatabase& db, const SequenceView& ids, int32_t first,
                   std::string_view separator, bool resources) {
  std::string text;
  for (int32_t i = first; i < ids.size(); ++i) {
    if (i > first) text += separator;
    text += resources ? db.resources().Get(ids[i]) : db.search_words().Get(ids[i]);
  }
  return text;
}

std::string Bundle(const SequenceTable& bundles, int32_t item) {
  const SequenceView files = bundles.Get(item);
  const int32_t length = files.empty() ? 0 : std::clamp(files[0], 0, files.size() - 1);
  char text[64];
  std::snprintf(text, sizeof text, "#%d, length=%d", item, length);
  return text;
}

}  // namespace

std::optional<ListMember> FindListMember(const ReportDef& report) {
  if (report.kind != ReportKind::kCachedList) return std::nullopt;
  const std::string_view id = MemberId(report);
  for (const ListMember& member : kMembers) {
    if (member.id == id) return member;
  }
  return std::nullopt;
}

std::string ValueText(ValueKind kind, int64_t value) {
  char text[64];
  switch (kind) {
    case K::kCount:
      return std::to_string(value);
    case K::kTraffic: {
      const double thousandths = std::floor(static_cast<double>(value) / 1048576.0 * 1000.0 + 0.5);
      std::snprintf(text, sizeof text, "%.2f Mb", thousandths / 1000.0);
      break;
    }
    case K::kRelevancy:
      std::snprintf(text, sizeof text, "%.2f%%", static_cast<double>(value) * 0.01);
      break;
  }
  return text;
}

std::string ItemName(WorkspaceDatabase& db, ItemSource source, int32_t item) {
  using S = ItemSource;
  switch (source) {
    case S::kResources:
      return std::string(db.resources().Get(item));
    case S::kReferrers:
      return std::string(db.referer_strings().Get(item));
    case S::kRefDomains:
      return std::string(db.ref_domains().Get(item));
    case S::kSearchEngines:
      return std::string(EngineName(item));
    case S::kSearchWords:
      return std::string(db.search_words().Get(item));
    case S::kSearchPhrases:
      return Joined(db, db.search_phrases().Get(item), 0, " ", false);
    case S::kExactPhrases:
      return std::string(db.search_phrases_exact().Get(item));
    case S::kCountries:
      return item >= 0 && item < CountryCount()
                 ? std::string(CountryName(static_cast<uint32_t>(item)))
                 : std::string();
    case S::kPaths:
      return Joined(db, db.pages().Get(item), 1, " -> ", true);
    case S::kDownloadBundles:
      return Bundle(db.downloads(), item);
    case S::kImageBundles:
      return Bundle(db.images(), item);
    case S::kErrors: {
      if (!db.error_records().Has(item)) return {};
      const ErrorRecord error = db.error_records().Get(item);
      return std::to_string(error.status) + " " + std::string(db.resources().Get(error.resource));
    }
    case S::kErrorReferrers: {
      // One row per missing file and referrer: the file tells rows of one referrer apart.
      if (!db.error_records().Has(item)) return {};
      const ErrorRecord error = db.error_records().Get(item);
      return std::string(db.referer_strings().Get(error.referrer)) + " -> " +
             std::string(db.resources().Get(error.resource));
    }
    case S::kBrowsers:
      return std::string(db.browsers().Get(item));
    case S::kOses:
      return std::string(db.oses().Get(item));
    case S::kUserAgents:
      return std::string(db.user_agent_strings().Get(item));
    case S::kSpiders:
      return std::string(SpiderName(item));
  }
  return {};
}

std::optional<ChartData> ListChart(std::string_view title, std::string_view column_caption,
                                   std::span<const std::string> labels,
                                   std::span<const double> values) {
  if (std::all_of(values.begin(), values.end(), [](double v) { return v == 0; })) {
    return std::nullopt;
  }
  ChartData chart;
  chart.kind = kChartBar;
  chart.title = std::string(title) + " (" + std::string(column_caption) + ")";
  auto add = [&](std::string label, double value) {
    chart.items.push_back({std::move(label), value, kChartColours[chart.items.size()], 0});
  };
  const size_t shown = std::min(values.size(), kChartRows);
  for (size_t i = 0; i < shown; ++i) add(labels[i], values[i]);
  const double rest =
      std::accumulate(values.begin() + static_cast<ptrdiff_t>(shown), values.end(), 0.0);
  if (values.size() > shown && rest > 0) {
    if (values.size() == shown + 1) {
      add(labels[shown], values[shown]);
    } else {
      const auto others = std::count_if(values.begin() + static_cast<ptrdiff_t>(shown),
                                        values.end(), [](double v) { return v != 0; });
      char label[32];
      std::snprintf(label, sizeof label, "Other %d", static_cast<int>(others));
      add(label, rest);
    }
  }
  chart.whole_numbers =
      std::all_of(chart.items.begin(), chart.items.end(), [](const ChartItem& item) {
        return std::fabs(item.value - std::round(item.value)) < 0.00001;
      });
  return chart;
}

ReportModel MakeListReport(WorkspaceDatabase& db, const ReportDef& report, const ListMember& member,
                           const CachedResult& result, const ListReportOptions& options) {
  ReportModel model;
  model.id = report.id;
  model.title = report.title;
  model.cache_use = result.use;
  model.columns.push_back({std::string(member.key_caption), CellAlign::kLeft, true});
  for (DateRange range : kDateRanges) {
    model.columns.push_back({std::string(DateRangeCaption(range)), CellAlign::kRight, false});
  }
  const ItemSource source = ItemSourceOf(report.cache).value_or(ItemSource::kResources);
  struct Item {
    std::string name;
    PeriodValues values;
  };
  std::vector<Item> items;
  for (size_t unit = 0; unit < result.units.size(); ++unit) {
    const PeriodValues& values = result.units[unit];
    if (values[static_cast<size_t>(DateRange::kCustom)] <= 0) continue;
    items.push_back({ItemName(db, source, static_cast<int32_t>(unit)), values});
  }
  const auto sort = static_cast<size_t>(options.sort);
  std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
    if (a.values[sort] != b.values[sort]) return a.values[sort] > b.values[sort];
    return a.name < b.name;
  });
  model.sort_column = static_cast<int32_t>(sort) + 1;

  // People read paths and referrers decoded; the tables keep them as logged. Only the rows that
  // are shown and the chart's bars need the decoded text, which on a large list is most of the
  // work left once the items are sorted.
  const size_t kept = options.limit
                          ? std::min(items.size(), static_cast<size_t>(std::max(*options.limit, 0)))
                          : items.size();
  std::vector<std::string> labels;
  std::vector<double> chart_values;
  chart_values.reserve(items.size());
  for (const Item& item : items) {
    if (labels.size() <= kChartRows) labels.push_back(DecodePercentForDisplay(item.name));
    chart_values.push_back(static_cast<double>(item.values[sort]));
  }
  model.chart = ListChart(report.title, DateRangeCaption(options.sort), labels, chart_values);

  model.rows.reserve(kept);
  for (size_t i = 0; i < kept; ++i) {
    ReportRow row;
    row.cells.push_back(i < labels.size() ? labels[i] : DecodePercentForDisplay(items[i].name));
    row.values.push_back(std::nullopt);
    for (int64_t value : items[i].values) {
      row.cells.push_back(ValueText(member.kind, value));
      row.values.push_back(static_cast<double>(value));
    }
    model.rows.push_back(std::move(row));
  }
  return model;
}

}  // namespace velmora
