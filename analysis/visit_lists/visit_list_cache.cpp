#include "analysis/visit_lists/visit_list_cache.h"

namespace velmora {

int32_t SessionDetailRecord::*VisitListHandleField(VisitListKind kind) {
  switch (kind) {
    case VisitListKind::kFullPathPages:
    case VisitListKind::kSummaryPages:
      return &SessionDetailRecord::page_path;
    case VisitListKind::kDownloads:
      return &SessionDetailRecord::downloads;
    case VisitListKind::kImages:
      return &SessionDetailRecord::images;
    case VisitListKind::kErrors:
      return &SessionDetailRecord::errors;
  }
  return &SessionDetailRecord::page_path;
}

VisitListCache::VisitListCache(VisitListKind kind, RecordTable<SessionDetailRecord>& details,
                               SequenceTable& table, SequenceIdCache* ids)
    : kind_(kind),
      field_(VisitListHandleField(kind)),
      details_(&details),
      table_(&table),
      ids_(ids) {}

bool VisitListCache::IsHeld(int32_t slot) const {
  if (slot < 0 || slot >= kVisitListSlots) return false;
  return (slot - head_ + kVisitListSlots) % kVisitListSlots < held();
}

int32_t VisitListCache::HeldSlotOf(int32_t visit, int32_t handle) const {
  if (!IsCachedListHandle(handle)) return -1;
  const int64_t slot = -2 - int64_t{handle};
  if (slot >= kVisitListSlots) return -1;
  const auto s = static_cast<int32_t>(slot);
  return IsHeld(s) && slots_[s].owner == visit ? s : -1;
}

void VisitListCache::SetHandle(int32_t visit, int32_t handle) {
  SessionDetailRecord detail = details_->Get(visit);
  detail.*field_ = handle;
  details_->Set(visit, detail);
}

void VisitListCache::Add(int32_t visit, int32_t number) {
  if (number < 0 || !details_->Has(visit)) return;
  const int32_t handle = details_->Get(visit).*field_;
  const int32_t held_slot = HeldSlotOf(visit, handle);
  if (held_slot >= 0) {
    AddToList(kind_, slots_[held_slot].words, number);
    return;
  }
  // A stored list is read before a slot is taken: evicting may add to the same table.
  std::vector<int32_t> stored;
  if (handle >= 0) {
    const SequenceView view = table_->Get(handle);
    stored.reserve(static_cast<size_t>(view.size()));
    for (int32_t i = 0; i < view.size(); ++i) stored.push_back(view[i]);
  }
  const int32_t slot = TakeSlot(visit);
  std::vector<int32_t>& words = slots_[slot].words;
  if (handle >= 0 && !stored.empty()) {
    LoadVisitList(words, stored);
    AddToList(kind_, words, number);
  } else {
    StartVisitList(words, number);
  }
  SetHandle(visit, -2 - slot);
}

int32_t VisitListCache::TakeSlot(int32_t visit) {
  if ((tail_ + 1) % kVisitListSlots == head_) EvictHead();
  const int32_t slot = tail_;
  tail_ = (tail_ + 1) % kVisitListSlots;
  Slot& s = slots_[slot];
  s.owner = visit;
  s.words.clear();
  if (s.words.capacity() < kVisitListInitialWords) s.words.reserve(kVisitListInitialWords);
  return slot;
}

void VisitListCache::EvictHead() {
  if (head_ == tail_) return;
  Slot& s = slots_[head_];
  const int32_t id =
      ids_ != nullptr ? ids_->FindOrAdd(*table_, s.words) : table_->FindOrAdd(s.words);
  // Only a handle that still names this slot is replaced; anything else was not ours to keep.
  if (details_->Has(s.owner) && details_->Get(s.owner).*field_ == -2 - head_) {
    SetHandle(s.owner, id >= 0 ? id : -1);
  }
  s.owner = -1;
  s.words.clear();
  head_ = (head_ + 1) % kVisitListSlots;
}

void VisitListCache::Flush() {
  while (head_ != tail_) EvictHead();
}

}  // namespace velmora
