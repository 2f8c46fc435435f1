#include "analysis/visit_lists.h"

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

VisitListCaches::VisitListCaches(WorkspaceDatabase& db) {
  for (int k = 0; k < kVisitListKinds; ++k) {
    const auto kind = static_cast<VisitListKind>(k);
    caches_[static_cast<size_t>(k)] =
        std::make_unique<VisitListCache>(kind, db.session_details(), TableOf(db, kind));
  }
}

std::unique_ptr<VisitListCaches> BeginVisitLists(WorkspaceDatabase& db) {
  return std::make_unique<VisitListCaches>(db);
}

void FlushVisitLists(std::unique_ptr<VisitListCaches>& caches) {
  if (!caches) return;
  caches->Flush();
  caches.reset();
}

}  // namespace velmora
