#include "reports/lists/list_caches.h"

#include <algorithm>
#include <array>
#include <string>

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

int32_t ListCount(const SequenceTable& lists, int32_t handle) {
  if (handle < 0) return 0;
  const SequenceView list = lists.Get(handle);
  return list.empty() ? 0 : std::clamp(list[0], 0, list.size() - 1);
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

struct CacheDef {
  std::string_view name;
  ItemSource source;
  Step step;  // null: another builder makes this cache
};

using S = ItemSource;

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
       if (ListCount(c.db.pages(), v.detail.page_path) != 1) return;
       ForEachEntry(c.db.pages(), v.detail.page_path, [&](int32_t page) { One(c, v, page); });
     }},
    {"spiderres", S::kResources, nullptr},
    {"spidergoogle", S::kResources, nullptr},
    {"dldbytraffic", S::kResources, nullptr},
    {"spidertraffic", S::kSpiders, nullptr},
    {"refdomaindldrel", S::kRefDomains, nullptr},
    {"spiders", S::kSpiders, nullptr},
    {"SrchEngine_Dld", S::kSearchEngines, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r)) One(c, v, static_cast<int32_t>(r.search_engine));
     }},
    {"SrchEngine_DldRel", S::kSearchEngines, nullptr},
    {"referrersdldrel", S::kReferrers, nullptr},
    {"SearchWordDld", S::kSearchWords, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r)) EachWord(c, v, r);
     }},
    {"SearchWordDldRel", S::kSearchWords, nullptr},
    {"searchwordcmbsdld", S::kSearchPhrases, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r) && r.search_phrase >= 0) One(c, v, r.search_phrase);
     }},
    {"searchwordcmbsdldrel", S::kSearchPhrases, nullptr},
    {"searchphrasesdld", S::kExactPhrases, [](StepContext& c, const WalkedVisit& v) {
       const RefererRecord r = Referrer(c, v);
       if (HasDownloads(v) && IsSearch(r) && r.exact_phrase >= 0) One(c, v, r.exact_phrase);
     }},
    {"searchphrasesdldrel", S::kExactPhrases, nullptr},
    {"totalimages", S::kResources, nullptr},
    {"bannerrelevancy", S::kResources, nullptr},
    {"pagesbytraffic", S::kResources, nullptr},
    {"imagesbytraffic", S::kResources, nullptr},
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
      return 0;
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

std::optional<CachedResult> BuildListCache(WorkspaceDatabase& db, Prompter& prompter,
                                           const CacheRequest& request) {
  const CacheDef* def = FindCache(request.name);
  if (def == nullptr || def->step == nullptr || request.periods == nullptr ||
      request.filter == nullptr) {
    return std::nullopt;
  }
  const ReportPeriods& periods = *request.periods;
  const ResultIdentity identity{periods.WalkStart(), periods.WalkEnd(), request.fingerprint,
                                request.engine_filter};
  ResultTable table(prompter);
  const ResultTable::State state =
      table.Open(db.workspace_folder(), std::string(def->name) + "0", identity, kListIdentityBytes);
  if (state == ResultTable::State::kClosed) return std::nullopt;
  CachedResult result;
  if (state == ResultTable::State::kReused) {
    result.use = CacheUse::kReused;
  } else {
    if (!table.Size(ItemCount(db, def->source))) return std::nullopt;
    StepContext context{db, table, request.engine_filter};
    result.visits_read = WalkVisits(db, periods, *request.filter, request.engine_filter,
                                    [&](const WalkedVisit& visit) { def->step(context, visit); })
                             .visits_read;
    table.Seal();
    result.use = CacheUse::kBuilt;
  }
  result.units = table.AllValues();
  return result;
}

}  // namespace velmora
