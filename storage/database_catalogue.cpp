#include "storage/database_catalogue.h"

namespace velmora {
namespace {

namespace n = table_name;

constexpr CatalogueEntry kCatalogue[] = {
    {n::kSessions, TableShape::kRecords, 2,
     "one visit per record, with its detail record; indexes by first and last request time"},
    {n::kHourly, TableShape::kRecords, 1, "one record per hour that had requests"},
    {n::kFileTraffic, TableShape::kRecords, 2, "bytes sent per resource and day"},
    {n::kResources, TableShape::kStringsAndRecords, 1,
     "requested resource paths; error records indexed by status, resource, referrer"},
    {n::kSpiders, TableShape::kRecords, 1, "one record per request from a spider"},
    {n::kUserAgents, TableShape::kStringsAndRecords, 0, "user-agent strings and what they are"},
    {n::kReferers, TableShape::kStringsAndRecords, 0, "referrer URLs and what they are"},
    {n::kDownloads, TableShape::kSequences, 0, "per-visit lists of downloaded resource ids"},
    {n::kImages, TableShape::kSequences, 0, "per-visit lists of image resource ids"},
    {n::kPages, TableShape::kSequences, 0, "per-visit page paths"},
    {n::kErrors, TableShape::kSequences, 0, "per-visit lists of error record numbers"},
    {n::kBrowsers, TableShape::kStrings, 0, "browser names"},
    {n::kOses, TableShape::kStrings, 0, "operating-system names"},
    {n::kRefDomains, TableShape::kStrings, 0, "referring domains"},
    {n::kSearchFrases, TableShape::kSequences, 0,
     "search phrases as ascending lists of SearchWords ids"},
    {n::kSearchWords, TableShape::kStrings, 0, "single search words"},
    {n::kSearchFrasesExact, TableShape::kStrings, 0, "search phrases as typed"},
    {n::kParsedLogs, TableShape::kStrings, 0, "names of the log files already parsed"},
};

}  // namespace

std::span<const CatalogueEntry> DatabaseCatalogue() { return kCatalogue; }

const CatalogueEntry* FindCatalogueEntry(std::string_view name) {
  for (const CatalogueEntry& entry : kCatalogue) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace velmora
