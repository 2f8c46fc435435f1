#include "analysis/agents/spider_table.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/ascii.h"

namespace velmora {
namespace {

int Recognize(std::string_view text) { return RecognizeSpider(AsciiLowered(text)); }

TEST(SpiderTable, EveryRowIsWellFormed) {
  for (int i = 0; i < SpiderCount(); ++i) {
    const SpiderRow& row = SpiderRows()[static_cast<size_t>(i)];
    EXPECT_FALSE(row.name.empty()) << i;
    EXPECT_TRUE(!row.a.empty() || !row.b.empty() || !row.exact.empty()) << i;
    EXPECT_TRUE(row.a2.empty() || !row.a.empty()) << i;
    EXPECT_TRUE(row.b2.empty() || !row.b.empty()) << i;
    // The test runs on a lower-cased copy: a capital in a pattern could never match.
    for (std::string_view p : {row.a, row.a2, row.b, row.b2, row.exact}) {
      EXPECT_EQ(p, AsciiLowered(p)) << i;
    }
  }
}

TEST(SpiderTable, NamesOutsideTheTableAreEmpty) {
  EXPECT_EQ(SpiderName(-1), "");
  EXPECT_EQ(SpiderName(SpiderCount()), "");
  EXPECT_EQ(SpiderName(SpiderCount() - 1), SpiderRows().back().name);
}

struct RuleCase {
  std::string_view text;
  int row;
};

// Each row's own published text is proved in the samples test; these are the near misses and
// variants around the rows' patterns.
TEST(RecognizeSpider, MatchingRules) {
  const RuleCase cases[] = {
      // Exact-text rows match the whole text only, in any case.
      {"MOZILLA", 174},
      {"aport/1.0", -1},
      {"sitechecker 2", -1},
      // The second pattern is required.
      {"Mozilla/2.0", -1},
      {"Mozilla/2.0 (compatible; Ask Jeeves)", 7},
      {"SpiderView 1.0", -1},
      {"ZyBorg/1.0 (wn-14.zyborg@looksmart.net)", -1},
      // Googlebot without the operator's domain is not row 0, but today's row takes it.
      {"Googlebot/2.1", 194},
      // Pattern B, and A and B of the same row.
      {"Scooter-3.2.EX", 2},
      {"LinkScan Workstation/5.5", 97},
      {"Java1.2.2", 167},
      {"Java1.4.0", -1},
      {"wwwc/1.06", 152},
      // Nothing to recognise.
      {"", -1},
      {"x", -1},
      {"Wget/1.8.2", -1},
  };
  for (const RuleCase& c : cases) EXPECT_EQ(Recognize(c.text), c.row) << c.text;
}

TEST(RecognizeSpider, HostileTextsStayInBounds) {
  std::string binary;
  for (int i = 1; i < 256; ++i) binary += static_cast<char>(i);
  const std::string tail_cut = std::string(2040, 'a') + "googlebo";  // a pattern cut by the end
  EXPECT_EQ(RecognizeSpider(binary), -1);
  EXPECT_EQ(RecognizeSpider(tail_cut), -1);
  EXPECT_EQ(RecognizeSpider(std::string(5000, 'b')), -1);
  EXPECT_EQ(RecognizeSpider(std::string(3000, 'x') + "twitterbot/1.0"), 222);
  EXPECT_EQ(RecognizeSpider("b"), -1);
  EXPECT_EQ(RecognizeSpider("bo"), -1);
}

}  // namespace
}  // namespace velmora
