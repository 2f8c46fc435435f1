// StringIdCache: a hash index in front of a StringTable's sorted-index search for the texts one
// parse run meets again and again (resources, user agents, referrers). It holds only a 32-bit hash
// and the string id per text and checks every hit against the table's own heap, so it can never
// answer with an id whose stored text differs from the text asked for, and it costs 8 bytes per
// distinct text, not a copy of it.
//
// The cache knows every string of the table: it reads them all at its first use, then notes each
// string added through it. A miss therefore means "not stored" without a search of the sorted
// index, and an add is the table's own Add, so the ids and every byte of the table files are
// those the table alone would give. Should the table's count differ from what the cache has seen
// (someone else added to it, or it was reopened smaller), the cache reads it again. Ids never
// change in a table, so entries stay true for as long as the table is the same one; Clear when it
// may have been replaced (a new run).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "storage/string_table.h"

namespace velmora {

class StringIdCache {
 public:
  // StringTable::Find through the cache.
  int32_t Find(StringTable& table, std::string_view text);
  // StringTable::FindOrAdd through the cache; -1 when the table could not grow.
  int32_t FindOrAdd(StringTable& table, std::string_view text);
  // Adds `text`, which Find has just failed to find: StringTable::Add, or while deferring
  // StringTable::AddUnindexed, with the id kept for Flush. -1 when the table could not grow.
  int32_t Add(StringTable& table, std::string_view text);
  // Deferring: the sorted index takes the added ids in batches (Flush), not one block move per
  // text. Only for a run in which nothing else searches or adds to the table; Flush before it
  // ends. Off by default.
  void set_deferring(bool deferring) { deferring_ = deferring; }
  // Puts the ids added since the last Flush into the table's sorted index.
  bool Flush(StringTable& table);
  // Forgets everything and frees the slots (Flush first: unindexed ids are forgotten too).
  void Clear();

  size_t size() const { return used_; }

 private:
  struct Slot {
    uint32_t hash = 0;
    int32_t id = -1;  // -1: empty
  };

  // The cached id of `text` after checking it against `table`, or -1.
  int32_t Lookup(const StringTable& table, std::string_view text, uint32_t hash) const;
  void Insert(uint32_t hash, int32_t id);
  void Grow();
  // Adds the entry of a string just added as `id`, or marks the cache out of step.
  void Note(const StringTable& table, uint32_t hash, int32_t id);
  int32_t AddHashed(StringTable& table, std::string_view text, uint32_t hash);
  // Reads every string of `table` again unless the cache has seen exactly its count.
  void Complete(const StringTable& table);

  std::vector<Slot> slots_;  // open addressing, linear probing; size a power of two or 0
  size_t used_ = 0;
  int32_t known_ = -1;  // the table's count the slots stand for; -1: not read yet
  bool deferring_ = false;
  std::vector<int32_t> unindexed_;  // added while deferring, not in the sorted index yet
};

}  // namespace velmora
