// TableIdCache: a hash index in front of the sorted-index search of a table of distinct items with
// stable ids (a StringTable's texts, a SequenceTable's sequences) for the items one parse run
// meets again and again. It holds only a 32-bit hash and the id per item and checks every hit
// against the table's own heap, so it can never answer with an id whose stored item differs from
// the one asked for, and it costs 8 bytes per distinct item, not a copy of it.
//
// The cache knows every item of the table: it reads them all at its first use, then notes each
// item added through it. A miss therefore means "not stored" without a search of the sorted
// index, and an add is the table's own Add, so the ids and every byte of the table files are
// those the table alone would give. Should the table's count differ from what the cache has seen
// (someone else added to it, or it was reopened smaller), the cache reads it again. Ids never
// change in a table, so entries stay true for as long as the table is the same one; Clear when it
// may have been replaced (a new run).
//
// `Keys` describes the table: its Table type, the Key it is asked with, Trim (the part of a key
// the table stores and compares), Hash of a key and StoredHash of a stored id, equal for equal
// items. The table provides Count, Holds(id, key), Add, AddUnindexed, IndexAdded, is_open and
// index().
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

template <class Keys>
class TableIdCache {
 public:
  using Table = typename Keys::Table;
  using Key = typename Keys::Key;

  // Table::Find through the cache.
  int32_t Find(Table& table, Key key) {
    Complete(table);
    key = Keys::Trim(key);
    return Lookup(table, key, Keys::Hash(key));
  }
  // Table::FindOrAdd through the cache; -1 when the table could not grow.
  int32_t FindOrAdd(Table& table, Key key) {
    Complete(table);
    key = Keys::Trim(key);
    const uint32_t hash = Keys::Hash(key);
    const int32_t id = Lookup(table, key, hash);
    return id >= 0 ? id : AddHashed(table, key, hash);
  }
  // Adds `key`, which Find has just failed to find: Table::Add, or while deferring
  // Table::AddUnindexed, with the id kept for Flush. -1 when the table could not grow.
  int32_t Add(Table& table, Key key) {
    key = Keys::Trim(key);
    return AddHashed(table, key, Keys::Hash(key));
  }
  // Deferring: the sorted index takes the added ids in batches (Flush), not one block move per
  // item. Only for a run in which nothing else searches or adds to the table; Flush before it
  // ends. Off by default.
  void set_deferring(bool deferring) { deferring_ = deferring; }
  // Puts the ids added since the last Flush into the table's sorted index.
  bool Flush(Table& table) {
    if (unindexed_.empty()) return true;
    if (!table.is_open()) {
      unindexed_.clear();
      return false;
    }
    const bool indexed = table.IndexAdded(unindexed_);
    unindexed_.clear();
    return indexed;
  }
  // Forgets everything and frees the slots (Flush first: unindexed ids are forgotten too).
  void Clear() {
    unindexed_ = {};
    slots_ = {};
    used_ = 0;
    known_ = -1;
  }

  size_t size() const { return used_; }

 private:
  static constexpr size_t kInitialSlots = 1024;
  // Bounds what a run that stops without its Flush leaves out of the index, and the list.
  static constexpr size_t kLongestBatch = size_t{1} << 16;

  struct Slot {
    uint32_t hash = 0;
    int32_t id = -1;  // -1: empty
  };

  // The cached id of `key` after checking it against `table`, or -1.
  int32_t Lookup(const Table& table, Key key, uint32_t hash) const {
    if (slots_.empty()) return -1;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.id < 0) return -1;
      if (slot.hash == hash && table.Holds(slot.id, key)) return slot.id;
    }
  }

  void Insert(uint32_t hash, int32_t id) {
    if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].id >= 0) i = (i + 1) & mask;
    slots_[i] = Slot{hash, id};
    ++used_;
  }

  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? kInitialSlots : old.size() * 2, Slot{});
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.id < 0) continue;
      size_t i = slot.hash & mask;
      while (slots_[i].id >= 0) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  // Adds the entry of an item just added as `id`, or marks the cache out of step.
  void Note(const Table& table, uint32_t hash, int32_t id) {
    if (known_ >= 0 && id == known_ && table.Count() == known_ + 1) {
      Insert(hash, id);
      known_ = id + 1;
    } else {
      known_ = -1;  // out of step: read the table again at the next use
    }
  }

  int32_t AddHashed(Table& table, Key key, uint32_t hash) {
    if (!deferring_) {
      const int32_t id = table.Add(key);
      if (id >= 0) Note(table, hash, id);
      return id;
    }
    const int32_t id = table.AddUnindexed(key);
    if (id < 0) return id;
    unindexed_.push_back(id);
    Note(table, hash, id);
    if (unindexed_.size() >= kLongestBatch) Flush(table);
    return id;
  }

  // Reads every item of `table` again unless the cache has seen exactly its count.
  void Complete(const Table& table) {
    const int32_t count = table.Count();
    if (known_ == count) return;
    slots_ = {};
    used_ = 0;
    for (int32_t id = 0; id < count; ++id) Insert(Keys::StoredHash(table, id), id);
    known_ = count;
    // Items a run that was stopped left out of the sorted index are the last ids: the next
    // Flush indexes them with the new ones.
    if (unindexed_.empty()) {
      for (int32_t id = table.index().Count(); id < count; ++id) unindexed_.push_back(id);
    }
  }

  std::vector<Slot> slots_;  // open addressing, linear probing; size a power of two or 0
  size_t used_ = 0;
  int32_t known_ = -1;  // the table's count the slots stand for; -1: not read yet
  bool deferring_ = false;
  std::vector<int32_t> unindexed_;  // added while deferring, not in the sorted index yet
};

}  // namespace velmora
