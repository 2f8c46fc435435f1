// ReferrerKind: what a referrer is, as stored in its Referers record and copied into each
// request. 0 marks a record that has not been analysed yet.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

enum class ReferrerKind : uint32_t {
  kUnanalysed = 0,
  kNoReferrer = 1,    // no referrer, "-", or the domain localhost
  kOwnSite = 2,       // the domain is one of the workspace's server names
  kSearchEngine = 3,  // a known search engine, with a search term
  kOtherSite = 4,     // any other site, also a search engine without a search term
};

// "NoReferrer", "OwnSite", "SearchEngine", "OtherSite"; "Unanalysed" for 0 and unknown values.
constexpr std::string_view ReferrerKindName(ReferrerKind kind) {
  switch (kind) {
    case ReferrerKind::kNoReferrer:
      return "NoReferrer";
    case ReferrerKind::kOwnSite:
      return "OwnSite";
    case ReferrerKind::kSearchEngine:
      return "SearchEngine";
    case ReferrerKind::kOtherSite:
      return "OtherSite";
    default:
      return "Unanalysed";
  }
}

}  // namespace velmora
