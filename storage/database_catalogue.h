// The catalogue of the workspace database: every table of database/, in the order Open opens
// them, with its shape, as the registry (workspace_tables.h) lists them. Tools that list or dump
// tables read it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/workspace_layout.h"
#include "storage/workspace_tables.h"

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

// The tables' names, one constant a table: kSessions = "Sessions", kHourly = "Hourly" and so on.
namespace table_name {
#define VELMORA_TABLE_NAME(constant, name, use, content) \
  inline constexpr std::string_view constant = name;
VELMORA_WORKSPACE_TABLES(VELMORA_TABLE_NAME, VELMORA_WORKSPACE_ROW_SKIPPED)
#undef VELMORA_TABLE_NAME
}  // namespace table_name

// The tables: those that Open opens, in its order, then ParsedLogs.
std::span<const CatalogueEntry> DatabaseCatalogue();
// The entry of `name` (exact spelling), or null.
const CatalogueEntry* FindCatalogueEntry(std::string_view name);

}  // namespace velmora
