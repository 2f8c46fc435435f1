#include "parsing/text_numbering.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

TEST(TextNumbering, EqualTextsShareANumberAndOthersGetTheNextOne) {
  TextNumbering numbering;
  const std::string nul_a("x\0a", 3);
  const std::string nul_b("x\0b", 3);
  const struct {
    std::string text;
    uint32_t number;
  } cases[] = {
      {"/index.html", 1},
      {"/index.html", 1},
      {"/INDEX.html", 2},
      {"", 3},
      {"", 3},
      {nul_a, 4},
      {nul_b, 5},
      {"x", 6},
      {nul_a, 4},
      {std::string(2048, 'u'), 7},
      {std::string(2047, 'u'), 8},
      {"/index.html", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(numbering.Number(c.text), c.number) << c.text.size();
  EXPECT_EQ(numbering.size(), 8u);

  numbering.Clear();
  EXPECT_EQ(numbering.Number("/INDEX.html"), 1u);
  EXPECT_EQ(numbering.size(), 1u);
}

TEST(TextNumbering, StaysTrueThroughGrowthAndStopsNumberingWhenFull) {
  TextNumbering numbering;
  const auto text = [](size_t i) { return "/page/" + std::to_string(i); };
  for (size_t i = 0; i < TextNumbering::kMaxTexts; ++i) {
    ASSERT_EQ(numbering.Number(text(i)), i + 1);
  }
  EXPECT_EQ(numbering.Number("/one/more"), 0u);
  EXPECT_EQ(numbering.Number("/one/more"), 0u);
  for (size_t i = 0; i < TextNumbering::kMaxTexts; i += 997) {
    EXPECT_EQ(numbering.Number(text(i)), i + 1);
  }

  // The bytes run out before the count does for long texts.
  numbering.Clear();
  const std::string long_text(2048, 'x');
  const size_t count = TextNumbering::kMaxBytes / long_text.size() - 1;
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(numbering.Number(std::to_string(i) + long_text.substr(std::to_string(i).size())),
              i + 1);
  }
  ASSERT_EQ(numbering.Number(long_text.substr(5)), count + 1);  // leaves room for five bytes
  EXPECT_EQ(numbering.Number("y" + long_text.substr(1)), 0u);
  EXPECT_EQ(numbering.Number("short"), count + 2);
  EXPECT_EQ(numbering.Number("x"), 0u);
}

TEST(RecordTextNumbering, NumbersTheLookedUpTextsOfARecordAndLeavesEmptyOnesAtZero) {
  RecordTextNumbering numbering;
  LogRecord record;
  record.uri_stem.assign("/a");
  record.user_agent.assign("/a");  // each field numbers on its own
  numbering.Number(record);
  EXPECT_EQ(record.uri_stem_number, 1u);
  EXPECT_EQ(record.user_agent_number, 1u);
  EXPECT_EQ(record.referrer_number, 0u);

  record.Reset();
  EXPECT_EQ(record.uri_stem_number, 0u);
  record.uri_stem.assign("/b");
  record.referrer.assign("/a");
  numbering.Number(record);
  EXPECT_EQ(record.uri_stem_number, 2u);
  EXPECT_EQ(record.user_agent_number, 0u);
  EXPECT_EQ(record.referrer_number, 1u);
}

}  // namespace
}  // namespace velmora
