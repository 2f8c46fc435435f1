#include "analysis/referrers/referrer_store.h"

#include <algorithm>
#include <string>
#include <vector>

namespace velmora {

bool AnalyseReferrer(WorkspaceDatabase& db, int32_t referrer_id, std::string_view server_names) {
  if (!db.referers().Has(referrer_id)) return false;
  const RefererRecord record = db.referers().Get(referrer_id);
  // Copies: the views end with the next addition to their tables.
  const std::string referrer(db.referer_strings().Get(referrer_id));
  const std::string domain(db.ref_domains().Get(record.domain));
  return StoreReferrerAnalysis(db, referrer_id,
                               AnalyseReferrerText(referrer, domain, server_names));
}

bool StoreReferrerAnalysis(WorkspaceDatabase& db, int32_t referrer_id,
                           const ReferrerAnalysis& analysis) {
  if (!db.referers().Has(referrer_id)) return false;
  RefererRecord record = db.referers().Get(referrer_id);
  record.kind = static_cast<uint32_t>(analysis.kind);
  record.search_engine = static_cast<uint32_t>(analysis.engine);
  record.search_phrase = -1;
  record.exact_phrase = -1;
  if (analysis.phrase && !analysis.words.empty()) {
    std::vector<int32_t> combination;
    combination.reserve(analysis.words.size());
    for (const std::string& word : analysis.words) {
      const int32_t id = db.search_words().FindOrAdd(word);
      if (id >= 0) combination.push_back(id);
    }
    record.exact_phrase = db.search_phrases_exact().FindOrAdd(*analysis.phrase);
    std::sort(combination.begin(), combination.end());
    if (!combination.empty()) record.search_phrase = db.search_phrases().FindOrAdd(combination);
  }
  db.referers().Set(referrer_id, record);
  return true;
}

}  // namespace velmora
