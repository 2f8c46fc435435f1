#include "analysis/rules/resource_rules_editing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/rules/resource_rules.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;

std::vector<ResourceMask> ThreeRules() {
  return {
      {"/default.ida", 0x000, 0}, {"*/root.exe", 0x000, 0}, {"*.htm", 0x101, 1},
      {"*.html", 0x101, 1},       {"*", 0x200, 2},
  };
}

// Each rule's masks as listed.
std::vector<std::string> Listed(const std::vector<ResourceMask>& masks) {
  std::vector<std::string> listed;
  for (const ResourceRuleLine& line : ListResourceRules(masks)) listed.push_back(line.masks);
  return listed;
}

std::vector<int32_t> Groups(const std::vector<ResourceMask>& masks) {
  std::vector<int32_t> groups;
  for (const ResourceMask& m : masks) groups.push_back(m.group);
  return groups;
}

TEST(ResourceRulesEditingTest, AddSplitsTheMaskTextIntoOneGroupAheadOfTheCatchAll) {
  std::vector<ResourceMask> masks = ThreeRules();
  const Result<int> added =
      AddResourceRule(masks, " *.gif, *.jpg ;*.png", kTypeImage, kRuleLogAsNonVisit);
  ASSERT_TRUE(added.ok());
  EXPECT_EQ(*added, 3);
  ASSERT_EQ(masks.size(), 8u);
  EXPECT_EQ(masks[4].mask, "*.gif");
  EXPECT_EQ(masks[6].mask, "*.png");
  EXPECT_EQ(masks[6].request_class, 0x203u);
  EXPECT_EQ(masks[7].mask, "*");
  EXPECT_EQ(Groups(masks), (std::vector<int32_t>{0, 0, 1, 1, 2, 2, 2, 3}));
  EXPECT_EQ(ApplyResourceRules(masks, "/a.gif"), 0x203u);
}

TEST(ResourceRulesEditingTest, CatchAllTailIsTheRunOfBroadRulesAtTheEnd) {
  struct Case {
    std::vector<ResourceMask> masks;
    int tail;
  };
  const Case cases[] = {
      {{}, 1},
      {{{"*.htm", 0x101, 0}}, 2},
      {{{"*", 0x200, 0}}, 1},
      {{{"*.htm", 0x101, 0}, {"*.*", 0x200, 1}, {"*", 0x101, 2}, {"**", 0x200, 3}}, 2},
      {{{"*", 0x200, 0}, {"*.htm", 0x101, 1}}, 3},         // a catch-all not at the end
      {{{"*.htm", 0x101, 0}, {"*, *.php", 0x101, 1}}, 3},  // one mask of the rule is narrower
      {{{"*.htm", 0x101, 0}, {"*", 0x200, 1}, {"*?", 0x200, 1}}, 2},
      {{{"*.htm", 0x101, 0}, {"?", 0x200, 1}}, 3},  // no star: one character only
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CatchAllTail(c.masks), c.tail) << ::testing::PrintToString(Listed(c.masks));
  }
}

TEST(ResourceRulesEditingTest, RemoveAndMoveKeepTheOtherRulesIntact) {
  std::vector<ResourceMask> masks = ThreeRules();
  ASSERT_TRUE(MoveResourceRule(masks, 1, MoveDirection::kDown).ok());
  EXPECT_EQ(Listed(masks),
            (std::vector<std::string>{"*.htm, *.html", "/default.ida, */root.exe", "*"}));
  EXPECT_EQ(Groups(masks), (std::vector<int32_t>{0, 0, 1, 1, 2}));
  ASSERT_TRUE(MoveResourceRule(masks, 3, MoveDirection::kUp).ok());
  EXPECT_EQ(Listed(masks),
            (std::vector<std::string>{"*.htm, *.html", "*", "/default.ida, */root.exe"}));
  ASSERT_TRUE(RemoveResourceRule(masks, 2).ok());
  EXPECT_EQ(Listed(masks), (std::vector<std::string>{"*.htm, *.html", "/default.ida, */root.exe"}));
  EXPECT_EQ(Groups(masks), (std::vector<int32_t>{0, 0, 1, 1}));
  EXPECT_EQ(masks[2].request_class, 0x000u);
}

TEST(ResourceRulesEditingTest, RulesWithRepeatedGroupNumbersNeverMerge) {
  // A file may number rules 0, 1, 0: moving the middle one must not join the outer two.
  std::vector<ResourceMask> masks = {{"*.a", 0x101, 0}, {"*.b", 0x102, 1}, {"*.c", 0x103, 0}};
  ASSERT_EQ(ListResourceRules(masks).size(), 3u);
  ASSERT_TRUE(MoveResourceRule(masks, 2, MoveDirection::kDown).ok());
  EXPECT_EQ(Listed(masks), (std::vector<std::string>{"*.a", "*.c", "*.b"}));
  EXPECT_EQ(Groups(masks), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(masks[1].request_class, 0x103u);
}

TEST(ResourceRulesEditingTest, RefusedEditsChangeNothingAndSayWhy) {
  const std::string long_mask(kMaxMaskLength + 1, 'x');
  struct Case {
    std::string name;
    std::function<Status(std::vector<ResourceMask>&)> edit;
    std::string message;
  };
  auto add = [](std::vector<ResourceMask>& m, std::string_view text, int32_t type,
                int32_t logging) -> Status {
    const Result<int> added = AddResourceRule(m, text, type, logging);
    return added.ok() ? Status{} : Status(added.error());
  };
  const Case cases[] = {
      {"no mask", [&](auto& m) { return add(m, " , ;", 1, 1); }, "no file mask"},
      {"long mask", [&](auto& m) { return add(m, "*.a," + long_mask, 1, 1); }, "longer than 259"},
      {"nul", [&](auto& m) { return add(m, std::string("*.a\0b", 5), 1, 1); }, "NUL"},
      {"type", [&](auto& m) { return add(m, "*.a", 4, 1); }, "resource type"},
      {"logging", [&](auto& m) { return add(m, "*.a", 1, 3); }, "logging strategy"},
      {"remove 0", [](auto& m) { return RemoveResourceRule(m, 0); }, "no rule 0"},
      {"remove 4", [](auto& m) { return RemoveResourceRule(m, 4); },
       "There is no rule 4: the list holds 3 rules"},
      {"top", [](auto& m) { return MoveResourceRule(m, 1, MoveDirection::kUp); },
       "Rule 1 is already at the top"},
      {"bottom", [](auto& m) { return MoveResourceRule(m, 3, MoveDirection::kDown); },
       "Rule 3 is already at the bottom"},
      {"move none", [](auto& m) { return MoveResourceRule(m, -2, MoveDirection::kDown); },
       "no rule -2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ResourceMask> masks = ThreeRules();
    const Status status = c.edit(masks);
    ASSERT_FALSE(status.ok());
    EXPECT_THAT(status.error().message, HasSubstr(c.message));
    EXPECT_EQ(masks, ThreeRules());
  }
  std::vector<ResourceMask> none;
  EXPECT_EQ(RemoveResourceRule(none, 1).error().message,
            "There is no rule 1: the list holds 0 rules");
}

}  // namespace
}  // namespace velmora
