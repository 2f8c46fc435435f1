#include "bench/loggen/referrers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velmora::loggen {
namespace {

TEST(ReferrersTest, UrlEncodingKeepsOnlyUnreservedBytes) {
  const struct {
    std::string_view text, space, encoded;
  } cases[] = {
      {"red apple", "+", "red+apple"},
      {"red apple", "%20", "red%20apple"},
      {"größe", "+", "gr%C3%B6%C3%9Fe"},
      {"a&b=c?d#e", "+", "a%26b%3Dc%3Fd%23e"},
      {"100% \"sure\"", "+", "100%25+%22sure%22"},
      {"1.2.3-x_y~z", "+", "1.2.3-x_y~z"},
      {"", "+", ""},
  };
  for (const auto& c : cases) {
    std::string out = "q=";
    AppendUrlEncoded(c.text, c.space, out);
    EXPECT_EQ(out, "q=" + std::string(c.encoded)) << c.text;
  }
}

// Referrers go into quoted, blank-separated and tab-separated columns unchanged: printable ASCII
// only, no blank, quote or comma, and no encoded control character.
TEST(ReferrersTest, GeneratedReferrersAreCleanUrlsWithVariety) {
  Random rng(21);
  std::set<std::string> search, other;
  for (int i = 0; i < 40000; ++i) {
    std::string s, o;
    AppendSearchReferrer(rng, s);
    AppendOtherSiteReferrer(rng, o);
    for (const std::string* url : {&s, &o}) {
      ASSERT_TRUE(url->starts_with("http://") || url->starts_with("https://") ||
                  url->starts_with("android-app://"))
          << *url;
      for (const char c : *url) {
        ASSERT_TRUE(c > ' ' && c < 0x7F && c != '"' && c != ',') << *url;
      }
      ASSERT_EQ(url->find("%0"), std::string::npos) << *url;
      ASSERT_EQ(url->find("%1"), std::string::npos) << *url;
    }
    ASSERT_TRUE(s.find("q=") != std::string::npos || s.find("p=") != std::string::npos ||
                s.find("text=") != std::string::npos || s.find("wd=") != std::string::npos ||
                s.find("query=") != std::string::npos || s.find("search=") != std::string::npos)
        << s;
    search.insert(s);
    other.insert(o);
  }
  EXPECT_GT(search.size(), 10000u);
  EXPECT_GT(other.size(), 15000u);
  for (const std::string_view host : OwnHostVariants()) {
    EXPECT_TRUE(host.starts_with("http") && !host.ends_with("/")) << host;
  }
}

}  // namespace
}  // namespace velmora::loggen
