#include "analysis/rules/rule_presets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/rules/resource_rules.h"
#include "analysis/rules/resource_rules_editing.h"

namespace velmora {
namespace {

TEST(RulePresetsTest, ModernClassifiesTodaysPathsAndKeepsTheRulesBeforeIt) {
  std::vector<ResourceMask> masks = DefaultResourceMasks();
  const RulePreset* modern = FindRulePreset("Modern");
  ASSERT_NE(modern, nullptr);
  const Result<int> first = AddRulePreset(masks, *modern);
  ASSERT_TRUE(first.ok()) << first.error().message;
  EXPECT_EQ(*first, 5);  // ahead of the new workspace's "*", its fifth rule
  EXPECT_EQ(ListResourceRules(masks).back().masks, "*");
  EXPECT_EQ(ListResourceRules(masks).size(), 5u + modern->rules.size());

  struct Case {
    const char* url;
    uint32_t request_class;
  } const cases[] = {
      {"/about", 0x101},         {"/blog/2026/a-post", 0x101}, {"/shop/", 0x101},
      {"/index.html", 0x101},    {"/photos/Cat.JPG", 0x203},   {"/img/logo.svg", 0x203},
      {"/dl/setup.msi", 0x102},  {"/papers/a.pdf", 0x102},     {"/media/talk.mp4", 0x102},
      {"/static/app.js", 0x200}, {"/css/site.css", 0x200},     {"/fonts/x.woff2", 0x200},
      {"/robots.txt", 0x200},    {"/favicon.ico", 0x203},      {"/scripts/root.exe", 0x000},
      {"/v1.2/notes", 0x200},  // a dot in a folder reads as a file: the masks cannot tell
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ApplyResourceRules(masks, c.url), c.request_class) << c.url;
  }

  // A rule added afterwards goes ahead of the preset's catch-alls, where it takes effect.
  ASSERT_TRUE(AddResourceRule(masks, "*.rss", kTypeUndefined, kRuleDoNotLog).ok());
  EXPECT_EQ(ApplyResourceRules(masks, "/feed.rss"), 0x000u);

  const std::vector<ResourceMask> before = masks;
  const Result<int> again = AddRulePreset(masks, *modern);
  ASSERT_FALSE(again.ok());
  EXPECT_EQ(again.error().message, "The modern preset is in the rules already (rule 5)");
  EXPECT_EQ(masks, before);
  EXPECT_EQ(FindRulePreset("classic"), nullptr);
}

}  // namespace
}  // namespace velmora
