#include "storage/database_catalogue.h"

#include <array>
#include <type_traits>

#include "storage/indexed_table.h"
#include "storage/records.h"
#include "storage/sequence_table.h"
#include "storage/string_table.h"

namespace velmora {
namespace {

template <class Part>
constexpr TableShape ShapeOf() {
  if constexpr (std::is_base_of_v<IndexedTable, Part>) {
    return TableShape::kRecords;
  } else if constexpr (std::is_same_v<Part, StringTable>) {
    return TableShape::kStrings;
  } else {
    static_assert(std::is_same_v<Part, SequenceTable>);
    return TableShape::kSequences;
  }
}

// Adds a part of `shape` to the table of `entry`. A table's record indexes are those of its first
// record part. Strings and records make the one mixed shape; a list that asks for another mix, or
// for sorted indexes a part cannot have, stops the constant evaluation below at a throw.
constexpr void AddPart(CatalogueEntry& entry, bool first_part, TableShape shape, int indexes) {
  if (shape == TableShape::kRecords ? indexes < 0 || indexes > 2 : indexes != 0) {
    throw "a part has sorted indexes its kind cannot have";
  }
  if (first_part) {
    entry.shape = shape;
    entry.record_indexes = indexes;
    return;
  }
  const bool records_before =
      entry.shape == TableShape::kRecords || entry.shape == TableShape::kStringsAndRecords;
  if (shape == TableShape::kRecords && !records_before) entry.record_indexes = indexes;
  if (entry.shape == shape) return;
  if (shape == TableShape::kSequences || entry.shape == TableShape::kSequences) {
    throw "a table mixes sequences with other parts";
  }
  entry.shape = TableShape::kStringsAndRecords;
}

constexpr std::array<CatalogueEntry, kWorkspaceTableCount> BuildCatalogue() {
  std::array<CatalogueEntry, kWorkspaceTableCount> entries{};
  size_t tables = 0;
  bool first_part = false;
#define VELMORA_CATALOGUE_TABLE(constant, name, use, content)                   \
  entries[tables++] = {table_name::constant, TableShape::kRecords, 0, content}; \
  first_part = true;
#define VELMORA_CATALOGUE_PART(accessor, Type, slot, indexes)         \
  AddPart(entries[tables - 1], first_part, ShapeOf<Type>(), indexes); \
  first_part = false;
  VELMORA_WORKSPACE_TABLES(VELMORA_CATALOGUE_TABLE, VELMORA_CATALOGUE_PART)
#undef VELMORA_CATALOGUE_TABLE
#undef VELMORA_CATALOGUE_PART
  return entries;
}

constexpr std::array<CatalogueEntry, kWorkspaceTableCount> kCatalogue = BuildCatalogue();

}  // namespace

std::span<const CatalogueEntry> DatabaseCatalogue() { return kCatalogue; }

const CatalogueEntry* FindCatalogueEntry(std::string_view name) {
  for (const CatalogueEntry& entry : kCatalogue) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

}  // namespace velmora
