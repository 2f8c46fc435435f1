#include "parsing/formats/layout_names.h"

#include <gtest/gtest.h>

#include "parsing/formats/format_candidates.h"

namespace velmora {
namespace {

TEST(LayoutNamesTest, ExtraFieldsAreWordsOrQuotedTexts) {
  const struct {
    const char* extras;
    int fields;
  } cases[] = {
      {"", 0},
      {"  \t ", 0},
      {" 0.012", 1},
      {" \"198.51.100.23, 10.0.0.1\"", 1},
      {" \"say \\\"hi\\\" now\" 7", 2},
      {" 0.012 0.010 \"shop.example.org\"", 3},
      {" \"unclosed quote and more", 1},
      {" \"\" \"-\"", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(CountExtraFields(c.extras), c.fields) << c.extras;
}

TEST(LayoutNamesTest, NamesCandidatesAndTheirExtraFields) {
  const std::string_view combined_extras = FormatCandidates()[21];
  const std::string line =
      "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5 \"-\" \"ua\"";
  EXPECT_EQ(LayoutName(FormatCandidates()[6], line), "NCSA combined");
  EXPECT_EQ(LayoutName(combined_extras, line), "NCSA combined");
  EXPECT_EQ(LayoutName(combined_extras, line + " 0.1"), "NCSA combined + 1 field");
  EXPECT_EQ(LayoutName(combined_extras, line + " 0.1 \"a b\""), "NCSA combined + 2 fields");
  EXPECT_EQ(LayoutName(combined_extras, "not a log line"), "NCSA combined");
  EXPECT_EQ(LayoutName("%S %r", "h /"), "custom format");
  EXPECT_EQ(W3cLayoutName("#Fields: date time c-ip"), "W3C Extended");
  EXPECT_EQ(W3cLayoutName("#Fields: date time x-edge-location sc-bytes"),
            "Amazon CloudFront (W3C Extended)");
}

}  // namespace
}  // namespace velmora
