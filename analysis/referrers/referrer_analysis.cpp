#include "analysis/referrers/referrer_analysis.h"

#include "analysis/referrers/referrer_decode.h"
#include "analysis/referrers/referrer_domain.h"
#include "analysis/referrers/search_engine_table.h"
#include "analysis/referrers/search_words.h"
#include "core/ascii.h"

namespace velmora {
namespace {

constexpr int kGoogleRow = 2;
constexpr size_t kMaxReferrerLength = 2048;

bool IsServerNameSeparator(char c) {
  return static_cast<unsigned char>(c) <= 32 || c == ',' || c == ';';
}

bool IsOwnSite(std::string_view domain, std::string_view server_names) {
  size_t i = 0;
  while (i < server_names.size()) {
    while (i < server_names.size() && IsServerNameSeparator(server_names[i])) ++i;
    const size_t start = i;
    while (i < server_names.size() && !IsServerNameSeparator(server_names[i])) ++i;
    const std::string_view token = server_names.substr(start, i - start);
    if (!token.empty() && AsciiEqualsIgnoreCase(token, domain)) return true;
  }
  return false;
}

// The search term of `referrer` for engine `row`: after the first of its markers that occurs,
// up to the next '&' or '?'. Empty when no marker occurs.
std::string_view SearchTerm(std::string_view referrer, int row) {
  for (std::string_view marker : SearchEngineRows()[static_cast<size_t>(row)].markers) {
    if (marker.empty()) break;
    const size_t at = referrer.find(marker);
    if (at == std::string_view::npos) continue;
    std::string_view term = referrer.substr(at + marker.size());
    term = term.substr(0, term.find_first_of("&?"));
    return term.substr(0, kMaxSearchTermLength);
  }
  return {};
}

std::string DecodePhrase(std::string_view term, int row) {
  if (row == kGoogleRow && AsciiEqualsIgnoreCase(term.substr(0, 6), "cache:")) {
    const size_t plus = term.find('+', 6);
    if (plus != std::string_view::npos) return DecodeUrlText(term.substr(plus + 1));
  }
  return DecodeUrlText(term);
}

}  // namespace

ReferrerAnalysis AnalyseReferrerText(std::string_view referrer, std::string_view domain,
                                     std::string_view server_names) {
  ReferrerAnalysis out;
  if (IsOwnSite(domain, server_names)) {
    out.kind = ReferrerKind::kOwnSite;
    return out;
  }
  const int row = FindEngineByDomain(domain);
  if (row == 0) {
    const bool none = referrer == "-" || AsciiEqualsIgnoreCase(domain, "localhost");
    out.kind = none ? ReferrerKind::kNoReferrer : ReferrerKind::kOtherSite;
    return out;
  }
  const std::string_view term = SearchTerm(referrer, row);
  if (term.empty()) return out;  // a page of the engine that is no search: another site
  out.kind = ReferrerKind::kSearchEngine;
  out.engine = row;
  std::string phrase = DecodePhrase(term, row);
  for (std::string_view word : SplitSearchWords(phrase)) out.words.emplace_back(word);
  if (!out.words.empty()) out.phrase = std::move(phrase);
  return out;
}

ReferrerInspection InspectReferrer(std::string_view url, std::string_view server_names) {
  url = url.substr(0, url.find('\0')).substr(0, kMaxReferrerLength);
  url = url.substr(0, url.find('#'));
  ReferrerInspection out;
  if (url.empty()) {  // a request without referrer is filed under no domain
    out.kind = ReferrerKind::kNoReferrer;
    return out;
  }
  out.domain = ExtractReferrerDomain(url);
  ReferrerAnalysis analysis = AnalyseReferrerText(url, out.domain, server_names);
  out.kind = analysis.kind;
  out.engine = analysis.engine;
  out.engine_name = std::string(EngineName(analysis.engine));
  out.phrase = std::move(analysis.phrase);
  out.words = std::move(analysis.words);
  return out;
}

}  // namespace velmora
