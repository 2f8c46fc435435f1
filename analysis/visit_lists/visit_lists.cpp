#include "analysis/visit_lists/visit_lists.h"

#include <algorithm>

namespace velmora {
namespace {

SequenceTable& TableOf(WorkspaceDatabase& db, VisitListKind kind) {
  switch (kind) {
    case VisitListKind::kFullPathPages:
    case VisitListKind::kSummaryPages:
      return db.pages();
    case VisitListKind::kDownloads:
      return db.downloads();
    case VisitListKind::kImages:
      return db.images();
    case VisitListKind::kErrors:
      return db.errors();
  }
  return db.pages();
}

}  // namespace

VisitListCaches::VisitListCaches(WorkspaceDatabase& db, bool accelerated) {
  for (int k = 0; k < kVisitListKinds; ++k) {
    const auto kind = static_cast<VisitListKind>(k);
    SequenceTable& table = TableOf(db, kind);
    SequenceIdCache* ids = nullptr;
    if (accelerated) {
      // Both page kinds share one table, and so one cache: two would each see the other's adds
      // as a stranger's and read the whole table again.
      auto same = std::find_if(stored_ids_.begin(), stored_ids_.end(),
                               [&](const auto& stored) { return stored->table == &table; });
      if (same == stored_ids_.end()) {
        stored_ids_.push_back(std::make_unique<StoredIds>(StoredIds{&table, {}}));
        stored_ids_.back()->ids.set_deferring(true);
        same = stored_ids_.end() - 1;
      }
      ids = &(*same)->ids;
    }
    caches_[static_cast<size_t>(k)] =
        std::make_unique<VisitListCache>(kind, db.session_details(), table, ids);
  }
}

void VisitListCaches::Flush() {
  for (auto& cache : caches_) cache->Flush();
  for (auto& stored : stored_ids_) stored->ids.Flush(*stored->table);
}

std::unique_ptr<VisitListCaches> BeginVisitLists(WorkspaceDatabase& db, bool accelerated) {
  return std::make_unique<VisitListCaches>(db, accelerated);
}

void FlushVisitLists(std::unique_ptr<VisitListCaches>& caches) {
  if (!caches) return;
  caches->Flush();
  caches.reset();
}

}  // namespace velmora
