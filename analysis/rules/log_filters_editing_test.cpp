#include "analysis/rules/log_filters_editing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "analysis/rules/log_filters_legacy.h"

namespace velmora {
namespace {

using ::testing::HasSubstr;

LogFilter Named(std::string name) {
  LogFilter f;
  f.name = std::move(name);
  return f;
}

std::vector<std::string> Names(const std::vector<LogFilter>& filters) {
  std::vector<std::string> names;
  for (const LogFilter& f : filters) names.push_back(f.name);
  return names;
}

TEST(LogFiltersEditingTest, AcceptedFiltersGetTheirNetworkFromTheText) {
  struct Case {
    std::string text;
    uint32_t address;
    uint32_t mask;
  };
  const Case cases[] = {
      {"127.0.0.1", 0x7F000001, 0xFFFFFFFF},          {"10.1.0.0/16", 0x0A010000, 0xFFFF0000},
      {" 10.1.0.0/16 ", 0x0A010000, 0xFFFF0000},      {"10.0.0.0/0", 0x0A000000, 0},
      {"255.255.255.255/32", 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    LogFilter f;
    f.address_operation = kFilterInSubnet;
    f.address_text = c.text;
    f.address = 0;
    f.address_mask = 0;
    ASSERT_TRUE(ValidateLogFilter(f).ok()) << c.text;
    EXPECT_EQ(f.address, c.address) << c.text;
    EXPECT_EQ(f.address_mask, c.mask) << c.text;
  }
  // With the address untested, its text may be anything.
  LogFilter any;
  any.address_operation = kFilterAny;
  any.address_text = "whatever";
  EXPECT_TRUE(ValidateLogFilter(any).ok());
}

TEST(LogFiltersEditingTest, InvalidFiltersAreRefusedWithAReason) {
  struct Case {
    std::function<void(LogFilter&)> spoil;
    std::string message;
  };
  const Case cases[] = {
      {[](LogFilter& f) { f.name = ""; }, "needs a name"},
      {[](LogFilter& f) { f.name = std::string(260, 'n'); }, "at most 259"},
      {[](LogFilter& f) { f.address_operation = 5; }, "address operation 5"},
      {[](LogFilter& f) { f.user_agent_operation = -1; }, "user-agent operation -1"},
      {[](LogFilter& f) { f.query_operation = 5; }, "query operation"},
      {[](LogFilter& f) { f.method_operation = 3; }, "method operation 3 is not one of Any"},
      {[](LogFilter& f) { f.status_operation = 3; }, "status operation"},
      {[](LogFilter& f) { f.resource_text = std::string(2049, 'r'); }, "longer than 2048"},
      {[](LogFilter& f) { f.new_referrer = std::string("a\0b", 3); }, "NUL"},
      {[](LogFilter& f) { f.set_query = 2; }, "\"Set Query String to\" must be 0 or 1"},
      {[](LogFilter& f) { f.continue_with_others = -1; }, "Continue with other filters"},
      {[](LogFilter& f) { f.type_action = 5; }, "resource type action"},
      {[](LogFilter& f) { f.logging_action = 4; }, "logging action"},
      {[](LogFilter& f) { f.address_text = "localhost"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "10.1/16"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "10.1.2.3 / 8"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "10.1.2.3/8x"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "10.0.0.256"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "+10.0.0.1"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "10.0.0.0/"; }, "not an address"},
      {[](LogFilter& f) { f.address_text = "0010.0.0.1"; }, "not an address"},
  };
  for (const Case& c : cases) {
    std::vector<LogFilter> filters = {Named("kept")};
    LogFilter f;
    c.spoil(f);
    const Status status = AddLogFilter(filters, f);
    ASSERT_FALSE(status.ok()) << c.message;
    EXPECT_THAT(status.error().message, HasSubstr(c.message));
    EXPECT_EQ(Names(filters), std::vector<std::string>{"kept"});
  }
}

TEST(LogFiltersEditingTest, AddRemoveMoveAndReplaceKeepTheOrder) {
  std::vector<LogFilter> filters;
  for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(AddLogFilter(filters, Named(name)).ok());
  ASSERT_TRUE(MoveLogFilter(filters, 3, MoveDirection::kUp).ok());
  EXPECT_EQ(Names(filters), (std::vector<std::string>{"a", "c", "b"}));
  ASSERT_TRUE(MoveLogFilter(filters, 1, MoveDirection::kDown).ok());
  EXPECT_EQ(Names(filters), (std::vector<std::string>{"c", "a", "b"}));
  ASSERT_TRUE(ReplaceLogFilter(filters, 2, Named("z")).ok());
  ASSERT_TRUE(RemoveLogFilter(filters, 1).ok());
  EXPECT_EQ(Names(filters), (std::vector<std::string>{"z", "b"}));

  EXPECT_EQ(MoveLogFilter(filters, 1, MoveDirection::kUp).error().message,
            "Filter 1 is already at the top");
  EXPECT_EQ(MoveLogFilter(filters, 2, MoveDirection::kDown).error().message,
            "Filter 2 is already at the bottom");
  EXPECT_EQ(RemoveLogFilter(filters, 3).error().message,
            "There is no filter 3: the list holds 2 filters");
  EXPECT_FALSE(ReplaceLogFilter(filters, 1, Named("")).ok());
  EXPECT_EQ(Names(filters), (std::vector<std::string>{"z", "b"}));
}

TEST(LegacyLogFilterTest, ConvertedFiltersAreNamedAfterTheirConditionsAndAction) {
  struct Case {
    LegacyLogFilter legacy;
    std::string name;
    int32_t logging_action;
    int32_t type_action;
  };
  const Case cases[] = {
      {{.address_operation = 1, .address_text = "127.0.0.1", .action = 0},
       "IP_Address=127.0.0.1 Then Do not Log",
       kLoggingDoNotLog,
       kTypeActionUnchanged},
      {{.address_operation = 4,
        .address_text = "10.0.0.0/8",
        .status_operation = 2,
        .status = 200,
        .action = 1},
       "IP_Address not in 10.0.0.0/8 And Status<>200 Then Log as Non-Visit",
       kLoggingNonVisit,
       kTypeActionUnchanged},
      {{.user_agent_operation = 3,
        .user_agent_text = "bot",
        .referrer_operation = 2,
        .referrer_text = "-",
        .action = 2},
       "UserAgent includes 'bot' And Referrer<>'-' Then Log as Non-Visit and Set Resource Type "
       "to Undefined",
       kLoggingNonVisit,
       kTypeUndefined},
      {{.address_operation = 3,
        .address_text = "10.1.0.0/16",
        .user_agent_operation = 4,
        .user_agent_text = "MSIE",
        .referrer_operation = 1,
        .referrer_text = "x",
        .method_operation = 1,
        .method_text = "POST",
        .status_operation = 1,
        .status = 404,
        .action = 3},
       "IP_Address in 10.1.0.0/16 And UserAgent not includes 'MSIE' And Referrer='x' And "
       "Method='POST' And Status=404 Then Log as Visit",
       kLoggingVisit,
       kTypeActionUnchanged},
      {{.address_operation = 2,
        .address_text = "1.2.3.4",
        .user_agent_operation = 1,
        .user_agent_text = "a",
        .referrer_operation = 3,
        .referrer_text = "r",
        .method_operation = 2,
        .method_text = "GET",
        .action = 4},
       "IP_Address<>1.2.3.4 And UserAgent='a' And Referrer includes 'r' And Method<>'GET' Then "
       "Log as Visit and Set Resource Type to Undefined",
       kLoggingVisit,
       kTypeUndefined},
      {{.user_agent_operation = 2,
        .user_agent_text = "x",
        .referrer_operation = 4,
        .referrer_text = "y",
        .action = 0},
       "UserAgent<>'x' And Referrer not includes 'y' Then Do not Log",
       kLoggingDoNotLog,
       kTypeActionUnchanged},
      {{.action = 0}, "Then Do not Log", kLoggingDoNotLog, kTypeActionUnchanged},
      {{.method_operation = 3, .method_text = "GET", .action = 9},
       "Then ",
       kLoggingActionUnchanged,
       kTypeActionUnchanged},
  };
  for (const Case& c : cases) {
    const LogFilter f = ConvertLegacyLogFilter(c.legacy);
    EXPECT_EQ(f.name, c.name);
    EXPECT_EQ(f.logging_action, c.logging_action) << c.name;
    EXPECT_EQ(f.type_action, c.type_action) << c.name;
    EXPECT_EQ(f.resource_operation, kFilterAny);
    EXPECT_EQ(f.query_operation, kFilterAny);
    EXPECT_EQ(f.set_resource + f.set_query + f.set_referrer + f.set_user_agent, 0);
    EXPECT_EQ(f.continue_with_others, 0);
    EXPECT_EQ(f.address_text, c.legacy.address_text);
  }
  const LogFilter subnet =
      ConvertLegacyLogFilter({.address_operation = 3, .address_text = "10.1.0.0/16"});
  EXPECT_EQ(subnet.address, 0x0A010000u);
  EXPECT_EQ(subnet.address_mask, 0xFFFF0000u);
}

TEST(LegacyLogFilterTest, SummariesTellConditionsAndActions) {
  LogFilter f;
  EXPECT_EQ(LogFilterSummary(f),
            "IP_Address=127.0.0.1 Then Do not log, Set Resource Type to "
            "Undefined");
  f.address_operation = kFilterAny;
  f.resource_operation = kFilterIncludes;
  f.resource_text = "/admin";
  f.query_operation = kFilterEquals;
  f.query_text = "x=1";
  f.set_resource = 1;
  f.new_resource = "/hidden";
  f.logging_action = kLoggingActionUnchanged;
  f.type_action = kTypeActionUnchanged;
  f.continue_with_others = 1;
  EXPECT_EQ(LogFilterSummary(f),
            "Resource includes '/admin' And QueryString='x=1' Then Set Resource to '/hidden', "
            "Continue with other filters");
}

}  // namespace
}  // namespace velmora
