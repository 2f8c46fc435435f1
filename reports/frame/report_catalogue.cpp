#include "reports/frame/report_catalogue.h"

#include <array>
#include <vector>

#include "analysis/referrers/search_engine_table.h"

namespace velmora {
namespace {

struct Row {
  int32_t level;
  std::string_view title;
  std::string_view id;  // empty for a group-only node
  int32_t icon;
  std::string_view cache;  // "" with an id: the report builds its rows itself
  // For a family parent: the per-engine children follow, titled engine + suffix, with ids
  // child_prefix + position.
  std::string_view child_suffix = {};
  std::string_view child_prefix = {};
};

// clang-format off
constexpr Row kRows[] = {
    {0, "Traffic", "traffic", 18, ""},
    {1, "Today's Visits", "todays_visitors", 1, ""},
    {1, "Traffic by Month", "", 59, ""},
    {2, "Requests", "requests_mn", 7, ""},
    {2, "Visits", "visits_mn", 3, ""},
    {2, "Outgoing Traffic", "trafficout_mn", 8, ""},
    {2, "Incoming Traffic", "trafficin_mn", 9, ""},
    {1, "Requests", "requests", 7, ""},
    {2, "Requests by Day of the Week", "requests_dw", 17, ""},
    {2, "Requests by Hour of the Day", "requests_hd", 15, ""},
    {1, "Bandwidth", "bandwidth", 21, ""},
    {2, "Outgoing Traffic", "bw_out", 8, ""},
    {3, "Outgoing Traffic by Day of the Week", "bw_out_dw", 17, ""},
    {3, "Outgoing Traffic by Hour of the Day", "bw_out_hd", 15, ""},
    {2, "Download Traffic", "bw_dld", 6, ""},
    {3, "Download Traffic by Day of the Week", "bw_dld_dw", 17, ""},
    {3, "Download Traffic by Hour of the Day", "bw_dld_hd", 15, ""},
    {2, "Incoming Traffic", "bw_in", 9, ""},
    {3, "Incoming Traffic by Day of the Week", "bw_in_dw", 17, ""},
    {3, "Incoming Traffic by Hour of the Day", "bw_in_hd", 15, ""},
    {1, "Visits,Pages,Downloads,Images", "vpdi", 0, ""},
    {2, "Visits", "visits", 3, ""},
    {3, "Visits by Day of the Week", "visits_dw", 17, ""},
    {3, "Visits by Hour of the Day", "visits_hd", 15, ""},
    {2, "Page Views", "pages", 4, ""},
    {3, "Page Views by Day of the Week", "pages_dw", 17, ""},
    {3, "Page Views by Hour of the Day", "pages_hd", 15, ""},
    {2, "Downloads", "downloads", 5, ""},
    {3, "Downloads by Day of the Week", "downloads_dw", 17, ""},
    {3, "Downloads by Hour of the Day", "downloads_hd", 15, ""},
    {2, "Images", "images", 20, ""},
    {3, "Images by Day of the Week", "images_dw", 17, ""},
    {3, "Images by Hour of the Day", "images_hd", 15, ""},
    {1, "Spider Requests", "spiders", 43, ""},
    {2, "Spider Requests by Day of the Week", "spiders_dw", 17, ""},
    {2, "Spider Requests by Hour of the Day", "spiders_hd", 15, ""},
    {1, "Errors", "errors", 44, ""},
    {2, "Server Errors", "servererr", 47, ""},
    {3, "Server Errors by Day of the Week", "servererr_dw", 17, ""},
    {3, "Server Errors by Hour of the Day", "servererr_hd", 15, ""},
    {2, "Client Errors", "clienterr", 46, ""},
    {3, "Client Errors by Day of the Week", "clienterr_dw", 17, ""},
    {3, "Client Errors by Hour of the Day", "clienterr_hd", 15, ""},
    {2, "Visits with Errors", "errvisits", 52, ""},
    {3, "Visits with Errors by Day of the Week", "errvisits_dw", 17, ""},
    {3, "Visits with Errors by Hour of the Day", "errvisits_hd", 15, ""},
    {0, "Pages", "", 27, ""},
    {1, "Requested Pages", "pagesreq", 4, "pages"},
    {1, "Entry Pages", "pagesentry", 16, "entrypages"},
    {1, "Exit Pages", "pagesexit", 49, "exitpages"},
    {1, "Single Access Pages", "pagessingle", 53, "singlepages"},
    {1, "Paths Through Site", "paths", 54, "paths"},
    {1, "Traffic by Pages", "pgtraffic", 4, "pagesbytraffic"},
    {0, "Downloads", "", 25, ""},
    {1, "Requested Downloads", "dldreq", 5, "downloads"},
    {1, "Download Bundles", "dldbundles", 24, "dldbundles"},
    {1, "Traffic by Downloads", "dldtraffic", 6, "dldbytraffic"},
    {1, "Referrers By Downloads", "", 22, ""},
    {2, "Referring Servers by Downloads", "dldrefservers", 58, "refdomainsdld"},
    {2, "Referring Pages by Downloads", "dldrefpages", 57, "referrersdld"},
    {2, "Search Engines by Downloads", "dldsearchengines", 19, "SrchEngine_Dld"},
    {2, "Search Words by Downloads", "dldsearchwords", 2, "SearchWordDld"},
    {2, "Search Phrases by Downloads", "dldsearchphrases", 11, "searchwordcmbsdld"},
    {2, "Exact Search Phrases by Downloads", "dldsearchfrasesexact", 56, "searchphrasesdld"},
    {1, "Referrers By Download Relevancy", "", 22, ""},
    {2, "Referring Servers by Download Relevancy", "dldrelrefservers", 58, "refdomaindldrel"},
    {2, "Referring Pages by Download Relevancy", "dldrelrefpages", 57, "referrersdldrel"},
    {2, "Search Engines by Download Relevancy", "dldrelsearchengines", 19, "SrchEngine_DldRel"},
    {2, "Search Words by Download Relevancy", "dldrelsearchwords", 2, "SearchWordDldRel"},
    {2, "Search Phrases by Download Relevancy", "dldrelsearchphrases", 11, "searchwordcmbsdldrel"},
    {2, "Exact Search Phrases by Download Relevancy", "dldrelsearchphrasesexact", 56,
     "searchphrasesdldrel"},
    {0, "Images", "", 26, ""},
    {1, "Requested Images", "imagereq", 20, "images"},
    {1, "Image Bundles", "imagebundle", 23, "imgbundles"},
    {1, "Total Images", "imagereq2", 20, "totalimages"},
    {1, "Image Relevancy", "imagerel", 20, "bannerrelevancy"},
    {1, "Traffic by Images", "imgtraffic", 20, "imagesbytraffic"},
    {0, "Referrers", "", 22, ""},
    {1, "Referring Servers", "refservers", 58, "refdomains"},
    {1, "Referring Pages", "refpages", 57, "referrers"},
    {1, "Search Engines", "ref_seng", 19, "searchengines"},
    {1, "Search Engines: Referring Pages", "refpages_seng", 55, "refsrcheng"},
    {1, "Search Words", "ref_swords", 2, "searchwords", " : Search Words", "ref_swords_"},
    {1, "Search Phrases", "ref_sphrases", 11, "searchwordcmbs", " : Search Phrases",
     "ref_swordcmbs_"},
    {1, "Exact Search Phrases", "ref_sphrasesexact", 56, "searchphrases",
     " : Exact Search Phrases", "ref_sphrases_"},
    {0, "Audience", "", 50, ""},
    {1, "Countries", "countries", 10, "countries"},
    {1, "Traffic By Countries", "countries_tr", 10, "countriesmb"},
    {1, "Operating Systems", "os", 12, "os"},
    {1, "Browsers", "browsers", 13, "pagebrowsers"},
    {1, "Download Managers", "dldmanagers", 14, "dldbrowsers"},
    {1, "Browser User Agents", "useragents", 13, "pageuas"},
    {1, "Download User Agents", "dlduseragents", 14, "dlduas"},
    {0, "Visiting Spiders", "", 48, ""},
    {1, "Requests by Spiders", "spiderreq", 7, "spiders"},
    {1, "Traffic by Spiders", "spidertraffic", 8, "spidertraffic"},
    {1, "Resources accessed by Spiders", "spiderres", 4, "spiderres"},
    {1, "Resources accessed by Google", "spiderres_google", 4, "spidergoogle"},
    {0, "Technical Info", "", 51, ""},
    {1, "HTTP Errors", "errorsreq", 44, "errors"},
    {1, "404 Error Referrers", "errors404", 45, "404errors"},
};
// clang-format on

struct FamilyEngine {
  uint32_t engine;
  int32_t icon;
};
constexpr std::array<FamilyEngine, 15> kFamilyEngines = {{
    {2, 35},
    {1, 38},
    {5, 36},
    {4, 28},
    {6, 30},
    {8, 41},
    {7, 37},
    {15, 40},
    {11, 42},
    {14, 34},
    {10, 33},
    {3, 29},
    {9, 31},
    {12, 39},
    {13, 32},
}};

ReportDef Def(const Row& row) {
  ReportDef def;
  def.title = std::string(row.title);
  def.id = std::string(row.id);
  def.level = row.level;
  def.icon = row.icon;
  def.cache = row.cache;
  def.kind = row.id.empty()      ? ReportKind::kGroup
             : row.cache.empty() ? ReportKind::kOwnBuilder
                                 : ReportKind::kCachedList;
  return def;
}

struct Catalogue {
  std::vector<ReportDef> tree;
  std::vector<const ReportDef*> reports;

  Catalogue() {
    for (const Row& row : kRows) {
      tree.push_back(Def(row));
      if (row.child_suffix.empty()) continue;
      for (size_t position = 0; position < kFamilyEngines.size(); ++position) {
        ReportDef child = Def(row);
        child.level = row.level + 1;
        child.title = std::string(EngineName(static_cast<int>(kFamilyEngines[position].engine))) +
                      std::string(row.child_suffix);
        child.id = std::string(row.child_prefix) + std::to_string(position + 1);
        child.icon = kFamilyEngines[position].icon;
        child.engine_filter = kFamilyEngines[position].engine;
        tree.push_back(std::move(child));
      }
    }
    for (const ReportDef& def : tree) {
      if (def.kind != ReportKind::kGroup) reports.push_back(&def);
    }
  }
};

const Catalogue& TheCatalogue() {
  static const Catalogue catalogue;
  return catalogue;
}

}  // namespace

std::span<const ReportDef> ReportTree() { return TheCatalogue().tree; }

std::span<const ReportDef* const> CatalogueReports() { return TheCatalogue().reports; }

const ReportDef* FindReport(std::string_view id) {
  for (const ReportDef* def : CatalogueReports()) {
    if (def->id == id) return def;
  }
  return nullptr;
}

const ReportDef* ReportAt(int32_t position) {
  const auto reports = CatalogueReports();
  return position >= 0 && static_cast<size_t>(position) < reports.size()
             ? reports[static_cast<size_t>(position)]
             : nullptr;
}

std::span<const uint32_t> FamilyEngines() {
  static const std::array<uint32_t, kFamilyEngines.size()> engines = [] {
    std::array<uint32_t, kFamilyEngines.size()> e{};
    for (size_t i = 0; i < e.size(); ++i) e[i] = kFamilyEngines[i].engine;
    return e;
  }();
  return engines;
}

}  // namespace velmora
