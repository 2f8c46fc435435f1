// Sorted indexes: 4-byte table files whose entries are record numbers or string ids, kept in
// ascending order of a key that lives elsewhere (in the record, or in a string heap). The index
// never holds keys itself, so a lookup is a binary search that reads the index in place through
// a comparison callback, with no copy of either table.
//
// The bisection is the C library's: with lo, hi and num it probes the middle of the range and
// stops at the first equal entry it meets, or when the range is empty; the three modes differ
// only in what they return from there. Equal keys are found in arrival order because inserts go
// behind their equals. Every read stays inside [first, first + count), whatever the entries say.
#pragma once

#include <algorithm>
#include <compare>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/byte_order.h"
#include "storage/table_file.h"

namespace velmora {

enum class SearchMode : uint8_t {
  kExact = 0,        // an entry whose key equals the key; -1 and not found otherwise
  kUpperBound = 1,   // just behind the last entry whose key is <= the key (where an equal goes)
  kStrictLower = 2,  // the last entry whose key is < the key, or -1
};

struct SearchResult {
  int32_t position = -1;
  bool found = false;
};

// Converts a three-way comparison into the <0 / 0 / >0 the searches take.
template <class T>
int ThreeWay(const T& a, const T& b) {
  const auto order = a <=> b;
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Searches entries first..first+count-1 of `index`. `compare(entry)` returns <0, 0 or >0 as
// the key sought orders before, with or after the key of the record that `entry` names.
// kExact: the position of an equal entry, found; else -1, not found.
// kUpperBound: the position behind the run of entries <= key (first + count when all are),
//   found; on an empty range -1, not found.
// kStrictLower: the position of the last entry < key, or -1; found unless the range is empty.
template <class Compare>
SearchResult SearchIndex(const TableFile& index, Compare&& compare, SearchMode mode, int32_t first,
                         int32_t count) {
  if (count <= 0 || first < 0 || count > index.Count() - first) return {};
  const unsigned char* base = index.UnitAt(0);
  auto cmp_at = [&](int64_t pos) { return compare(LoadLE32(base + pos * 4)); };
  const int64_t end = int64_t{first} + count;

  auto hit = [&](int64_t pos) -> SearchResult {
    switch (mode) {
      case SearchMode::kExact:
        break;
      case SearchMode::kUpperBound:
        for (++pos; pos < end && cmp_at(pos) == 0;) ++pos;
        break;
      case SearchMode::kStrictLower:
        for (--pos; pos >= first && cmp_at(pos) == 0;) --pos;
        break;
    }
    return {static_cast<int32_t>(pos), true};
  };
  // `greater` is the first position whose key is greater than the key sought.
  auto miss = [&](int64_t greater) -> SearchResult {
    switch (mode) {
      case SearchMode::kExact:
        return {};
      case SearchMode::kUpperBound:
        return {static_cast<int32_t>(greater), true};
      case SearchMode::kStrictLower:
        return {greater > first ? static_cast<int32_t>(greater - 1) : -1, true};
    }
    return {};
  };

  int64_t lo = first;
  int64_t hi = end - 1;
  int64_t num = count;
  while (lo <= hi) {
    const int64_t half = num / 2;
    if (half == 0) {  // one entry left
      const int c = cmp_at(lo);
      if (c == 0) return hit(lo);
      return miss(c < 0 ? lo : lo + 1);
    }
    const int64_t mid = lo + ((num & 1) ? half : half - 1);
    const int c = cmp_at(mid);
    if (c == 0) return hit(mid);
    if (c < 0) {
      if (mode == SearchMode::kUpperBound && num == 2) return {static_cast<int32_t>(mid), true};
      hi = mid - 1;
      num = (num & 1) ? half : half - 1;
    } else {
      lo = mid + 1;
      num = half;
    }
  }
  return miss(lo);
}

// The whole index.
template <class Compare>
SearchResult SearchIndex(const TableFile& index, Compare&& compare, SearchMode mode) {
  return SearchIndex(index, compare, mode, 0, index.Count());
}

// The first position at or behind `from` whose entry is not `below` (the count when every one
// is), for an index whose entries are below up to some position and not below from there on.
// Gallops from `from`, then bisects the last stride: a batch of ascending keys, each searched
// from where the previous one was placed, costs a comparison or two per key, not a whole search.
template <class Below>
int32_t GallopToFirstNotBelow(const TableFile& index, int32_t from, Below&& below) {
  const int64_t count = index.Count();
  const unsigned char* base = index.UnitAt(0);
  const auto below_at = [&](int64_t pos) { return below(LoadLE32(base + pos * 4)); };
  int64_t lo = std::clamp<int64_t>(from, 0, count);  // entries before lo are below
  int64_t hi = lo;  // the first entry not below lies at or before hi (count: none)
  for (int64_t stride = 1; hi < count && below_at(hi); stride *= 2) {
    lo = hi + 1;
    hi = std::min(count, hi + stride);
  }
  while (lo < hi) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (below_at(mid)) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return static_cast<int32_t>(lo);
}

// Inserts `entries` into `index`, entry j before the entry now at position at[j] (the count for
// the end), in one pass from the back; `at` must not descend. The room must have been reserved.
// False, with the index unchanged, when it could not grow.
inline bool InsertEntriesAt(TableFile& index, std::span<const uint32_t> entries,
                            std::span<const int32_t> at) {
  const auto k = static_cast<int32_t>(entries.size());
  const int32_t old_count = index.Count();
  if (k == 0) return true;
  if (index.AppendMany(k) < 0) return false;
  // From the back: the old entries from at[j] on move up by j + 1, the new one goes before them.
  int32_t end = old_count;
  for (int32_t j = k - 1; j >= 0; --j) {
    const int32_t p = std::min(at[static_cast<size_t>(j)], end);  // a damaged index may not ascend
    if (end > p) {
      std::memmove(index.UnitAt(p + j + 1), index.UnitAt(p), static_cast<size_t>(end - p) * 4);
    }
    index.SetEntry(p + j, entries[static_cast<size_t>(j)]);
    end = p;
  }
  return true;
}

// Inserts `value` behind every entry whose key is <= the key `compare` measures, so equal keys
// keep their order of arrival. Returns the position, or -1 when the index could not grow.
template <class Compare>
int32_t InsertSorted(TableFile& index, Compare&& compare, uint32_t value) {
  const SearchResult at = SearchIndex(index, compare, SearchMode::kUpperBound);
  const int32_t pos = at.found ? index.InsertAt(at.position) : index.Append();
  if (pos >= 0) index.SetEntry(pos, value);
  return pos;
}

}  // namespace velmora
