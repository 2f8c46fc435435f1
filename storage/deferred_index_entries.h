// DeferredIndexEntries: the new entries of one sorted index of a record table, held back during a
// parse run and put into the index in batches. Inserting each at once moved every entry behind
// its place, and new keys of a busy day (a resource's traffic, an error) land among the many
// entries of that day: a block move per key that grew with the traffic.
//
// The keys held are distinct and absent from the index (the caller searched for them first),
// and the index is in key order, so inserting them in key order, each behind the entries of a
// key not greater, leaves the index exactly as one insert after another would. Until the Flush
// the caller finds them here. Nothing else may search the index meanwhile.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "storage/database_keys.h"
#include "storage/sorted_index.h"
#include "storage/table_file.h"

namespace velmora {

// A hash of an integer key or a pair or tuple of integers.
struct IndexKeyHash {
  template <class T>
  size_t operator()(const T& key) const {
    uint64_t h = 0;
    auto mix = [&h](auto part) {
      h = (h ^ static_cast<uint64_t>(part)) * 0x9E3779B97F4A7C15ull;
      h ^= h >> 29;
    };
    if constexpr (requires { std::tuple_size<T>::value; }) {
      std::apply([&](const auto&... parts) { (mix(parts), ...); }, key);
    } else {
      mix(key);
    }
    return static_cast<size_t>(h);
  }
};

template <class Key>
class DeferredIndexEntries {
 public:
  // The record number held back for `key`, or -1.
  int32_t Find(const Key& key) const {
    const auto it = held_.find(key);
    return it == held_.end() ? -1 : it->second;
  }
  // Room in `index` for the held entries and one more, so that a record is only added when its
  // entry can follow. False when the index could not grow.
  bool Reserve(TableFile& index) const {
    return index.Reserve(static_cast<int32_t>(held_.size()) + 1);
  }
  // Holds back the entry of record `n`, whose key is `key`; true when the batch is full and
  // wants a Flush.
  bool Add(const Key& key, int32_t n) {
    held_.emplace(key, n);
    return held_.size() >= kLongestBatch;
  }
  // Puts the held entries into `index`, whose entries' keys `key_of` gives, and forgets them.
  template <class KeyOf>
  bool Flush(TableFile& index, KeyOf&& key_of) {
    if (held_.empty()) return true;
    std::vector<std::pair<Key, int32_t>> sorted(held_.begin(), held_.end());
    held_.clear();
    std::sort(sorted.begin(), sorted.end());
    std::vector<uint32_t> entries;
    std::vector<int32_t> at;
    entries.reserve(sorted.size());
    at.reserve(sorted.size());
    const bool room = index.Reserve(static_cast<int32_t>(sorted.size()));
    // Each goes behind the entries whose keys are not greater; the keys ascend, so the search
    // for each starts where the previous one was placed.
    int32_t from = 0;
    for (const auto& [key, n] : sorted) {
      const auto compare = CompareKeyWith(key, key_of);
      from =
          GallopToFirstNotBelow(index, from, [&](uint32_t entry) { return compare(entry) >= 0; });
      entries.push_back(static_cast<uint32_t>(n));
      at.push_back(from);
    }
    return room && InsertEntriesAt(index, entries, at);
  }
  // Forgets the held entries without putting them into the index.
  void Clear() { held_.clear(); }
  size_t size() const { return held_.size(); }

 private:
  // Bounds the work of one Flush and what a run that stops without one leaves out.
  static constexpr size_t kLongestBatch = size_t{1} << 16;

  std::unordered_map<Key, int32_t, IndexKeyHash> held_;
};

}  // namespace velmora
