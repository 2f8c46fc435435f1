#include "analysis/referrers/referrer_analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "analysis/referrers/referrer_decode.h"
#include "analysis/referrers/referrer_domain.h"
#include "analysis/referrers/search_words.h"

namespace velmora {
namespace {

constexpr std::string_view kServerNames = "www.example.com, Example.com;intranet\tlocalhost.lan";

using K = ReferrerKind;

// Referrers that are no search: no engine, phrase or words.
TEST(AnalyseReferrer, KindsWithoutSearch) {
  const std::pair<std::string_view, ReferrerKind> cases[] = {
      // Own site ignores case, also with a search term.
      {"http://www.example.com/page.html", K::kOwnSite},
      {"http://EXAMPLE.com/search?q=apple+pie", K::kOwnSite},
      {"http://Intranet:8080/x", K::kOwnSite},
      {"http://localhost.lan/x", K::kOwnSite},
      // No referrer: "-" and localhost.
      {"-", K::kNoReferrer},
      {"http://LocalHost/x", K::kNoReferrer},
      // Other sites, and engine pages without a search term.
      {"http://www.other.org/links.html", K::kOtherSite},
      {"file:///C:/pages/index.html", K::kOtherSite},
      {"https://www.google.com/", K::kOtherSite},
      {"http://www.google.com/search?hl=en&q=", K::kOtherSite},
      {"http://www.google.com/search?q=&hl=en", K::kOtherSite},
      // Markers are case-sensitive: "?Q=" is no marker of Google.
      {"http://www.google.com/search?Q=apple", K::kOtherSite},
  };
  for (const auto& [url, kind] : cases) {
    const ReferrerInspection got = InspectReferrer(url, kServerNames);
    EXPECT_EQ(got.kind, kind) << url;
    EXPECT_EQ(got.engine, 0) << url;
    EXPECT_FALSE(got.phrase) << url;
    EXPECT_TRUE(got.words.empty()) << url;
  }
}

// A search: its engine row, the phrase ("-" for none) and the words counted, joined by '|'.
struct SearchCase {
  std::string_view url;
  int engine;
  std::string_view phrase;
  std::string_view words;
};

void ExpectSearch(const SearchCase& c) {
  const ReferrerInspection got = InspectReferrer(c.url, kServerNames);
  std::string words;
  for (const std::string& word : got.words) words += (words.empty() ? "" : "|") + word;
  EXPECT_EQ(got.kind, K::kSearchEngine) << c.url;
  EXPECT_EQ(got.engine, c.engine) << c.url;
  EXPECT_EQ(got.phrase.value_or("-"), c.phrase) << c.url;
  EXPECT_EQ(words, c.words) << c.url;
}

TEST(AnalyseReferrer, EnginesTermsAndWords) {
  const SearchCase cases[] = {
      {"http://google.example.com/?q=apple", 2, "apple", "apple"},
      // Rows are tried in order: "yahoo" (row 1) before "google" (row 2).
      {"http://google.yahoo.com/bin/query?p=apple+pie&q=other", 1, "apple pie", "apple|pie"},
      // Markers in their order; the term ends at the next '&' or '?'.
      {"http://www.altavista.com/cgi-bin/query?q=first&r=second", 4, "second", "second"},
      {"http://search.msn.com/results.asp?MT=web+stats&x=1", 5, "web stats", "web|stats"},
      {"http://www.google.com/search?q=apple?pie", 2, "apple", "apple"},
      // A marker inside another parameter's value still counts, at its first occurrence.
      {"http://www.google.com/url?sa=t&url=http://x.org/?q=inner&q=outer", 2, "inner", "inner"},
      // Google's servers by address.
      {"http://216.239.51.104/search?q=cache:abc:www.example.org/+apple+pie", 2, "apple pie",
       "apple|pie"},
      // MegaSpider's term is everything after the first '?'.
      {"http://www.megaspider.com/search?pear+tree&page=2", 71, "pear tree", "pear|tree"},
      // Today's engines.
      {"https://www.bing.com/search?q=weather+berlin&form=QBLH", 131, "weather berlin",
       "weather|berlin"},
      {"https://duckduckgo.com/?q=rust+borrow&t=h_", 132, "rust borrow", "rust|borrow"},
      {"https://yandex.ru/search/?text=погода&lr=213", 124, "погода", "погода"},
      // One- and two-letter words only: an engine search without phrase or words.
      {"http://www.google.com/search?q=to+be+or+no", 2, "-", ""},
      {"http://www.google.com/search?q=to+be+or+not", 2, "to be or not", "not"},
      // Digit-only words are dropped; with two dots they count.
      {"http://www.google.com/search?q=linux+2002+3.5+1.2.3", 2, "linux 2002 3.5 1.2.3",
       "linux|1.2.3"},
      {"http://www.google.com/search?q=2002+3.5", 2, "-", ""},
      // Case is kept; repeats are kept in order.
      {"http://www.google.com/search?q=Apple+apple+APPLE", 2, "Apple apple APPLE",
       "Apple|apple|APPLE"},
      // Word characters: '@', ':', '/', '.', '_', '`' and bytes of 128 or more belong to words.
      {"http://www.google.com/search?q=mail%40host.org%2C+a_b%60c+%22quoted%22+x%C3%A9y", 2,
       "mail@host.org, a_b`c \"quoted\" x\xC3\xA9y", "mail@host.org|a_b`c|quoted|x\xC3\xA9y"},
      // The cache: rule of Google: the cached address before the first '+' is left out.
      {"http://www.google.com/search?q=cache:Xyz123:www.example.org/page.html+red+apple", 2,
       "red apple", "red|apple"},
      {"http://www.google.com/search?q=CACHE:www.example.org/page.html+red", 2, "red", "red"},
      {"http://www.google.com/search?q=cache:www.example.org/page.html", 2,
       "cache:www.example.org/page.html", "cache:www.example.org/page.html"},
      // ... and only for Google.
      {"http://search.yahoo.com/search?p=cache:abc+red+apple", 1, "cache:abc red apple",
       "cache:abc|red|apple"},
  };
  for (const SearchCase& c : cases) ExpectSearch(c);
}

TEST(AnalyseReferrer, ServerNamesAreWholeTokens) {
  EXPECT_EQ(AnalyseReferrerText("http://x/", "example.com", "www.example.com").kind,
            K::kOtherSite);  // a server name written with "www." never matches
  EXPECT_EQ(AnalyseReferrerText("http://x/", "example.com", "example.comx").kind, K::kOtherSite);
  EXPECT_EQ(AnalyseReferrerText("http://x/", "example.com", "xexample.com").kind, K::kOtherSite);
  EXPECT_EQ(AnalyseReferrerText("http://x/", "example.com", ",,;example.com;;").kind, K::kOwnSite);
  EXPECT_EQ(AnalyseReferrerText("http://x/", "example.com", "").kind, K::kOtherSite);
  EXPECT_EQ(AnalyseReferrerText("", "", "   ").kind, K::kOtherSite);
}

TEST(ExtractReferrerDomain, FilesUnderTheHost) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"http://www.Example.COM./page", "example.com"},
      {"http://Intranet:8080/x", "intranet"},
      {"https://host.example.org", "host.example.org"},
      {"http://WWW.example.com/", "www.example.com"},  // "www." is dropped only in lower case
      {"http://www.example.com. . /", "example.com"},
      {"http://./", "."},            // the first character always stays
      {"http://A%41b+c/", "aAb c"},  // decoded after lower-casing
      {"http://a%2/", "a%2"},
      {"http://(x)y/", "(x"},
      {"-", kDirectRequestDomain},
      {"", kDirectRequestDomain},
      {"file:///C:/x.html", kDirectRequestDomain},
      {"res://shdoclc.dll/dnserror.htm", kDirectRequestDomain},
      {"http:/single", kDirectRequestDomain},
      {"http://", kDirectRequestDomain},
      {"http:///path", kDirectRequestDomain},
      {"/", kDirectRequestDomain},
  };
  for (const auto& [referrer, domain] : cases) {
    EXPECT_EQ(ExtractReferrerDomain(referrer), domain) << referrer;
  }
}

TEST(DecodeUrlText, NeverLeavesItsText) {
  // In "%zz" both digits count as 0: the NUL ends the text.
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a+b", "a b"},    {"%41%62", "Ab"},  {"%%41", "%41"}, {"%%", "%"},
      {"%", "%"},        {"a%", "a%"},      {"a%4", "a%4"},  {"%zz", ""},
      {"ab%00cd", "ab"}, {"%g1x", "\x01x"}, {"+", " "},      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DecodeUrlText(in), out) << in;
}

TEST(AnalyseReferrer, HostileReferrersStayInBounds) {
  std::string binary = "http://www.google.com/search?q=";
  for (int i = 1; i < 256; ++i) binary += static_cast<char>(i);
  const std::string long_term = "http://www.google.com/search?q=" + std::string(5000, 'a');
  const std::string many_words = [] {
    std::string s = "http://www.google.com/search?q=";
    for (int i = 0; i < 400; ++i) s += "word" + std::to_string(i) + "+";
    return s;
  }();
  const std::string urls[] = {
      binary,
      long_term,
      many_words,
      "http://www.google.com/search?q=%",
      "http://www.google.com/search?q=%%",
      "http://www.google.com/search?q=+",
      "http://www.google.com/search?q=abc%4",
      "http://www.google.com/search?q=cache:",
      "http://www.google.com/search?q=cache:+",
      std::string(3000, '/'),
      std::string(3000, '%'),
  };
  for (const std::string& url : urls) {
    const ReferrerInspection got = InspectReferrer(url, kServerNames);
    if (got.phrase) {
      EXPECT_LE(got.phrase->size(), kMaxSearchTermLength);
    }
    EXPECT_LE(got.words.size(), kMaxSearchWords);
  }
  // The URL is cut at 2,048 characters, as a log record holds it.
  EXPECT_EQ(InspectReferrer(long_term, "").phrase->size(), 2048u - 31u);
  EXPECT_EQ(InspectReferrer(many_words, "").words.size(), 255u);
  EXPECT_EQ(InspectReferrer("http://www.google.com/search?q=+", "").kind, K::kSearchEngine);
  EXPECT_FALSE(InspectReferrer("http://www.google.com/search?q=+", "").phrase);
}

TEST(InspectReferrer, CutsAtTheFragmentAndNamesTheEngine) {
  const ReferrerInspection got =
      InspectReferrer("http://www.google.com/search?q=red+apple#q=green", "example.com");
  EXPECT_EQ(got.domain, "google.com");
  EXPECT_EQ(got.engine_name, "Google");
  EXPECT_EQ(got.phrase, "red apple");
  EXPECT_EQ(InspectReferrer("http://www.other.org/#x?q=1", "").domain, "other.org");
  const ReferrerInspection empty = InspectReferrer("", "example.com");
  EXPECT_EQ(empty.kind, K::kNoReferrer);
  EXPECT_EQ(empty.domain, "");
  EXPECT_EQ(ReferrerKindName(got.kind), "SearchEngine");
}

}  // namespace
}  // namespace velmora
