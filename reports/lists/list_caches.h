// The cached results of the ranked lists: which names exist, what each counts per visit, and
// the one entry point that builds a result or finds it still current.
//
// A cache of the common builder counts, for each visit of the walked days that the report
// filter shows, the items the visit touched (its pages, its referrer's domain, its country ...)
// into a table "<name>0" of reports/ with one unit per item of the item table. Its identity is
// the walk, the filter fingerprint and the engine filter: a request that matches all four reads
// the table as it stands and no database record.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "reports/filter/report_filter.h"
#include "reports/frame/date_range.h"
#include "reports/frame/report_model.h"
#include "reports/frame/result_table.h"
#include "storage/workspace_database.h"

namespace velmora {

// The 48 cache names, in the order a name is looked up.
std::span<const std::string_view> ListCacheNames();
bool IsListCacheName(std::string_view name);

// Where a cache's units come from: the table whose ids number them.
enum class ItemSource : uint8_t {
  kResources,  // resource paths
  kReferrers,  // referrer texts (Referers)
  kRefDomains,
  kSearchEngines,  // rows of the search-engine table
  kSearchWords,
  kSearchPhrases,  // word combinations (SearchFrases)
  kExactPhrases,   // SearchFrasesExact
  kCountries,
  kPaths,  // page paths (Pages)
  kDownloadBundles,
  kImageBundles,
  kErrors,          // error records of Resources, named by status and file
  kErrorReferrers,  // the same records, named by the page that linked to the missing file and it
  kBrowsers,
  kOses,
  kUserAgents,
  kSpiders,  // rows of the spider table
};
// The item table of cache `name`; none for a name that is not a cache.
std::optional<ItemSource> ItemSourceOf(std::string_view name);

struct CacheRequest {
  std::string_view name;
  const ReportPeriods* periods = nullptr;
  const ActiveReportFilter* filter = nullptr;
  uint32_t fingerprint = 0;
  uint32_t engine_filter = 0;
};

struct CachedResult {
  std::vector<PeriodValues> units;  // unit i belongs to item i
  CacheUse use = CacheUse::kNone;
  int64_t records_read = 0;  // database records read to build it (0 when reused)
};

// The result of cache `request.name`, built when the stored one does not match. None when the
// name is no cache of this builder (nothing is touched then) or the table could neither be
// opened nor made (the engine has said why). The database must be open.
std::optional<CachedResult> BuildListCache(WorkspaceDatabase& db, Prompter& prompter,
                                           const CacheRequest& request);

}  // namespace velmora
