// Referrer analysis: what kind of referrer a text is, which search engine it came from, and the
// phrase and words the visitor searched for. Runs once per distinct referrer text; the result
// is stored by referrer_store.h.
//
//   1. A domain equal to one of the workspace's server names (ignoring case) is the own site,
//      whatever its query holds.
//   2. Else the first engine with a host pattern in the domain is the engine. Its first marker
//      that occurs in the referrer starts the search term, which runs to the next '&' or '?'
//      (2,048 characters at most). Without a marker or with an empty term the referrer is an
//      ordinary site (kind OtherSite, engine 0).
//   3. Else "-" and the domain localhost are no referrer, and everything else another site.
// The term is URL-decoded into the phrase, keeping its case. For Google, a term "cache:..."
// is decoded only after the first '+' that follows, leaving out the cached page's address.
// When no word counts (search_words.h), the phrase is not kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/referrers/referrer_kind.h"

namespace velmora {

inline constexpr size_t kMaxSearchTermLength = 2048;

struct ReferrerAnalysis {
  ReferrerKind kind = ReferrerKind::kOtherSite;
  int engine = 0;                     // row of the search-engine table, 0 for none
  std::optional<std::string> phrase;  // the decoded search text, only when a word counted
  std::vector<std::string> words;     // the counted words in phrase order, repeats kept
};

// Analyses referrer text `referrer` filed under `domain` (from ExtractReferrerDomain), for a
// workspace whose server-names setting is `server_names` (names separated by blanks, control
// characters, ',' or ';').
ReferrerAnalysis AnalyseReferrerText(std::string_view referrer, std::string_view domain,
                                     std::string_view server_names);

// What `velmora inspect referrer` shows for one URL.
struct ReferrerInspection {
  std::string domain;
  ReferrerKind kind = ReferrerKind::kOtherSite;
  int engine = 0;
  std::string engine_name;            // empty for engine 0
  std::optional<std::string> phrase;  // none when no word counted
  std::vector<std::string> words;
};

// The analysis of `url` as a log line would deliver it: cut at 2,048 characters and at its
// first '#', as record completion does, then filed under its domain. An empty URL is no
// referrer, with an empty domain.
ReferrerInspection InspectReferrer(std::string_view url, std::string_view server_names);

}  // namespace velmora
