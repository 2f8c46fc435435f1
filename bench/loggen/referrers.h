// Where the generated visits come from: search engines old and new with URL-encoded search
// phrases, tens of thousands of pages on other sites, and the site's own host names in their
// usual variants. Texts are URLs without blanks, quotes, tabs or commas, so every layout can
// carry them unchanged.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "bench/loggen/random.h"

namespace velmora::loggen {

// "http://www.example.com" and its variants (scheme, with and without "www."), as links to the
// site are written; no trailing slash, so a path can follow.
std::span<const std::string_view> OwnHostVariants();
// The host names the site answers to, for a workspace's server-name setting.
inline constexpr std::string_view kOwnServerNames = "www.example.com example.com";

// Appends a search-result URL of a weighted engine whose query holds a phrase of one to four
// words, URL-encoded as that engine does.
void AppendSearchReferrer(Random& rng, std::string& out);

// Appends the URL of a page on another site: one of about 60,000 distinct links, the popular
// ones drawn more often, each always spelled the same.
void AppendOtherSiteReferrer(Random& rng, std::string& out);

// Appends `text` URL-encoded for a query string: letters, digits and "-._~" stay, a blank
// becomes `space` ("+" or "%20"), every other byte becomes "%" and two upper-case hex digits.
void AppendUrlEncoded(std::string_view text, std::string_view space, std::string& out);

}  // namespace velmora::loggen
