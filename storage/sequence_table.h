// SequenceTable: a set of distinct sequences of 32-bit values with stable numbers (sequence
// ids), built like a string table but with a heap of 4-byte units: each sequence is stored as
// its values followed by the terminator 0xFFFFFFFF, and offsets count in units. Sequences order
// element by element as signed numbers up to and including the terminator, so the terminator
// (-1) orders before every non-negative value and a prefix orders before its extensions.
//
// Values are ids (non-negative); a sequence ends at its first -1. Reads never leave the files: a
// missing terminator ends a sequence at the end of the heap.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/byte_order.h"
#include "storage/heap_table_files.h"

namespace velmora {

inline constexpr uint32_t kSequenceTerminator = 0xFFFFFFFFu;

// A stored sequence read in place, without its terminator. Valid until the next Add.
class SequenceView {
 public:
  SequenceView() = default;
  SequenceView(const unsigned char* units, int32_t size) : units_(units), size_(size) {}

  int32_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  int32_t operator[](int32_t i) const {
    return static_cast<int32_t>(LoadLE32(units_ + static_cast<size_t>(i) * 4));
  }
  std::vector<int32_t> ToVector() const;

 private:
  const unsigned char* units_ = nullptr;
  int32_t size_ = 0;
};

class SequenceTable : public HeapTableFiles {
 public:
  explicit SequenceTable(Prompter& owner) : HeapTableFiles(owner, UnitSize::k4) {}

  // The id of `values`, or -1 when the table does not hold it (or is closed).
  int32_t Find(std::span<const int32_t> values) const;
  // Stores `values`, which Find has just failed to find, and returns the new id; -1 when a file
  // could not grow, in which case nothing was added.
  int32_t Add(std::span<const int32_t> values);
  int32_t FindOrAdd(std::span<const int32_t> values);

  // Add without the sorted index, for a caller that keeps its own lookup of what it adds (a
  // parse run): heap and offsets only, and the sorted index takes it at IndexAdded. -1 when a
  // file could not grow. Until then Find looks for it among the ids the index lacks, one by one:
  // those are the last ids while the index takes every id in order.
  int32_t AddUnindexed(std::span<const int32_t> values);
  // Puts `ids` (from AddUnindexed, of distinct sequences the index does not hold) into the
  // sorted index where one Add after another would have put them. False, with the index
  // unchanged, when it could not grow.
  bool IndexAdded(std::span<const int32_t> ids);
  // Whether the sequence of `id` is `values` (up to its first -1).
  bool Holds(int32_t id, std::span<const int32_t> values) const;

  // The sequence of `id`; empty for an id outside the table.
  SequenceView Get(int32_t id) const;

 private:
  int CompareAt(std::span<const int32_t> key, int64_t offset) const;
  // Appends `values` and its terminator to the heap and its offset; the room must be reserved.
  int32_t Store(std::span<const int32_t> values);
};

}  // namespace velmora
