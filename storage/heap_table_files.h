// The three files behind a string or sequence table, which share one table name: the heap that
// holds the items one after another, the offset table (unit k = heap offset of item k) and the
// sorted index of item ids in ascending order of their items. An item id is its unit index in
// the offset table; it never changes.
//
// The members open (and are created) in the order heap, offsets, index, and a composite open
// stops at the first member that fails; members already open stay open until closed together.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/prompter.h"
#include "storage/sorted_index.h"
#include "storage/table_file.h"

namespace velmora {

// FileId of the heap of table number `n` (0 or 16); the offsets and index follow at +1 and +2.
constexpr uint32_t HeapTableFileId(uint32_t n) { return (n | 0x1000u) << 16; }

class HeapTableFiles {
 public:
  HeapTableFiles(Prompter& owner, UnitSize heap_unit)
      : heap_(owner, heap_unit), offsets_(owner, UnitSize::k4), index_(owner, UnitSize::k4) {}

  bool OpenOrCreate(std::string_view table_path, uint32_t table_number) {
    const uint32_t id = HeapTableFileId(table_number);
    return heap_.OpenOrCreate(table_path, id) && offsets_.OpenOrCreate(table_path, id + 1) &&
           index_.OpenOrCreate(table_path, id + 2);
  }
  bool Create(std::string_view table_path, uint32_t table_number) {
    const uint32_t id = HeapTableFileId(table_number);
    return heap_.Create(table_path, id) && offsets_.Create(table_path, id + 1) &&
           index_.Create(table_path, id + 2);
  }
  void Close() {
    heap_.Close();
    offsets_.Close();
    index_.Close();
  }
  bool is_open() const { return heap_.is_open() && offsets_.is_open() && index_.is_open(); }

  // Number of items (the offset table's record count).
  int32_t Count() const { return offsets_.Count(); }
  // The item id at position `pos` of the sorted index, -1 outside it.
  int32_t IdAtIndexPosition(int32_t pos) const {
    return pos >= 0 && pos < index_.Count() ? static_cast<int32_t>(index_.Entry(pos)) : -1;
  }

  TableFile& heap() { return heap_; }
  TableFile& offsets() { return offsets_; }
  TableFile& index() { return index_; }
  const TableFile& heap() const { return heap_; }
  const TableFile& offsets() const { return offsets_; }
  const TableFile& index() const { return index_; }

 protected:
  // Makes room for one more item of `heap_units` units in all three files, so that adding it
  // cannot stop half-way. False (nothing changed) when a file could not grow.
  bool ReserveItem(int32_t heap_units) {
    return index_.Reserve(1) && offsets_.Reserve(1) && heap_.Reserve(heap_units);
  }
  // Puts `sorted` (ids of distinct items the index does not hold, in ascending order of their
  // items) into the sorted index where one Add after another would have put them: each behind
  // the last indexed item below it, in one pass over the index. `compare_with(id)` gives the
  // three-way comparison of item `id` with an indexed id's item. False, with the index
  // unchanged, when it could not grow.
  template <class CompareWith>
  bool IndexSorted(std::span<const int32_t> sorted, CompareWith&& compare_with) {
    if (sorted.empty()) return true;
    if (!index_.Reserve(static_cast<int32_t>(sorted.size()))) return false;
    std::vector<uint32_t> entries(sorted.begin(), sorted.end());
    std::vector<int32_t> at(sorted.size());
    // Each item goes before the first entry not below it; the items ascend, so the search for
    // each starts where the previous one was placed.
    int32_t from = 0;
    for (size_t j = 0; j < sorted.size(); ++j) {
      const auto compare = compare_with(sorted[j]);
      from =
          GallopToFirstNotBelow(index_, from, [&](uint32_t entry) { return compare(entry) > 0; });
      at[j] = from;
    }
    return InsertEntriesAt(index_, entries, at);
  }

  // `ids` in ascending order of their items; `item_of(id)` is read once per id, not at every
  // comparison of the sort (reading an item measures it in the heap). `compare(a, b)` is
  // negative, zero or positive as a sorts before, with or after b: one comparison per step of the
  // sort, where a less-than needs two for every pair it finds not less. Equal items keep id order.
  template <class ItemOf, class Compare>
  static std::vector<int32_t> SortedByItem(std::span<const int32_t> ids, ItemOf&& item_of,
                                           Compare&& compare) {
    using Item = decltype(item_of(int32_t{}));
    std::vector<std::pair<Item, int32_t>> items;
    items.reserve(ids.size());
    for (const int32_t id : ids) items.emplace_back(item_of(id), id);
    std::sort(items.begin(), items.end(), [&compare](const auto& a, const auto& b) {
      const int order = compare(a.first, b.first);
      return order != 0 ? order < 0 : a.second < b.second;
    });
    std::vector<int32_t> sorted;
    sorted.reserve(items.size());
    for (const auto& item : items) sorted.push_back(item.second);
    return sorted;
  }

  // Heap offset of item `id`, or -1 when `id` or its offset lies outside the files.
  int64_t HeapOffset(int32_t id) const {
    if (id < 0 || id >= offsets_.Count()) return -1;
    const uint32_t offset = offsets_.Entry(id);
    return offset < static_cast<uint32_t>(heap_.Count()) ? int64_t{offset} : -1;
  }

 private:
  TableFile heap_;
  TableFile offsets_;
  TableFile index_;
};

}  // namespace velmora
