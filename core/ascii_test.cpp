#include "core/ascii.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(AsciiTest, OnlyLettersAToZChangeCase) {
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    const bool upper = c >= 'A' && c <= 'Z';
    const bool lower = c >= 'a' && c <= 'z';
    EXPECT_EQ(AsciiLower(ch), upper ? static_cast<char>(c + 32) : ch) << c;
    EXPECT_EQ(AsciiUpper(ch), lower ? static_cast<char>(c - 32) : ch) << c;
  }
  EXPECT_EQ(AsciiLowered("GET /Index.HTML \xC4\xD6"), "get /index.html \xC4\xD6");
  EXPECT_EQ(AsciiUppered("post /x?q=\xE4"), "POST /X?Q=\xE4");
  std::string s = "MiXeD";
  AsciiLowerInPlace(s);
  EXPECT_EQ(s, "mixed");
  AsciiUpperInPlace(s);
  EXPECT_EQ(s, "MIXED");
}

TEST(AsciiTest, ComparisonIgnoresCaseAndOrdersUnsignedBytes) {
  struct Case {
    std::string_view a, b;
    int sign;
  };
  const Case cases[] = {
      {"", "", 0},          {"abc", "ABC", 0},
      {"abc", "ABD", -1},   {"ABD", "abc", 1},
      {"ab", "AB", 0},      {"a", "ab", -1},
      {"ab", "a", 1},       {"", "a", -1},
      {"z", "\xE4", -1},  // 0xE4 sorts after ASCII, not before as a signed char would
      {"[", "a", -1},     // '[' (0x5B) is compared against 'a', not 'A'
      {"\xC4", "\xE4", -1}, {std::string_view("a\0b", 3), std::string_view("a\0c", 3), -1},
  };
  for (const Case& c : cases) {
    const int got = AsciiCompareIgnoreCase(c.a, c.b);
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ(AsciiEqualsIgnoreCase(c.a, c.b), c.sign == 0) << c.a << " vs " << c.b;
  }
}

}  // namespace
}  // namespace velmora
