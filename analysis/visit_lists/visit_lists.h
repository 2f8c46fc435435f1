// The per-visit lists of one parse run: five VisitListCache rings (full-path pages, summary
// pages, downloads, images, errors) over the Sessions detail records and the Pages, Downloads,
// Images and Errors sequence tables. BeginVisitLists creates them once the database is open;
// FlushVisitLists stores every held list, oldest first, and frees them - after the last file,
// also after a cancelled run, and always before the database is released. Between runs every
// list handle is -1 or a sequence id, so readers only meet stored lists.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/visit_lists/visit_list_cache.h"
#include "storage/workspace_database.h"

namespace velmora {

class VisitListCaches {
 public:
  // `accelerated`: the lists are stored through id caches of the four sequence tables, which
  // index new lists in batches; Flush indexes the rest.
  explicit VisitListCaches(WorkspaceDatabase& db, bool accelerated = false);

  void Add(int32_t visit, VisitListKind kind, int32_t number) {
    caches_[static_cast<size_t>(kind)]->Add(visit, number);
  }
  void Flush();
  const VisitListCache& cache(VisitListKind kind) const {
    return *caches_[static_cast<size_t>(kind)];
  }

 private:
  struct StoredIds {
    SequenceTable* table;
    SequenceIdCache ids;
  };

  std::array<std::unique_ptr<VisitListCache>, kVisitListKinds> caches_;
  std::vector<std::unique_ptr<StoredIds>> stored_ids_;  // one per table, when accelerated
};

// Creates the five caches, all empty; the database must be open.
std::unique_ptr<VisitListCaches> BeginVisitLists(WorkspaceDatabase& db, bool accelerated = false);

// Adds `number` (a resource number, or an error number for the error list) to the list of kind
// `kind` of visit `visit`.
inline void AddToVisitList(VisitListCaches& caches, int32_t visit, VisitListKind kind,
                           int32_t number) {
  caches.Add(visit, kind, number);
}

// Stores every held list and frees the caches; nothing happens when there are none.
void FlushVisitLists(std::unique_ptr<VisitListCaches>& caches);

}  // namespace velmora
