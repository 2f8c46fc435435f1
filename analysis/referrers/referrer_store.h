// Storing a referrer's analysis: the request processor appends a Referers record for each new
// referrer text (domain number set, kind 0) and calls AnalyseReferrer once on it. The record
// gets its kind and engine; a search with counted words also gets its exact phrase (a string of
// SearchFrasesExact) and its word combination (a sequence of SearchFrases: the word numbers of
// SearchWords in ascending order, repeats kept). Equal words, phrases and combinations are
// stored once.
//
// The database must be open. A table that cannot grow has shown its own message; the analysis
// then goes on without what could not be stored (a word left out of the combination, a phrase
// or combination left at -1).
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/referrers/referrer_analysis.h"
#include "storage/workspace_database.h"

namespace velmora {

// Analyses Referers record `referrer_id` (its text and the RefDomains string of its domain
// number) for a workspace whose server-names setting is `server_names`, and writes the result.
// False when the record does not exist.
bool AnalyseReferrer(WorkspaceDatabase& db, int32_t referrer_id, std::string_view server_names);

// Writes `analysis` into record `referrer_id` and the search tables. False when the record does
// not exist.
bool StoreReferrerAnalysis(WorkspaceDatabase& db, int32_t referrer_id,
                           const ReferrerAnalysis& analysis);

}  // namespace velmora
