#include "analysis/string_id_cache.h"

#include <functional>

namespace velmora {
namespace {

constexpr size_t kInitialSlots = 1024;

// The table stores and compares texts only up to their first NUL, and so does the cache.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

uint32_t HashOf(std::string_view text) {
  const uint64_t h = std::hash<std::string_view>{}(text);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

int32_t StringIdCache::Lookup(const StringTable& table, std::string_view text,
                              uint32_t hash) const {
  if (slots_.empty()) return -1;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.id < 0) return -1;
    if (slot.hash == hash && table.Holds(slot.id, text)) return slot.id;
  }
}

void StringIdCache::Insert(uint32_t hash, int32_t id) {
  if ((used_ + 1) * 4 > slots_.size() * 3) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].id >= 0) i = (i + 1) & mask;
  slots_[i] = Slot{hash, id};
  ++used_;
}

void StringIdCache::Grow() {
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

void StringIdCache::Complete(const StringTable& table) {
  const int32_t count = table.Count();
  if (known_ == count) return;
  slots_ = {};
  used_ = 0;
  for (int32_t id = 0; id < count; ++id) Insert(HashOf(table.Get(id)), id);
  known_ = count;
  // Texts a run that was stopped left out of the sorted index are the last ids: the next Flush
  // indexes them with the new ones.
  if (unindexed_.empty()) {
    for (int32_t id = table.index().Count(); id < count; ++id) unindexed_.push_back(id);
  }
}

int32_t StringIdCache::Find(StringTable& table, std::string_view text) {
  Complete(table);
  text = UpToNul(text);
  return Lookup(table, text, HashOf(text));
}

int32_t StringIdCache::FindOrAdd(StringTable& table, std::string_view text) {
  Complete(table);
  text = UpToNul(text);
  const uint32_t hash = HashOf(text);
  int32_t id = Lookup(table, text, hash);
  if (id >= 0) return id;
  return AddHashed(table, text, hash);
}

int32_t StringIdCache::Add(StringTable& table, std::string_view text) {
  text = UpToNul(text);
  return AddHashed(table, text, HashOf(text));
}

int32_t StringIdCache::AddHashed(StringTable& table, std::string_view text, uint32_t hash) {
  // Bounds what a run that stops without its Flush leaves out of the index, and the list.
  constexpr size_t kLongestBatch = size_t{1} << 16;
  if (!deferring_) {
    const int32_t id = table.Add(text);
    if (id >= 0) Note(table, hash, id);
    return id;
  }
  const int32_t id = table.AddUnindexed(text);
  if (id < 0) return id;
  unindexed_.push_back(id);
  Note(table, hash, id);
  if (unindexed_.size() >= kLongestBatch) Flush(table);
  return id;
}

bool StringIdCache::Flush(StringTable& table) {
  if (unindexed_.empty()) return true;
  if (!table.is_open()) {
    unindexed_.clear();
    return false;
  }
  const bool indexed = table.IndexAdded(unindexed_);
  unindexed_.clear();
  return indexed;
}

void StringIdCache::Note(const StringTable& table, uint32_t hash, int32_t id) {
  if (known_ >= 0 && id == known_ && table.Count() == known_ + 1) {
    Insert(hash, id);
    known_ = id + 1;
  } else {
    known_ = -1;  // out of step: read the table again at the next use
  }
}

void StringIdCache::Clear() {
  unindexed_ = {};
  slots_ = {};
  used_ = 0;
  known_ = -1;
}

}  // namespace velmora
