// StringTable: a set of distinct strings with stable numbers (string ids), built from a byte
// heap of NUL-terminated strings, an offset table and a sorted index (heap_table_files.h).
// Strings order byte-wise as unsigned characters, as strcmp does. A string ends at its first
// NUL, so text is stored and looked up only up to any NUL it contains.
//
// Reads never leave the files: a damaged offset or a missing terminator ends a string at the
// end of the heap, and an id outside the table reads as the empty string.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "storage/heap_table_files.h"

namespace velmora {

class StringTable : public HeapTableFiles {
 public:
  explicit StringTable(Prompter& owner) : HeapTableFiles(owner, UnitSize::k1) {}

  // The id of `text`, or -1 when the table does not hold it (or is closed).
  int32_t Find(std::string_view text) const;
  // Stores `text`, which Find has just failed to find, and returns its new id; -1 when a file
  // could not grow, in which case nothing was added.
  int32_t Add(std::string_view text);
  // Find, then Add when missing.
  int32_t FindOrAdd(std::string_view text);

  // Add without the sorted index, for a caller that keeps its own lookup of what it adds (a
  // parse run): heap and offsets only, and the sorted index takes it at IndexAdded. -1 when a
  // file could not grow. Until then Find looks for it among the ids the index lacks, one by
  // one: those are the last ids while the index takes every id in order.
  int32_t AddUnindexed(std::string_view text);
  // Puts `ids` (from AddUnindexed, of distinct texts the index does not hold) into the sorted
  // index where one Add after another would have put them: sorted among themselves, then each
  // placed behind the last indexed text below it, in one pass over the index. False, with the
  // index unchanged, when it could not grow.
  bool IndexAdded(std::span<const int32_t> ids);

  // The string of `id`; empty for an id outside the table. Valid until the next Add.
  std::string_view Get(int32_t id) const;
  // Get(id) == text for a `text` without NULs, without measuring the stored string first.
  bool Holds(int32_t id, std::string_view text) const;

 private:
  // strcmp of `key` against the string at heap offset `offset` (-1: the empty string).
  int CompareAt(std::string_view key, int64_t offset) const;
};

}  // namespace velmora
