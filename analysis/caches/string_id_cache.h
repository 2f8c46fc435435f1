// StringIdCache: the id cache (table_id_cache.h) of a StringTable, for the texts one parse run
// meets again and again (resources, user agents, referrers).
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/caches/table_id_cache.h"
#include "storage/string_table.h"

namespace velmora {

struct StringTableKeys {
  using Table = StringTable;
  using Key = std::string_view;
  // The table stores and compares texts only up to their first NUL, and so does the cache.
  static Key Trim(Key text) { return text.substr(0, text.find('\0')); }
  static uint32_t Hash(Key text);
  static uint32_t StoredHash(const StringTable& table, int32_t id) { return Hash(table.Get(id)); }
};

using StringIdCache = TableIdCache<StringTableKeys>;

}  // namespace velmora
