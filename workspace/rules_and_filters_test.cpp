#include "workspace/rules_and_filters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "workspace/settings.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;

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
