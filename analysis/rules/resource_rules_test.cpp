#include "analysis/rules/resource_rules.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "parsing/records/default_resource_rules.h"

namespace velmora {
namespace {

struct UrlCase {
  std::string url;
  uint32_t request_class;
};

TEST(ApplyResourceRulesTest, NewWorkspaceRulesClassifyAsTheFileTypesPageSays) {
  const std::vector<ResourceMask> masks = DefaultResourceMasks();
  const UrlCase cases[] = {
      {"/Index.HTML", 0x101},        // a page logged as visit, whatever the case
      {"/pics/logo.gif", 0x200},     // nothing but "*": undefined, non-visit
      {"/scripts/root.exe", 0x000},  // group 0 comes before "*.exe"
      {"/favicon.ico", 0x203},       // an image logged as non-visit
      {"/sub/favicon.ico", 0x200},   // the favicon mask is anchored at the root
      {"/default.ida", 0x000},       // worm probes are not logged
      {"/x/y/CMD.EXE", 0x000},       // '*' spans '/'
      {"/setup.exe", 0x102},         // a download
      {"/files/a.zip", 0x102},       //
      {"/cgi-bin/run.cgi", 0x101},   //
      {"/a.php.bak", 0x200},         // the whole path must match the mask
      {"", 0x200},                   //
      {"/index.htm", 0x101},         //
  };
  for (const UrlCase& c : cases) {
    EXPECT_EQ(ApplyResourceRules(masks, c.url), c.request_class) << c.url;
    // The parsing layer's built-in rules agree with the flattened list.
    EXPECT_EQ(DefaultResourceClass(c.url), c.request_class) << c.url;
  }
}

TEST(ApplyResourceRulesTest, WithoutRulesEverythingIsUndefinedNonVisit) {
  for (std::string_view url : {"/", "/index.html", "/a.exe", ""}) {
    EXPECT_EQ(ApplyResourceRules({}, url), 0x200u) << url;
  }
}

TEST(ApplyResourceRulesTest, HostileMasksStillAnswerCorrectly) {
  // Correctness only; the time these take is measured by the rules benchmark.
  const std::string stars(2048, '*');
  std::string alternating;
  for (int i = 0; i < 1024; ++i) alternating += "*a";
  const std::string long_url = "/" + std::string(2047, 'a');
  const std::vector<ResourceMask> masks = {
      {alternating + "*b", 0x101, 0},
      {std::string(2048, '?'), 0x102, 1},
      {stars, 0x103, 2},
  };
  EXPECT_EQ(ApplyResourceRules(masks, long_url), 0x102u);
  EXPECT_EQ(ApplyResourceRules(masks, long_url + "b"), 0x101u);
  EXPECT_EQ(ApplyResourceRules(masks, "/x"), 0x103u);
}

// Reference matcher by dynamic programming over (mask position, text position).
bool ReferenceMatch(std::string_view mask, std::string_view text) {
  std::vector<std::vector<char>> can(mask.size() + 1, std::vector<char>(text.size() + 1, 0));
  can[mask.size()][text.size()] = 1;
  for (size_t m = mask.size(); m-- > 0;) {
    for (size_t t = text.size() + 1; t-- > 0;) {
      if (mask[m] == '*') {
        can[m][t] = can[m + 1][t] || (t < text.size() && can[m][t + 1]);
      } else if (t < text.size() &&
                 (mask[m] == '?' || std::tolower(mask[m]) == std::tolower(text[t]))) {
        can[m][t] = can[m + 1][t + 1];
      }
    }
  }
  return can[0][0];
}

TEST(ApplyResourceRulesTest, RandomMasksAgreeWithAReferenceMatcher) {
  std::mt19937 random(20021205);
  const std::string mask_chars = "aAb*?*,; /";
  const std::string url_chars = "abAB/?";
  auto text = [&random](const std::string& alphabet, size_t max_length) {
    std::string s(random() % (max_length + 1), ' ');
    for (char& c : s) c = alphabet[random() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 6000; ++round) {
    const std::vector<ResourceMask> masks = {{text(mask_chars, 12), 0x101, 0},
                                             {text(mask_chars, 12), 0x102, 1},
                                             {text(mask_chars, 6), 0x103, 2}};
    const std::string url = text(url_chars, 10);
    uint32_t expected = kUnmatchedRequestClass;
    for (const ResourceMask& entry : masks) {
      bool any = false;
      for (std::string_view piece : SplitMaskText(entry.mask))
        any = any || ReferenceMatch(piece, url);
      if (any) {
        expected = entry.request_class;
        break;
      }
    }
    ASSERT_EQ(ApplyResourceRules(masks, url), expected)
        << "'" << masks[0].mask << "' '" << masks[1].mask << "' on '" << url << "'";
  }
}

TEST(SplitMaskTextTest, SplitsAtCommasAndSemicolonsAndDropsEmptyPieces) {
  const std::pair<std::string, std::vector<std::string_view>> cases[] = {
      {"*.htm, *.html", {"*.htm", "*.html"}},
      {"*.a;*.b,*.c", {"*.a", "*.b", "*.c"}},
      {"  /x y  ", {"/x y"}},
      {"\t\r\n", {}},
      {",;,", {}},
      {"a,,b", {"a", "b"}},
      {"", {}},
  };
  for (const auto& [text, pieces] : cases) EXPECT_EQ(SplitMaskText(text), pieces) << text;
}

TEST(RequestClassTest, ClassesAndLabelsRoundTrip) {
  EXPECT_EQ(RequestClassOf(kTypePage, kRuleLogAsVisit), 0x101u);
  EXPECT_EQ(RequestClassOf(kTypeImage, kRuleLogAsNonVisit), 0x203u);
  EXPECT_EQ(RequestClassOf(kTypeDownload, kRuleDoNotLog), 0x002u);
  EXPECT_EQ(LoggingOfClass(0x101), kRuleLogAsVisit);
  EXPECT_EQ(LoggingOfClass(0x203), kRuleLogAsNonVisit);
  EXPECT_EQ(LoggingOfClass(0x002), kRuleDoNotLog);

  const std::pair<std::string_view, std::optional<int32_t>> types[] = {
      {"Page", 1},
      {"page", 1},
      {"IMAGE", 3},
      {"0", 0},
      {"3", 3},
      {"4", std::nullopt},
      {"", std::nullopt},
      {"Pages", std::nullopt},
      {"unchanged", std::nullopt},
  };
  for (const auto& [text, want] : types) EXPECT_EQ(ParseResourceType(text), want) << text;
  const std::pair<std::string_view, std::optional<int32_t>> logging[] = {
      {"Do not log", 0},   {"do-not-log", 0},           {"Log as Visit", 1},   {"log-as-visit", 1},
      {"visit", 1},        {"Log as non-Visit", 2},     {"non-visit", 2},      {"2", 2},
      {"3", std::nullopt}, {"unchanged", std::nullopt}, {"log", std::nullopt},
  };
  for (const auto& [text, want] : logging) EXPECT_EQ(ParseLogging(text), want) << text;
  EXPECT_EQ(ParseTypeAction("Unchanged"), kTypeActionUnchanged);
  EXPECT_EQ(ParseTypeAction("download"), kTypeDownload);
  EXPECT_EQ(ParseLoggingAction("unchanged"), kLoggingActionUnchanged);
  EXPECT_EQ(ParseLoggingAction("4"), std::nullopt);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(ParseResourceType(ResourceTypeName(i)), i);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(ParseLogging(LoggingName(i)), i);
  EXPECT_EQ(ResourceTypeName(-1), "");
  EXPECT_EQ(LoggingActionName(3), "Unchanged");
}

}  // namespace
}  // namespace velmora
