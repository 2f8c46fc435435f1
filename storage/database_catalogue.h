// The catalogue of the workspace database: every table of database/, in the order Open opens
// them, with its shape. Tools that list or dump tables read it; the database itself opens and
// creates the tables in its own fixed orders (workspace_database.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/workspace_layout.h"

namespace velmora {

enum class TableShape : uint8_t {
  kRecords,            // record file with sorted indexes of record numbers
  kStrings,            // string table
  kSequences,          // sequence table
  kStringsAndRecords,  // string table plus a record file (UserAgents, Referers: record k
                       // describes string k; Resources: error records with their own index)
};

struct CatalogueEntry {
  std::string_view name;  // table name, also the file name the CRC is taken over
  TableShape shape;
  int record_indexes;  // sorted indexes of the record file (1 or 2), 0 when none
  std::string_view content;
};

namespace table_name {
inline constexpr std::string_view kSessions = "Sessions";
inline constexpr std::string_view kHourly = "Hourly";
inline constexpr std::string_view kFileTraffic = "FileTraffic";
inline constexpr std::string_view kResources = "Resources";
inline constexpr std::string_view kSpiders = "Spiders";
inline constexpr std::string_view kUserAgents = "UserAgents";
inline constexpr std::string_view kReferers = "Referers";
inline constexpr std::string_view kDownloads = "Downloads";
inline constexpr std::string_view kImages = "Images";
inline constexpr std::string_view kPages = "Pages";
inline constexpr std::string_view kErrors = "Errors";
inline constexpr std::string_view kBrowsers = "Browsers";
inline constexpr std::string_view kOses = "Oses";
inline constexpr std::string_view kRefDomains = "RefDomains";
inline constexpr std::string_view kSearchFrases = "SearchFrases";
inline constexpr std::string_view kSearchWords = "SearchWords";
inline constexpr std::string_view kSearchFrasesExact = "SearchFrasesExact";
inline constexpr std::string_view kParsedLogs = "ParsedLogs";
}  // namespace table_name

// The 18 tables: the 17 that Open opens, in its order, then ParsedLogs.
std::span<const CatalogueEntry> DatabaseCatalogue();
// The entry of `name` (exact spelling), or null.
const CatalogueEntry* FindCatalogueEntry(std::string_view name);

}  // namespace velmora
