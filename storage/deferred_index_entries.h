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
    if (slots_.empty()) return -1;
    const size_t mask = slots_.size() - 1;
    const size_t hash = IndexKeyHash{}(key);
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const int32_t slot = slots_[i];
      if (slot == 0) return -1;
      const auto& [held_key, n] = held_[static_cast<size_t>(slot - 1)];
      if (held_key == key) return n;
    }
  }
  // Room in `index` for the held entries and one more, so that a record is only added when its
  // entry can follow. False when the index could not grow.
  bool Reserve(TableFile& index) const {
    return index.Reserve(static_cast<int32_t>(held_.size()) + 1);
  }
  // Holds back the entry of record `n`, whose key is `key`; a key held already keeps its first
  // record. True when the batch is full and wants a Flush.
  bool Add(const Key& key, int32_t n) {
    if (Find(key) >= 0) return held_.size() >= kLongestBatch;
    if ((held_.size() + 1) * 2 > slots_.size()) Grow();
    held_.emplace_back(key, n);
    Place(key, static_cast<int32_t>(held_.size()));
    return held_.size() >= kLongestBatch;
  }
  // Puts the held entries into `index`, whose entries' keys `key_of` gives, and forgets them.
  template <class KeyOf>
  bool Flush(TableFile& index, KeyOf&& key_of) {
    if (held_.empty()) return true;
    std::vector<std::pair<Key, int32_t>> sorted = std::move(held_);
    Clear();
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
  void Clear() {
    held_.clear();
    std::fill(slots_.begin(), slots_.end(), 0);
  }
  size_t size() const { return held_.size(); }

 private:
  // Bounds the work of one Flush and what a run that stops without one leaves out.
  static constexpr size_t kLongestBatch = size_t{1} << 16;
  static constexpr size_t kFewestSlots = 1024;

  // Slot for the held entry numbered `number` (its place in held_ plus one).
  void Place(const Key& key, int32_t number) {
    const size_t mask = slots_.size() - 1;
    const size_t hash = IndexKeyHash{}(key);
    size_t i = hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = number;
  }

  void Grow() {
    slots_.assign(std::max(kFewestSlots, slots_.size() * 2), 0);
    for (size_t j = 0; j < held_.size(); ++j) Place(held_[j].first, static_cast<int32_t>(j + 1));
  }

  // The held entries in the order they came, and an open-addressing table over them: a key is
  // found with one or two cache misses, where a node-based map chased a bucket and a node.
  std::vector<std::pair<Key, int32_t>> held_;
  std::vector<int32_t> slots_;  // held_ position plus one; 0 empty; size a power of two or 0
};

}  // namespace velmora
