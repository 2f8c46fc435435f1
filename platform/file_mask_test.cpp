#include "platform/file_mask.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace velmora {
namespace {

TEST(FileMaskTest, MatchesWholeTextIgnoringAsciiCase) {
  struct Case {
    std::string_view mask;
    std::string_view text;
    bool match;
  };
  const Case cases[] = {
      // The masks a new workspace starts with.
      {"*.html", "/Index.HTML", true},
      {"*.html", "/index.html?x", false},
      {"*.GIF", "/a.gif", true},
      {"*.gif", ".gif", true},
      {"*.gif", "gif", false},
      {"*.gif", "", false},
      {"*/root.exe", "/scripts/root.exe", true},
      {"*/root.exe", "root.exe", false},
      {"/default.ida", "/default.ida", true},
      {"/default.ida", "/x/default.ida", false},
      {"/favicon.ico", "/favicon.ico", true},
      {"/favicon.ico", "/favicon.icon", false},
      {"/favicon.ico", "/favicon.ic", false},
      // '*' spans anything, '/' included, and nothing at all.
      {"*", "", true},
      {"*", "/a/b/c.d", true},
      {"**", "", true},
      {"/a*", "/a", true},
      {"/a*/c", "/a/b/c", true},
      {"*a*", "xyz", false},
      // '?' is exactly one character.
      {"?", "", false},
      {"?", "a", true},
      {"?", "ab", false},
      {"/?.gif", "/a.gif", true},
      {"*?", "", false},
      {"*?", "/", true},
      // Empty mask, only empty text.
      {"", "", true},
      {"", "a", false},
      // Case folding is ASCII only; other bytes compare as they are.
      {"\xC4*", "\xC4x", true},
      {"\xC4*", "\xE4x", false},
      {"A\xE4", "a\xE4", true},
      // Backtracking past a partial match.
      {"*ab", "aab", true},
      {"*aab", "aaab", true},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchFileMask(c.mask, c.text), c.match)
        << '"' << c.mask << "\" vs \"" << c.text << '"';
  }
}

TEST(FileMaskTest, PathologicalMasksStayFast) {
  const std::string as(10000, 'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(MatchFileMask("*a*a*a*a*a*b", as));
  EXPECT_FALSE(MatchFileMask("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", as));
  EXPECT_TRUE(MatchFileMask("*a*a*a*a*a*a", as));
  EXPECT_FALSE(MatchFileMask(std::string(5000, '*') + "b", as));
  EXPECT_FALSE(MatchFileMask("*" + std::string(200, '?') + "b", as));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

}  // namespace
}  // namespace velmora
