#include "storage/sequence_table.h"

#include <vector>

#include "storage/sorted_index.h"

namespace velmora {
namespace {

// The values up to (without) the first terminator.
std::span<const int32_t> UpToTerminator(std::span<const int32_t> values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i] == -1) return values.first(i);
  }
  return values;
}

}  // namespace

std::vector<int32_t> SequenceView::ToVector() const {
  std::vector<int32_t> out(static_cast<size_t>(size_));
  for (int32_t i = 0; i < size_; ++i) out[static_cast<size_t>(i)] = (*this)[i];
  return out;
}

int SequenceTable::CompareAt(std::span<const int32_t> key, int64_t offset) const {
  const unsigned char* stored = offset >= 0 ? heap().UnitAt(static_cast<int32_t>(offset)) : nullptr;
  const size_t available = stored != nullptr ? static_cast<size_t>(heap().Count() - offset) : 0;
  for (size_t i = 0;; ++i) {
    const int32_t a = i < key.size() ? key[i] : -1;
    const int32_t b = i < available ? static_cast<int32_t>(LoadLE32(stored + i * 4)) : -1;
    if (a != b) return a < b ? -1 : 1;
    if (a == -1) return 0;
  }
}

int32_t SequenceTable::Find(std::span<const int32_t> values) const {
  if (!is_open()) return -1;
  values = UpToTerminator(values);
  auto compare = [&](uint32_t id) {
    return CompareAt(values, HeapOffset(static_cast<int32_t>(id)));
  };
  const SearchResult at = SearchIndex(index(), compare, SearchMode::kExact);
  if (at.found) return static_cast<int32_t>(index().Entry(at.position));
  // Sequences added but not indexed yet (AddUnindexed) are the last ids; a table whose index is
  // complete has none.
  for (int32_t id = index().Count(); id < Count(); ++id) {
    if (Holds(id, values)) return id;
  }
  return -1;
}

int32_t SequenceTable::Store(std::span<const int32_t> values) {
  const auto heap_units = static_cast<int32_t>(values.size() + 1);
  const int32_t id = offsets().Count();
  offsets().SetEntry(offsets().Append(), static_cast<uint32_t>(heap().Count()));
  const int32_t first = heap().AppendMany(heap_units);
  for (size_t i = 0; i < values.size(); ++i) {
    heap().SetEntry(first + static_cast<int32_t>(i), static_cast<uint32_t>(values[i]));
  }
  heap().SetEntry(first + heap_units - 1, kSequenceTerminator);
  return id;
}

int32_t SequenceTable::Add(std::span<const int32_t> values) {
  values = UpToTerminator(values);
  if (values.size() >= static_cast<size_t>(INT32_MAX / 4)) return -1;
  if (!ReserveItem(static_cast<int32_t>(values.size() + 1))) return -1;
  auto compare = [&](uint32_t other) {
    return CompareAt(values, HeapOffset(static_cast<int32_t>(other)));
  };
  const SearchResult lower = SearchIndex(index(), compare, SearchMode::kStrictLower);
  const int32_t pos = lower.found ? index().InsertAt(lower.position + 1) : index().Append();
  index().SetEntry(pos, static_cast<uint32_t>(offsets().Count()));
  return Store(values);
}

int32_t SequenceTable::AddUnindexed(std::span<const int32_t> values) {
  values = UpToTerminator(values);
  if (values.size() >= static_cast<size_t>(INT32_MAX / 4)) return -1;
  if (!offsets().Reserve(1) || !heap().Reserve(static_cast<int32_t>(values.size() + 1))) {
    return -1;
  }
  return Store(values);
}

bool SequenceTable::IndexAdded(std::span<const int32_t> ids) {
  // The order CompareAt gives: element by element as signed numbers, the terminator (-1) included.
  const std::vector<int32_t> sorted = SortedByItem(
      ids, [this](int32_t id) { return Get(id); },
      [](const SequenceView& x, const SequenceView& y) {
        for (int32_t i = 0;; ++i) {
          const int32_t p = i < x.size() ? x[i] : -1;
          const int32_t q = i < y.size() ? y[i] : -1;
          if (p != q) return p < q ? -1 : 1;
          if (p == -1) return 0;
        }
      });
  return IndexSorted(sorted, [this](int32_t id) {
    return [this, values = Get(id).ToVector()](uint32_t other) {
      return CompareAt(values, HeapOffset(static_cast<int32_t>(other)));
    };
  });
}

bool SequenceTable::Holds(int32_t id, std::span<const int32_t> values) const {
  const int64_t offset = HeapOffset(id);
  if (offset < 0) return false;
  values = UpToTerminator(values);
  return CompareAt(values, offset) == 0;
}

int32_t SequenceTable::FindOrAdd(std::span<const int32_t> values) {
  const int32_t id = Find(values);
  return id >= 0 ? id : Add(values);
}

SequenceView SequenceTable::Get(int32_t id) const {
  const int64_t offset = HeapOffset(id);
  if (offset < 0) return {};
  const int32_t end = heap().Count();
  int32_t pos = static_cast<int32_t>(offset);
  while (pos < end && heap().Entry(pos) != kSequenceTerminator) ++pos;
  return {heap().UnitAt(static_cast<int32_t>(offset)), pos - static_cast<int32_t>(offset)};
}

}  // namespace velmora
