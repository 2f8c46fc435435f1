// Keeping a time index ordered while its keys change. The sorted indexes of the visit, hourly,
// file-traffic and spider tables are not filled by InsertSorted: a new record's number is
// appended at the end of each index (where, as logs arrive mostly in time order, it nearly
// always stays), and an entry whose key changed is moved from its old place to its new one by
// comparing it with its neighbours:
//
//  1. the only entry stays;
//  2. the first entry is looked up (upper bound) among the entries after it;
//  3. the last entry is looked up among the entries before it;
//  4. any other entry moves up when its key is not less than the next one's, down when it is
//     less than the previous one's, and stays otherwise;
//  5. upper-bound lookups put an entry behind its equals, so equal keys keep arrival order.
//
// `key_of(record)` returns a totally ordered key (uint64_t, a tuple, ...) of a record number;
// it must accept any 32-bit value, since a damaged index may hold anything.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/byte_order.h"
#include "storage/sorted_index.h"
#include "storage/table_file.h"

namespace velmora {

// Moves entry `from` of a 4-byte index to position `to`, shifting the entries between by one.
inline void MoveIndexEntry(TableFile& index, int32_t from, int32_t to) {
  if (from == to) return;
  const uint32_t entry = index.Entry(from);
  if (from < to) {
    std::memmove(index.UnitAt(from), index.UnitAt(from + 1), static_cast<size_t>(to - from) * 4);
  } else {
    std::memmove(index.UnitAt(to + 1), index.UnitAt(to), static_cast<size_t>(from - to) * 4);
  }
  index.SetEntry(to, entry);
}

// Moves the entry at `position` to its place after its key changed; returns its new position,
// or -1 when `position` is not an entry of the index.
template <class KeyOf>
int32_t SettleIndexEntry(TableFile& index, int32_t position, KeyOf&& key_of) {
  const int32_t count = index.Count();
  if (position < 0 || position >= count) return -1;
  if (count == 1) return position;
  const auto key = key_of(index.Entry(position));
  auto compare = [&](uint32_t entry) { return ThreeWay(key, key_of(entry)); };
  auto upper_bound = [&](int32_t first, int32_t n) {
    return SearchIndex(index, compare, SearchMode::kUpperBound, first, n).position;
  };
  const int32_t last = count - 1;
  int32_t to = position;
  if (position == 0) {
    const int32_t p = upper_bound(1, last);
    if (p > 1) to = p - 1;
  } else if (position == last) {
    const int32_t p = upper_bound(0, last);
    if (p < last) to = p;
  } else if (compare(index.Entry(position + 1)) >= 0) {
    to = upper_bound(position + 1, last - position) - 1;
  } else if (compare(index.Entry(position - 1)) < 0) {
    to = upper_bound(0, position);
  }
  MoveIndexEntry(index, position, to);
  return to;
}

// Appends `record` at the end of the index and moves it to its place. Returns its position,
// or -1 when the index could not grow.
template <class KeyOf>
int32_t AddIndexEntry(TableFile& index, uint32_t record, KeyOf&& key_of) {
  const int32_t pos = index.Append();
  if (pos < 0) return -1;
  index.SetEntry(pos, record);
  return SettleIndexEntry(index, pos, key_of);
}

}  // namespace velmora
