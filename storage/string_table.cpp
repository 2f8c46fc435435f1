#include "storage/string_table.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "storage/sorted_index.h"

namespace velmora {
namespace {

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

int StringTable::CompareAt(std::string_view key, int64_t offset) const {
  const unsigned char* stored = offset >= 0 ? heap().UnitAt(static_cast<int32_t>(offset)) : nullptr;
  const size_t available = stored != nullptr ? static_cast<size_t>(heap().Count() - offset) : 0;
  for (size_t i = 0;; ++i) {
    const unsigned a = i < key.size() ? static_cast<unsigned char>(key[i]) : 0u;
    const unsigned b = i < available ? stored[i] : 0u;
    if (a != b) return a < b ? -1 : 1;
    if (a == 0) return 0;
  }
}

int32_t StringTable::Find(std::string_view text) const {
  if (!is_open()) return -1;
  text = UpToNul(text);
  auto compare = [&](uint32_t id) { return CompareAt(text, HeapOffset(static_cast<int32_t>(id))); };
  const SearchResult at = SearchIndex(index(), compare, SearchMode::kExact);
  if (at.found) return static_cast<int32_t>(index().Entry(at.position));
  // Texts added but not indexed yet (AddUnindexed) are the last ids; a table whose index is
  // complete has none.
  for (int32_t id = index().Count(); id < Count(); ++id) {
    if (Get(id) == text) return id;
  }
  return -1;
}

int32_t StringTable::Add(std::string_view text) {
  text = UpToNul(text);
  if (text.size() >= static_cast<size_t>(INT32_MAX)) return -1;
  const auto heap_units = static_cast<int32_t>(text.size() + 1);
  if (!ReserveItem(heap_units)) return -1;

  const int32_t id = offsets().Count();
  const int32_t offset = heap().Count();
  auto compare = [&](uint32_t other) {
    return CompareAt(text, HeapOffset(static_cast<int32_t>(other)));
  };
  const SearchResult lower = SearchIndex(index(), compare, SearchMode::kStrictLower);
  const int32_t pos = lower.found ? index().InsertAt(lower.position + 1) : index().Append();
  index().SetEntry(pos, static_cast<uint32_t>(id));
  offsets().SetEntry(offsets().Append(), static_cast<uint32_t>(offset));
  unsigned char* bytes = heap().UnitAt(heap().AppendMany(heap_units));
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = 0;
  return id;
}

int32_t StringTable::AddUnindexed(std::string_view text) {
  text = UpToNul(text);
  if (text.size() >= static_cast<size_t>(INT32_MAX)) return -1;
  const auto heap_units = static_cast<int32_t>(text.size() + 1);
  if (!offsets().Reserve(1) || !heap().Reserve(heap_units)) return -1;
  const int32_t id = offsets().Count();
  const int32_t offset = heap().Count();
  offsets().SetEntry(offsets().Append(), static_cast<uint32_t>(offset));
  unsigned char* bytes = heap().UnitAt(heap().AppendMany(heap_units));
  std::memcpy(bytes, text.data(), text.size());
  bytes[text.size()] = 0;
  return id;
}

bool StringTable::IndexAdded(std::span<const int32_t> ids) {
  // Most comparisons of a batch are settled by the first eight bytes, kept beside the text so
  // that the sort does not reach into the heap for them. A stored text holds no NUL, so padding
  // with zeros orders a shorter text before a longer one it begins, as byte order does.
  struct KeyedText {
    uint64_t prefix;
    std::string_view text;
  };
  const std::vector<int32_t> sorted = SortedByItem(
      ids,
      [this](int32_t id) {
        const std::string_view text = Get(id);
        uint64_t prefix = 0;
        for (size_t i = 0; i < 8 && i < text.size(); ++i) {
          prefix |= uint64_t{static_cast<unsigned char>(text[i])} << (56 - 8 * i);
        }
        return KeyedText{prefix, text};
      },
      [](const KeyedText& a, const KeyedText& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
        return a.text.compare(b.text);
      });
  return IndexSorted(sorted, [this](int32_t id) {
    return [this, text = Get(id)](uint32_t other) {
      return CompareAt(text, HeapOffset(static_cast<int32_t>(other)));
    };
  });
}

int32_t StringTable::FindOrAdd(std::string_view text) {
  const int32_t id = Find(text);
  return id >= 0 ? id : Add(text);
}

std::string_view StringTable::Get(int32_t id) const {
  const int64_t offset = HeapOffset(id);
  if (offset < 0) return {};
  const auto* stored = reinterpret_cast<const char*>(heap().UnitAt(static_cast<int32_t>(offset)));
  const auto available = static_cast<size_t>(heap().Count() - offset);
  const void* nul = std::memchr(stored, 0, available);
  return {stored,
          nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - stored) : available};
}

bool StringTable::Holds(int32_t id, std::string_view text) const {
  const int64_t offset = HeapOffset(id);
  if (offset < 0) return text.empty();
  const auto* stored = reinterpret_cast<const char*>(heap().UnitAt(static_cast<int32_t>(offset)));
  const auto available = static_cast<size_t>(heap().Count() - offset);
  if (available < text.size()) return false;
  if (std::memcmp(stored, text.data(), text.size()) != 0) return false;
  return available == text.size() || stored[text.size()] == '\0';
}

}  // namespace velmora
