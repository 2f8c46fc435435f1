// The registry of the workspace database's tables: the one list from which the database declares
// and constructs its tables and their typed accessors, opens, creates, closes and finds them by
// name (workspace_database.h), and from which the catalogue and the table_name constants come
// (database_catalogue.h).
//
// VELMORA_WORKSPACE_TABLES(TABLE, PART) expands, row by row:
//   TABLE(constant, name, use, content): a table of database/. table_name::constant spells
//     `name`, the table name its file names are hashed from; `use` is a TableUse; `content` is
//     the catalogue's description. Tables are listed in the order Open opens them, which is also
//     the catalogue's order; ParsedLogs, which Open leaves alone, stays last.
//   PART(accessor, Type, slot, indexes): one composite of files under the table of the TABLE row
//     above, listed in the order its composites open and are created: the member `accessor_` of
//     `Type`, read through `accessor()`; its files at table number table_slot::slot; for a record
//     table, how many sorted indexes follow its record file (0 for strings and sequences).
//
// A table's catalogue shape follows from the types of its parts, and the Find* lookups of the
// database give, by table name, the first part of each kind.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

// The table numbers of a table name's composites: the FileIds of their files derive from them
// (IndexedTableFileId, HeapTableFileId).
namespace table_slot {
inline constexpr uint32_t kMain = 0;
inline constexpr uint32_t kSecond = 16;
}  // namespace table_slot

enum class TableUse : uint8_t {
  kWithDatabase,  // opened by Open, usable until Release, found by the Find* lookups
  kOnDemand,      // created with the others, then opened by the database for each use
};

}  // namespace velmora

// clang-format off
#define VELMORA_WORKSPACE_TABLES(TABLE, PART)                                                   \
  TABLE(kSessions, "Sessions", kWithDatabase,                                                  \
        "one visit per record, with its detail record; indexes by first and last request time") \
    PART(sessions,             RecordTable<SessionRecord>,       kMain,   2)                   \
    PART(session_details,      RecordTable<SessionDetailRecord>, kSecond, 0)                   \
  TABLE(kHourly, "Hourly", kWithDatabase, "one record per hour that had requests")             \
    PART(hourly,               RecordTable<HourlyRecord>,        kMain,   1)                   \
  TABLE(kFileTraffic, "FileTraffic", kWithDatabase, "bytes sent per resource and day")         \
    PART(file_traffic,         RecordTable<FileTrafficRecord>,   kMain,   2)                   \
  TABLE(kResources, "Resources", kWithDatabase,                                                \
        "requested resource paths; error records indexed by status, resource, referrer")       \
    PART(error_records,        RecordTable<ErrorRecord>,         kMain,   1)                   \
    PART(resources,            StringTable,                      kSecond, 0)                   \
  TABLE(kSpiders, "Spiders", kWithDatabase, "one record per request from a spider")            \
    PART(spiders,              RecordTable<SpiderHitRecord>,     kMain,   1)                   \
  TABLE(kUserAgents, "UserAgents", kWithDatabase, "user-agent strings and what they are")      \
    PART(user_agent_strings,   StringTable,                      kMain,   0)                   \
    PART(user_agents,          RecordTable<UserAgentRecord>,     kSecond, 0)                   \
  TABLE(kReferers, "Referers", kWithDatabase, "referrer URLs and what they are")               \
    PART(referer_strings,      StringTable,                      kMain,   0)                   \
    PART(referers,             RecordTable<RefererRecord>,       kSecond, 0)                   \
  TABLE(kDownloads, "Downloads", kWithDatabase, "per-visit lists of downloaded resource ids")  \
    PART(downloads,            SequenceTable,                    kMain,   0)                   \
  TABLE(kImages, "Images", kWithDatabase, "per-visit lists of image resource ids")             \
    PART(images,               SequenceTable,                    kMain,   0)                   \
  TABLE(kPages, "Pages", kWithDatabase, "per-visit page paths")                                \
    PART(pages,                SequenceTable,                    kMain,   0)                   \
  TABLE(kErrors, "Errors", kWithDatabase, "per-visit lists of error record numbers")           \
    PART(errors,               SequenceTable,                    kMain,   0)                   \
  TABLE(kBrowsers, "Browsers", kWithDatabase, "browser names")                                 \
    PART(browsers,             StringTable,                      kMain,   0)                   \
  TABLE(kOses, "Oses", kWithDatabase, "operating-system names")                                \
    PART(oses,                 StringTable,                      kMain,   0)                   \
  TABLE(kRefDomains, "RefDomains", kWithDatabase, "referring domains")                         \
    PART(ref_domains,          StringTable,                      kMain,   0)                   \
  TABLE(kSearchFrases, "SearchFrases", kWithDatabase,                                          \
        "search phrases as ascending lists of SearchWords ids")                                \
    PART(search_phrases,       SequenceTable,                    kMain,   0)                   \
  TABLE(kSearchWords, "SearchWords", kWithDatabase, "single search words")                     \
    PART(search_words,         StringTable,                      kMain,   0)                   \
  TABLE(kSearchFrasesExact, "SearchFrasesExact", kWithDatabase, "search phrases as typed")     \
    PART(search_phrases_exact, StringTable,                      kMain,   0)                   \
  TABLE(kParsedLogs, "ParsedLogs", kOnDemand, "names of the log files already parsed")         \
    PART(parsed_logs,          StringTable,                      kMain,   0)
// clang-format on

// Expansions for the rows of the kind a use of the list leaves out, and for counting rows.
#define VELMORA_WORKSPACE_ROW_SKIPPED(...)
#define VELMORA_WORKSPACE_ROW_COUNTED(...) +1

namespace velmora {

inline constexpr size_t kWorkspaceTableCount =
    0 VELMORA_WORKSPACE_TABLES(VELMORA_WORKSPACE_ROW_COUNTED, VELMORA_WORKSPACE_ROW_SKIPPED);
inline constexpr size_t kWorkspacePartCount =
    0 VELMORA_WORKSPACE_TABLES(VELMORA_WORKSPACE_ROW_SKIPPED, VELMORA_WORKSPACE_ROW_COUNTED);

}  // namespace velmora
