#include "workspace/rules_and_filters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "parsing/records/log_record.h"
#include "workspace/settings.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;

TEST(RulesAndFiltersTest, ClassifyUrlGivesTheNewWorkspaceClasses) {
  const WorkspaceSettings settings = NewWorkspaceSettings("site");
  struct Case {
    std::string url;
    uint32_t request_class;
    std::string_view type;
    std::string_view logging;
  };
  const Case cases[] = {
      {"/Index.HTML", 0x101, "Page", "Log as Visit"},
      {"/pics/logo.gif", 0x200, "Undefined", "Log as non-Visit"},
      {"/scripts/root.exe", 0x000, "Undefined", "Do not log"},
      {"/favicon.ico", 0x203, "Image", "Log as non-Visit"},
      {"/files/setup.exe", 0x102, "Download", "Log as Visit"},
      {"/docs/", 0x101, "Page", "Log as Visit"},  // the default document index.htm
  };
  for (const Case& c : cases) {
    const UrlClassification got = ClassifyUrl(settings, c.url);
    EXPECT_EQ(got.request_class, c.request_class) << c.url;
    EXPECT_EQ(got.type_name, c.type) << c.url;
    EXPECT_EQ(got.logging_name, c.logging) << c.url;
  }
  WorkspaceSettings no_rules = settings;
  no_rules.resource_masks.clear();
  EXPECT_EQ(ClassifyUrl(no_rules, "/index.html").request_class, 0x200u);
}

TEST(RulesAndFiltersTest, RuleEditsTakeLabels) {
  WorkspaceSettings settings = NewWorkspaceSettings("site");
  const Result<int> added = AddRule(settings, "*.gif, *.png", "image", "non-visit");
  ASSERT_TRUE(added.ok());
  EXPECT_EQ(*added, 5);  // ahead of the catch-all "*"
  ASSERT_TRUE(MoveRule(settings, 5, MoveDirection::kUp).ok());
  ASSERT_TRUE(RemoveRule(settings, 1).ok());
  const std::vector<ResourceRuleLine> rules = ListRules(settings);
  ASSERT_EQ(rules.size(), 5u);
  EXPECT_EQ(rules[2].masks, "*.gif, *.png");
  EXPECT_EQ(ClassifyUrl(settings, "/logo.gif").request_class, 0x203u);
  EXPECT_EQ(ClassifyUrl(settings, "/scripts/root.exe").request_class, 0x102u);

  EXPECT_THAT(AddRule(settings, "*.x", "Picture", "visit").error().message,
              HasSubstr("Unknown resource type 'Picture'"));
  EXPECT_THAT(AddRule(settings, "*.x", "Page", "sometimes").error().message,
              HasSubstr("Unknown logging strategy 'sometimes'"));
  EXPECT_EQ(ListRules(settings).size(), 5u);

  ASSERT_TRUE(AddRulePreset(settings, "modern").ok());
  EXPECT_EQ(ClassifyUrl(settings, "/about").type_name, "Page");
  EXPECT_THAT(AddRulePreset(settings, "retro").error().message,
              HasSubstr("There is no rule preset 'retro': the presets are modern"));
}

TEST(RulesAndFiltersTest, FiltersApplyOnlyWhenEnabled) {
  WorkspaceSettings settings = NewWorkspaceSettings("site");
  EXPECT_FALSE(FiltersEnabled(settings));
  ASSERT_TRUE(AddFilter(settings, LogFilter{}).ok());  // drops 127.0.0.1
  const std::vector<LogFilterLine> lines = ListFilters(settings);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].name, "New Filter");
  EXPECT_THAT(lines[0].summary, HasSubstr("IP_Address=127.0.0.1"));

  auto class_of_local_page = [&settings] {
    ParseOptions options;
    SetRequestClassifiers(settings, options);
    auto record = std::make_unique<LogRecord>();
    record->client_host.assign("127.0.0.1");
    record->uri_stem.assign("/index.html");
    CompleteRecord(options, *record);
    return record->request_class;
  };
  EXPECT_EQ(class_of_local_page(), 0x101u);
  SetFiltersEnabled(settings, true);
  EXPECT_TRUE(FiltersEnabled(settings));
  EXPECT_EQ(settings.block.flags,
            kFlagAdvancedVisitDetection | kFlagStoreFullPath | kFlagEnableFilters);
  EXPECT_EQ(class_of_local_page(), 0x000u);
  ASSERT_TRUE(RemoveFilter(settings, 1).ok());
  EXPECT_EQ(class_of_local_page(), 0x101u);
}

TEST(RulesAndFiltersTest, ImportedListsAreCheckedAndTheFaultNamed) {
  WorkspaceSettings settings = NewWorkspaceSettings("site");
  LogFilter filter;
  filter.name = "office";
  filter.address_operation = kFilterInSubnet;
  filter.address_text = "10.1.0.0/16";
  filter.address = 0;
  filter.address_mask = 0;
  settings.log_filters = {filter};
  ASSERT_TRUE(ValidateRulesAndFilters(settings).ok());
  EXPECT_EQ(settings.log_filters[0].address, 0x0A010000u);
  EXPECT_EQ(settings.log_filters[0].address_mask, 0xFFFF0000u);

  WorkspaceSettings bad_filter = settings;
  bad_filter.log_filters.push_back(filter);
  bad_filter.log_filters[1].address_text = "office";
  EXPECT_THAT(ValidateRulesAndFilters(bad_filter).error().message,
              HasSubstr("Filter 2 (office): The address 'office'"));

  WorkspaceSettings bad_class = settings;
  bad_class.resource_masks[0].request_class = 0x304;
  EXPECT_THAT(ValidateRulesAndFilters(bad_class).error().message,
              HasSubstr("'/default.ida' has the request class"));
  WorkspaceSettings both_bits = settings;
  both_bits.resource_masks[0].request_class = 0x301;
  EXPECT_FALSE(ValidateRulesAndFilters(both_bits).ok());
}

}  // namespace
}  // namespace velmora
