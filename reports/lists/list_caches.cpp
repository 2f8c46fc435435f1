#include "reports/lists/list_caches.h"

#include <algorithm>
#include <array>
#include <string>

#include "analysis/agents/spider_table.h"
#include "analysis/countries/country_list.h"
#include "analysis/referrers/referrer_kind.h"
#include "analysis/referrers/search_engine_table.h"
#include "reports/frame/visit_walk.h"

namespace velmora {
namespace {

struct StepContext {
  WorkspaceDatabase& db;
  ResultTable& table;
  uint32_t engine_filter;
};

using Step = void (*)(StepContext&, const WalkedVisit&);

// Calls `take` with each entry of a stored visit list (a count word, then the entries). A count
// larger than what is stored is cut to what is there.
template <class Take>
void ForEachEntry(const SequenceTable& lists, int32_t handle, Take&& take) {
  if (handle < 0) return;
  const SequenceView list = lists.Get(handle);
  if (list.empty()) return;
  const int32_t count = std::clamp(list[0], 0, list.size() - 1);
  for (int32_t i = 1; i <= count; ++i) take(list[i]);
}

RefererRecord Referrer(StepContext& c, const WalkedVisit& v) {
  return c.db.referers().Get(v.session.referrer);
}
bool IsSearch(const RefererRecord& r) {
  return r.kind == static_cast<uint32_t>(ReferrerKind::kSearchEngine);
}
bool EngineWanted(StepContext& c, const RefererRecord& r) {
  return c.engine_filter == 0 || c.engine_filter == r.search_engine;
}
bool HasPages(const WalkedVisit& v) { return v.detail.page_path >= 0; }
bool HasDownloads(const WalkedVisit& v) { return v.detail.downloads >= 0; }
void One(StepContext& c, const WalkedVisit& v, int32_t unit, int64_t amount = 1) {
  c.table.Add(unit, v.mask, amount);
}
void EachWord(StepContext& c, const WalkedVisit& v, const RefererRecord& r) {
  if (r.search_phrase < 0) return;
  const SequenceView words = c.db.search_phrases().Get(r.search_phrase);
  for (int32_t i = 0; i < words.size(); ++i) One(c, v, words[i]);
}
void EachError(StepContext& c, const WalkedVisit& v, bool not_found) {
  ForEachEntry(c.db.errors(), v.detail.errors, [&](int32_t error) {
    if ((c.db.error_records().Get(error).status == 404) == not_found) One(c, v, error);
  });
}

using SpiderStep = void (*)(WorkspaceDatabase&, ResultTable&, const SpiderHitRecord&,
                            uint32_t mask);

enum class Builder : uint8_t {
  kVisits,       // the visits the report filter shows, through `step`
  kAllVisits,    // the same, with the non-visits too
  kSpiders,      // the spider requests of the walked days, through `spider`
  kFileTraffic,  // the bytes sent per file of `resource_type` on the walked days
  kRelevancy,    // `second` per `base`, both caches of the same items
};

struct CacheDef {
  std::string_view name;
  ItemSource source;
  Step step = nullptr;
  Builder builder = Builder::kVisits;
  std::string_view table = {};  // the table's own name, when it is not the cache name + "0"
  SpiderStep spider = nullptr;
  uint32_t resource_type = 0;
  std::string_view base = {};
  std::string_view second = {};
};

using S = ItemSource;
using B = Builder;

int32_t SpiderOf(WorkspaceDatabase& db, const SpiderHitRecord& hit) {
  return db.user_agents().Get(hit.user_agent).spider;
}

// clang-format off
constexpr CacheDef kCaches[] = {
    {"404errors", S::kErrorReferrers, [](StepContext& c, const WalkedVisit& v) { EachError(c, v, true); }},
    {"countries", S::kCountries,
     [](StepContext& c, const WalkedVisit& v) { One(c, v, static_cast<int32_t>(v.detail.country & 0xFFFF)); }},
    {"dldbundles", S::kDownloadBundles,
     [](StepContext& c, const WalkedVisit& v) { if (HasDownloads(v)) One(c, v, v.detail.downloads); }},
    {"dldbrowsers", S::kBrowsers, [](StepContext& c, const WalkedVisit& v) {
       if (HasDownloads(v)) One(c, v, c.db.user_agents().Get(v.session.download_user_agent).browser);
     }},
    {"dlduas", S::kUserAgents,
     [](StepContext& c, const WalkedVisit& v) { if (HasDownloads(v)) One(c, v, v.session.download_user_agent); }},
    {"exitpages", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       int32_t last = -1;
       ForEachEntry(c.db.pages(), v.detail.page_path, [&](int32_t page) { last = page; });
       One(c, v, last);
     }},
    {"entrypages", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       bool first = true;
       ForEachEntry(c.db.pages(), v.detail.page_path, [&](int32_t page) {
         if (first) One(c, v, page);
         first = false;
       });
     }},
    {"errors", S::kErrors, [](StepContext& c, const WalkedVisit& v) { EachError(c, v, false); }},
    {"imgbundles", S::kImageBundles,
     [](StepContext& c, const WalkedVisit& v) { if (v.detail.images >= 0) One(c, v, v.detail.images); }},
    {"os", S::kOses, [](StepContext& c, const WalkedVisit& v) {
       if (HasPages(v)) {
         One(c, v, c.db.user_agents().Get(v.session.page_user_agent).operating_system);
       } else if (HasDownloads(v)) {
         One(c, v, c.db.user_agents().Get(v.session.download_user_agent).operating_system);
       }
     }},
    {"pagebrowsers", S::kBrowsers, [](StepContext& c, const WalkedVisit& v) {
       if (HasPages(v)) One(c, v, c.db.user_agents().Get(v.session.page_user_agent).browser);
     }},
    {"pageuas", S::kUserAgents,
     [](StepContext& c, const WalkedVisit& v) { if (HasPages(v)) One(c, v, v.session.page_user_agent); }},
    {"paths", S::kPaths,
     [](StepContext& c, const WalkedVisit& v) { if (HasPages(v)) One(c, v, v.detail.page_path); }},
    {"refdomains", S::kRefDomains, [](StepContext& c, const WalkedVisit& v) { One(c, v, Referrer(c, v).domain); }},
    {"refdomainsdld", S::kRefDomains,
     [](StepContext& c, const WalkedVisit& v) { if (HasDownloads(v)) One(c, v, Referrer(c, v).domain); }},
    {"refdomainspage", S::kRefDomains,
     [](StepContext& c, const WalkedVisit& v) { if (HasPages(v)) One(c, v, Referrer(c, v).domain); }},
    {"referrers", S::kReferrers, [](StepContext& c, const WalkedVisit& v) { One(c, v, v.session.referrer); }},
    {"referrersdld", S::kReferrers,
     [](StepContext& c, const WalkedVisit& v) { if (HasDownloads(v)) One(c, v, v.session.referrer); }},
    {"referrerspage", S::kReferrers,
     [](StepContext& c, const WalkedVisit& v) { if (HasPages(v)) One(c, v, v.session.referrer); }},
    {"refsrcheng", S::kReferrers,
     [](StepContext& c, const WalkedVisit& v) { if (IsSearch(Referrer(c, v))) One(c, v, v.session.referrer); }},
    {"downloads", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       ForEachEntry(c.db.downloads(), v.detail.downloads, [&](int32_t file) { One(c, v, file); });
     }},
    {"images", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       ForEachEntry(c.db.images(), v.detail.images, [&](int32_t file) { One(c, v, file); });
     }},
    {"pages", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       ForEachEntry(c.db.pages(), v.detail.page_path, [&](int32_t page) { One(c, v, page); });
     }},
    {"searchengines", S::kSearchEngines, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (IsSearch(r)) One(c, v, static_cast<int32_t>(r.search_engine));
     }},
    {"searchphrases", S::kExactPhrases, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (IsSearch(r) && EngineWanted(c, r) && r.exact_phrase >= 0) One(c, v, r.exact_phrase);
     }},
    {"searchwords", S::kSearchWords, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (IsSearch(r) && EngineWanted(c, r)) EachWord(c, v, r);
     }},
    {"searchwordcmbs", S::kSearchPhrases, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (IsSearch(r) && EngineWanted(c, r) && r.search_phrase >= 0) One(c, v, r.search_phrase);
     }},
    {"singlepages", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       if (StoredListCount(c.db.pages(), v.detail.page_path) != 1) return;
       ForEachEntry(c.db.pages(), v.detail.page_path, [&](int32_t page) { One(c, v, page); });
     }},
    {"spiderres", S::kResources, nullptr, B::kSpiders, "SpidersResources",
     [](WorkspaceDatabase&, ResultTable& t, const SpiderHitRecord& hit, uint32_t mask) {
       t.Add(hit.resource, mask, 1);
     }},
    {"spidergoogle", S::kResources, nullptr, B::kSpiders, "SpidersResourcesGoogle",
     [](WorkspaceDatabase& db, ResultTable& t, const SpiderHitRecord& hit, uint32_t mask) {
       if (SpiderOf(db, hit) == 0) t.Add(hit.resource, mask, 1);
     }},
    {"dldbytraffic", S::kResources, nullptr, B::kFileTraffic, "dldbytraffic", nullptr, 2},
    {"spidertraffic", S::kSpiders, nullptr, B::kSpiders, "SpidersTraffic",
     [](WorkspaceDatabase& db, ResultTable& t, const SpiderHitRecord& hit, uint32_t mask) {
       t.Add(SpiderOf(db, hit), mask, hit.bytes_sent);
     }},
    {"refdomaindldrel", S::kRefDomains, nullptr, B::kRelevancy, {}, nullptr, 0, "refdomains", "refdomainsdld"},
    {"spiders", S::kSpiders, nullptr, B::kSpiders, "VisitingSpiders",
     [](WorkspaceDatabase& db, ResultTable& t, const SpiderHitRecord& hit, uint32_t mask) {
       t.Add(SpiderOf(db, hit), mask, 1);
     }},
    {"SrchEngine_Dld", S::kSearchEngines, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r)) One(c, v, static_cast<int32_t>(r.search_engine));
     }},
    {"SrchEngine_DldRel", S::kSearchEngines, nullptr, B::kRelevancy, {}, nullptr, 0, "searchengines", "SrchEngine_Dld"},
    {"referrersdldrel", S::kReferrers, nullptr, B::kRelevancy, {}, nullptr, 0, "referrers", "referrersdld"},
    {"SearchWordDld", S::kSearchWords, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r)) EachWord(c, v, r);
     }},
    {"SearchWordDldRel", S::kSearchWords, nullptr, B::kRelevancy, {}, nullptr, 0, "searchwords", "SearchWordDld"},
    {"searchwordcmbsdld", S::kSearchPhrases, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r) && r.search_phrase >= 0) One(c, v, r.search_phrase);
     }},
    {"searchwordcmbsdldrel", S::kSearchPhrases, nullptr, B::kRelevancy, {}, nullptr, 0, "searchwordcmbs", "searchwordcmbsdld"},
    {"searchphrasesdld", S::kExactPhrases, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r) && r.exact_phrase >= 0) One(c, v, r.exact_phrase);
     }},
    {"searchphrasesdldrel", S::kExactPhrases, nullptr, B::kRelevancy, {}, nullptr, 0, "searchphrases", "searchphrasesdld"},
    // Every image request, also those of non-visits (hotlinks, feed readers): the base that
    // "Image Relevancy" measures the images seen within visits against.
    {"totalimages", S::kResources, [](StepContext& c, const WalkedVisit& v) {
       ForEachEntry(c.db.images(), v.detail.images, [&](int32_t file) { One(c, v, file); });
     }, B::kAllVisits},
    {"bannerrelevancy", S::kResources, nullptr, B::kRelevancy, {}, nullptr, 0, "totalimages", "images"},
    {"pagesbytraffic", S::kResources, nullptr, B::kFileTraffic, "pgbytraffic", nullptr, 1},
    {"imagesbytraffic", S::kResources, nullptr, B::kFileTraffic, "imgbytraffic", nullptr, 3},
    {"countriesmb", S::kCountries, [](StepContext& c, const WalkedVisit& v) {
       One(c, v, static_cast<int32_t>(v.detail.country & 0xFFFF), v.detail.bytes_sent);
     }},
};
// clang-format on

constexpr std::array<std::string_view, std::size(kCaches)> kNames = [] {
  std::array<std::string_view, std::size(kCaches)> names{};
  for (size_t i = 0; i < names.size(); ++i) names[i] = kCaches[i].name;
  return names;
}();
static_assert(kNames.size() == 48);

const CacheDef* FindCache(std::string_view name) {
  for (const CacheDef& def : kCaches) {
    if (def.name == name) return &def;
  }
  return nullptr;
}

int32_t ItemCount(WorkspaceDatabase& db, ItemSource source) {
  switch (source) {
    case S::kResources:
      return db.resources().Count();
    case S::kReferrers:
      return db.referer_strings().Count();
    case S::kRefDomains:
      return db.ref_domains().Count();
    case S::kSearchEngines:
      return EngineCount();
    case S::kSearchWords:
      return db.search_words().Count();
    case S::kSearchPhrases:
      return db.search_phrases().Count();
    case S::kExactPhrases:
      return db.search_phrases_exact().Count();
    case S::kCountries:
      return CountryCount();
    case S::kPaths:
      return db.pages().Count();
    case S::kDownloadBundles:
      return db.downloads().Count();
    case S::kImageBundles:
      return db.images().Count();
    case S::kErrors:
    case S::kErrorReferrers:
      return db.error_records().Count();
    case S::kBrowsers:
      return db.browsers().Count();
    case S::kOses:
      return db.oses().Count();
    case S::kUserAgents:
      return db.user_agent_strings().Count();
    case S::kSpiders:
      return SpiderCount();
  }
  return 0;
}

}  // namespace

std::span<const std::string_view> ListCacheNames() { return kNames; }

bool IsListCacheName(std::string_view name) { return FindCache(name) != nullptr; }

std::optional<ItemSource> ItemSourceOf(std::string_view name) {
  const CacheDef* def = FindCache(name);
  return def == nullptr ? std::nullopt : std::optional(def->source);
}

namespace {

// The walk of a cache of one table: the spider requests or the file traffic of the walked days.
// Neither is a visit, so the report filter does not apply and the identity is the walk alone.
int64_t WalkTable(WorkspaceDatabase& db, const CacheDef& def, const ReportPeriods& periods,
                  ResultTable& table) {
  if (def.builder == B::kSpiders) {
    return WalkRecordsInTime(
        db.spiders(), db.spiders().index(1), periods.WalkStart(), periods.WalkEnd(),
        [](const SpiderHitRecord& hit) { return hit.time.value(); },
        [&](int32_t, const SpiderHitRecord& hit) {
          def.spider(db, table, hit, periods.DayMask(hit.time.value()));
        });
  }
  return WalkRecordsInTime(
      db.file_traffic(), db.file_traffic().index(2), periods.WalkStart(), periods.WalkEnd(),
      [](const FileTrafficRecord& r) { return r.day.value(); },
      [&](int32_t, const FileTrafficRecord& r) {
        if (r.resource_type == def.resource_type) {
          table.Add(r.resource, periods.DayMask(r.day.value()), r.bytes_sent.signed_value());
        }
      });
}

// B x 10000 / A per item and period, where A, the base, is above 4; 0 elsewhere.
std::optional<CachedResult> Relevancy(WorkspaceDatabase& db, Prompter& prompter,
                                      const CacheDef& def, const CacheRequest& request) {
  CacheRequest part = request;
  part.name = def.base;
  const std::optional<CachedResult> base = BuildListCache(db, prompter, part);
  part.name = def.second;
  const std::optional<CachedResult> second = BuildListCache(db, prompter, part);
  if (!base || !second) return std::nullopt;
  CachedResult result;
  result.use = base->use == CacheUse::kReused && second->use == CacheUse::kReused
                   ? CacheUse::kReused
                   : CacheUse::kBuilt;
  result.records_read = base->records_read + second->records_read;
  result.units.resize(std::min(base->units.size(), second->units.size()));
  for (size_t item = 0; item < result.units.size(); ++item) {
    for (size_t period = 0; period < kDateRangeCount; ++period) {
      const int64_t a = base->units[item][period];
      result.units[item][period] = a > 4 ? second->units[item][period] * 10000 / a : 0;
    }
  }
  return result;
}

}  // namespace

std::optional<CachedResult> BuildListCache(WorkspaceDatabase& db, Prompter& prompter,
                                           const CacheRequest& request) {
  const CacheDef* def = FindCache(request.name);
  if (def == nullptr || request.periods == nullptr || request.filter == nullptr) {
    return std::nullopt;
  }
  if (def->builder == B::kRelevancy) return Relevancy(db, prompter, *def, request);
  const ReportPeriods& periods = *request.periods;
  const bool of_visits = def->builder == B::kVisits || def->builder == B::kAllVisits;
  const ResultIdentity identity{periods.WalkStart(), periods.WalkEnd(), request.fingerprint,
                                request.engine_filter};
  ResultTable table(prompter);
  const std::string table_name =
      def->table.empty() ? std::string(def->name) + "0" : std::string(def->table);
  const ResultTable::State state = table.Open(db.workspace_folder(), table_name, identity,
                                              of_visits ? kListIdentityBytes : kWalkIdentityBytes);
  if (state == ResultTable::State::kClosed) return std::nullopt;
  CachedResult result;
  if (state == ResultTable::State::kReused) {
    result.use = CacheUse::kReused;
  } else {
    if (!table.Size(ItemCount(db, def->source))) return std::nullopt;
    if (of_visits) {
      ActiveReportFilter filter = *request.filter;
      if (def->builder == B::kAllVisits) filter.show_non_visit = true;
      StepContext context{db, table, request.engine_filter};
      result.records_read =
          WalkVisits(db, periods, filter, request.engine_filter, [&](const WalkedVisit& visit) {
            def->step(context, visit);
          }).visits_read;
    } else {
      result.records_read = WalkTable(db, *def, periods, table);
    }
    table.Seal();
    result.use = CacheUse::kBuilt;
  }
  result.units = table.AllValues();
  return result;
}

}  // namespace velmora
