// SequenceIdCache: the id cache (table_id_cache.h) of a SequenceTable, for the visit lists a parse
// run stores. Most lists of a large database are new, so besides the searches it saves, its
// deferred indexing matters most: one sorted insert per new list moves half the index on
// average, a cost that grows with the database.
#pragma once

#include <cstdint>
#include <span>

#include "analysis/caches/table_id_cache.h"
#include "storage/sequence_table.h"

namespace velmora {

struct SequenceTableKeys {
  using Table = SequenceTable;
  using Key = std::span<const int32_t>;
  // The table stores a sequence up to its first -1, and so does the cache.
  static Key Trim(Key values);
  static uint32_t Hash(Key values);
  static uint32_t StoredHash(const SequenceTable& table, int32_t id);
};

using SequenceIdCache = TableIdCache<SequenceTableKeys>;

}  // namespace velmora
