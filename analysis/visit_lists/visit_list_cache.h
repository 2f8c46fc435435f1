// VisitListCache: the lists of one kind of the most recently touched visits, held in memory
// during a parse run so that a list is written to its sequence table once rather than once per
// request.
//
// A ring of 1024 slots, each a growable array of words holding one list and the number of the
// visit that owns it; the head is the oldest occupied slot, the tail the next free one. The ring
// holds at most 1023 lists: taking a slot while the tail is one behind the head first evicts the
// head. While a list is held, its visit's handle field is -2 - slot; evicting stores the list
// (an identical stored sequence is reused, so equal lists of different visits share one
// sequence; stored sequences never change) and sets the handle to the sequence id, or to -1
// when the table could not take it.
//
// Invariants: exactly the slots from head up to (not including) tail are occupied; an occupied
// slot's owner handle names that slot; a handle of -2 or less that names no slot this cache
// holds for that visit (left behind by a run that never flushed) is read as "no list".
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/caches/sequence_id_cache.h"
#include "analysis/visit_lists/visit_list_update.h"
#include "storage/indexed_table.h"
#include "storage/records.h"
#include "storage/sequence_table.h"

namespace velmora {

inline constexpr int32_t kVisitListSlots = 1024;
inline constexpr size_t kVisitListInitialWords = 64;

// The detail-record field that holds the handle of a list kind. Both page forms share one.
int32_t SessionDetailRecord::*VisitListHandleField(VisitListKind kind);

// Whether a handle names a cache slot (-2 - slot) rather than a sequence id or -1.
constexpr bool IsCachedListHandle(int32_t handle) { return handle <= -2; }

class VisitListCache {
 public:
  // `details` is the Sessions detail table whose handles the cache keeps; `table` the sequence
  // table its lists are stored in. Both must stay open while lists are held.
  // `ids`, when given, is the id cache of `table` that every store goes through.
  VisitListCache(VisitListKind kind, RecordTable<SessionDetailRecord>& details,
                 SequenceTable& table, SequenceIdCache* ids = nullptr);
  VisitListCache(const VisitListCache&) = delete;
  VisitListCache& operator=(const VisitListCache&) = delete;

  // Adds `number` to the list of `visit` (a detail record number). Negative numbers are never
  // stored (-1 terminates a stored sequence); a visit without a detail record has no list.
  void Add(int32_t visit, int32_t number);
  // Stores every held list, oldest first, and empties the ring.
  void Flush();

  VisitListKind kind() const { return kind_; }
  // Lists held now (0 to 1023).
  int32_t held() const { return (tail_ - head_ + kVisitListSlots) % kVisitListSlots; }

 private:
  struct Slot {
    std::vector<int32_t> words;
    int32_t owner = -1;
  };

  bool IsHeld(int32_t slot) const;
  // The slot that holds `visit`'s list according to `handle`, or -1.
  int32_t HeldSlotOf(int32_t visit, int32_t handle) const;
  // Takes the tail slot for `visit`, evicting the head first when the ring is full.
  int32_t TakeSlot(int32_t visit);
  void EvictHead();
  void SetHandle(int32_t visit, int32_t handle);

  VisitListKind kind_;
  int32_t SessionDetailRecord::*field_;
  RecordTable<SessionDetailRecord>* details_;
  SequenceTable* table_;
  SequenceIdCache* ids_;
  std::array<Slot, kVisitListSlots> slots_;
  int32_t head_ = 0;
  int32_t tail_ = 0;
};

}  // namespace velmora
