#include "analysis/log_filters.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/resource_rules.h"
#include "analysis/rules_parse_options.h"
#include "parsing/default_resource_rules.h"
#include "parsing/record_completion.h"

namespace velmora {
namespace {

// A request as a filter sees it: numeric client, status, method and the four texts.
struct Request {
  std::string host = "10.200.1.1";
  int32_t status = 200;
  std::string method = "GET";
  std::string referrer = "http://www.example.org/page";
  std::string user_agent = "Mozilla/4.0 (compatible; MSIE 6.0)";
  std::string resource = "/index.html";
  std::string query = "id=7";
};

std::unique_ptr<LogRecord> RecordOf(const Request& r) {
  auto record = std::make_unique<LogRecord>();
  record->client_host.assign(r.host);
  record->client_address = ClientAddressOf(r.host);
  record->status = r.status;
  record->method.assign(r.method);
  record->referrer.assign(r.referrer);
  record->user_agent.assign(r.user_agent);
  record->uri_stem.assign(r.resource);
  record->query.assign(r.query);
  return record;
}

// A filter that tests nothing and only sets a type, so that a match is visible in the verdict.
LogFilter Probe() {
  LogFilter f;
  f.address_operation = kFilterAny;
  f.type_action = kTypeImage;
  f.logging_action = kLoggingActionUnchanged;
  return f;
}

bool Matches(const LogFilter& filter, const Request& request) {
  const std::unique_ptr<LogRecord> record = RecordOf(request);
  return ApplyLogFilters({&filter, 1}, *record).type_set;
}

struct ConditionCase {
  std::string name;
  std::function<void(LogFilter&)> set;
  Request request;
  bool matches;
};

TEST(ApplyLogFiltersTest, EachConditionTestsItsFieldAsDocumented) {
  auto with = [](std::function<void(Request&)> change) {
    Request r;
    change(r);
    return r;
  };
  const ConditionCase cases[] = {
      // Address: subnet membership versus equality, host names as 0xFFFFFFFF.
      {"subnet holds",
       [](LogFilter& f) {
         f.address_operation = 3;
         f.address_text = "10.0.0.0/8";
       },
       {},
       true},
      {"equals a network",
       [](LogFilter& f) {
         f.address_operation = 1;
         f.address_text = "10.0.0.0/8";
       },
       {},
       false},
      {"equals the network address",
       [](LogFilter& f) {
         f.address_operation = 1;
         f.address_text = "10.0.0.0/8";
       },
       with([](Request& r) { r.host = "10.0.0.0"; }), true},
      {"not in subnet",
       [](LogFilter& f) {
         f.address_operation = 4;
         f.address_text = "10.0.0.0/8";
       },
       with([](Request& r) { r.host = "192.168.1.1"; }), true},
      {"not equals",
       [](LogFilter& f) {
         f.address_operation = 2;
         f.address_text = "127.0.0.1";
       },
       {},
       true},
      {"subnet ignores host bits of the text",
       [](LogFilter& f) {
         f.address_operation = 3;
         f.address_text = "10.9.9.9/8";
       },
       {},
       true},
      {"host name",
       [](LogFilter& f) {
         f.address_operation = 1;
         f.address_text = "255.255.255.255";
       },
       with([](Request& r) { r.host = "crawler.example.com"; }), true},
      {"stored numbers are not trusted over the text",
       [](LogFilter& f) {
         f.address_operation = 1;
         f.address_text = "10.200.1.1";
         f.address = 1;
       },
       {},
       true},
      // Status and method.
      {"status equals",
       [](LogFilter& f) {
         f.status_operation = 1;
         f.status = 404;
       },
       with([](Request& r) { r.status = 404; }), true},
      {"status not equals",
       [](LogFilter& f) {
         f.status_operation = 2;
         f.status = 200;
       },
       {},
       false},
      {"method ignores case",
       [](LogFilter& f) {
         f.method_operation = 1;
         f.method_text = "get";
       },
       {},
       true},
      {"method not equals",
       [](LogFilter& f) {
         f.method_operation = 2;
         f.method_text = "Get";
       },
       {},
       false},
      // Texts: whole-text comparisons ignore case, Includes does not.
      {"ua equals ignoring case",
       [](LogFilter& f) {
         f.user_agent_operation = 1;
         f.user_agent_text = "MOZILLA/4.0 (COMPATIBLE; MSIE 6.0)";
       },
       {},
       true},
      {"ua includes is case-sensitive",
       [](LogFilter& f) {
         f.user_agent_operation = 3;
         f.user_agent_text = "msie";
       },
       {},
       false},
      {"ua includes",
       [](LogFilter& f) {
         f.user_agent_operation = 3;
         f.user_agent_text = "MSIE";
       },
       {},
       true},
      {"empty includes never holds",
       [](LogFilter& f) {
         f.referrer_operation = 3;
         f.referrer_text = "";
       },
       {},
       false},
      {"empty not includes always holds",
       [](LogFilter& f) {
         f.referrer_operation = 4;
         f.referrer_text = "";
       },
       {},
       true},
      {"not includes",
       [](LogFilter& f) {
         f.referrer_operation = 4;
         f.referrer_text = "example";
       },
       {},
       false},
      {"referrer not equals",
       [](LogFilter& f) {
         f.referrer_operation = 2;
         f.referrer_text = "-";
       },
       {},
       true},
      {"resource equals",
       [](LogFilter& f) {
         f.resource_operation = 1;
         f.resource_text = "/INDEX.html";
       },
       {},
       true},
      {"query includes",
       [](LogFilter& f) {
         f.query_operation = 3;
         f.query_text = "id=";
       },
       {},
       true},
      {"query equals",
       [](LogFilter& f) {
         f.query_operation = 1;
         f.query_text = "id=8";
       },
       {},
       false},
      // Every condition must hold.
      {"two conditions, one fails",
       [](LogFilter& f) {
         f.address_operation = 3;
         f.address_text = "10.0.0.0/8";
         f.status_operation = 1;
         f.status = 500;
       },
       {},
       false},
      // Operations out of range test nothing.
      {"unknown operations",
       [](LogFilter& f) {
         f.user_agent_operation = 9;
         f.method_operation = -1;
       },
       {},
       true},
      // Texts longer than a request field compare without harm.
      {"long text",
       [](LogFilter& f) {
         f.query_operation = 3;
         f.query_text = std::string(5000, 'q');
       },
       {},
       false},
  };
  for (const ConditionCase& c : cases) {
    LogFilter filter = Probe();
    c.set(filter);
    EXPECT_EQ(Matches(filter, c.request), c.matches) << c.name;
  }
}

TEST(ApplyLogFiltersTest, ANewFilterDropsTheLocalMachine) {
  const LogFilter fresh;
  EXPECT_EQ(fresh.name, "New Filter");
  auto local = RecordOf(Request{.host = "127.0.0.1"});
  const LogFilterVerdict verdict = ApplyLogFilters({&fresh, 1}, *local);
  EXPECT_TRUE(verdict.type_set);
  EXPECT_TRUE(verdict.logging_set);
  EXPECT_EQ(verdict.type | verdict.logging, 0u);
  auto remote = RecordOf(Request{});
  const LogFilterVerdict untouched = ApplyLogFilters({&fresh, 1}, *remote);
  EXPECT_FALSE(untouched.type_set || untouched.logging_set);
}

TEST(ApplyLogFiltersTest, ContinueDecidesWhetherLaterFiltersAreTried) {
  LogFilter first = Probe();
  first.logging_action = kLoggingVisit;
  first.type_action = kTypeActionUnchanged;
  LogFilter second = Probe();
  second.logging_action = kLoggingNonVisit;
  second.type_action = kTypeActionUnchanged;

  for (const int32_t cont : {0, 1}) {
    first.continue_with_others = cont;
    const std::vector<LogFilter> filters = {first, second};
    auto record = RecordOf(Request{});
    const LogFilterVerdict verdict = ApplyLogFilters(filters, *record);
    EXPECT_TRUE(verdict.logging_set);
    EXPECT_FALSE(verdict.type_set);
    EXPECT_EQ(verdict.logging, cont ? 0x200u : 0x100u) << "continue " << cont;
  }
}

TEST(ApplyLogFiltersTest, ReplacementsAreSeenByLaterFilters) {
  LogFilter rewrite = Probe();
  rewrite.set_resource = 1;
  rewrite.new_resource = "/moved.html";
  rewrite.set_user_agent = 1;
  rewrite.new_user_agent = std::string(3000, 'u');  // cut to the field
  rewrite.set_referrer = 1;
  rewrite.new_referrer = "-";
  rewrite.set_query = 1;
  rewrite.new_query = "";
  rewrite.continue_with_others = 1;
  rewrite.type_action = kTypeActionUnchanged;
  LogFilter after = Probe();
  after.resource_operation = kFilterEquals;
  after.resource_text = "/moved.html";

  const std::vector<LogFilter> filters = {rewrite, after};
  auto record = RecordOf(Request{});
  const LogFilterVerdict verdict = ApplyLogFilters(filters, *record);
  EXPECT_TRUE(verdict.type_set);
  EXPECT_EQ(verdict.type, 3u);
  EXPECT_EQ(record->uri_stem.view(), "/moved.html");
  EXPECT_EQ(record->user_agent.size(), kLogTextCapacity);
  EXPECT_EQ(record->referrer.view(), "-");
  EXPECT_TRUE(record->query.empty());
}

TEST(ApplyLogFiltersTest, OutOfRangeActionsChangeNothing) {
  LogFilter odd = Probe();
  odd.type_action = 7;
  odd.logging_action = -1;
  auto record = RecordOf(Request{});
  const LogFilterVerdict verdict = ApplyLogFilters({&odd, 1}, *record);
  EXPECT_FALSE(verdict.type_set || verdict.logging_set);
}

// The whole road through record completion: filters first, then the rules on what they left.
struct CompletionCase {
  std::string name;
  std::vector<LogFilter> filters;
  bool enabled;
  std::string resource;
  uint32_t request_class;
};

TEST(RequestClassifiersTest, CompletionCombinesFiltersAndRules) {
  std::vector<ResourceMask> masks;
  for (const ResourceMaskEntry& e : DefaultResourceMaskEntries()) {
    masks.push_back({std::string(e.mask), e.request_class, e.group});
  }
  LogFilter page_type = Probe();
  page_type.type_action = kTypePage;
  LogFilter visit_logging = Probe();
  visit_logging.type_action = kTypeActionUnchanged;
  visit_logging.logging_action = kLoggingVisit;
  LogFilter both = Probe();
  both.type_action = kTypeDownload;
  both.logging_action = kLoggingNonVisit;
  LogFilter move = Probe();
  move.type_action = kTypeActionUnchanged;
  move.set_resource = 1;
  move.new_resource = "/index.html";
  LogFilter drop_local;  // a new filter: 127.0.0.1 is not logged
  LogFilter no_match = page_type;
  no_match.status_operation = kFilterEquals;
  no_match.status = 500;

  const CompletionCase cases[] = {
      {"type alone: 0x200 becomes 0x201", {page_type}, true, "/logo.gif", 0x201},
      {"logging alone: 0x203 becomes 0x103", {visit_logging}, true, "/favicon.ico", 0x103},
      {"both set: the rules are not asked", {both}, true, "/index.html", 0x202},
      {"rewritten resource reaches the rules", {move}, true, "/logo.gif", 0x101},
      {"do not log", {drop_local}, true, "/index.html", 0x000},
      {"no filter matches", {no_match}, true, "/logo.gif", 0x200},
      {"filters off", {page_type}, false, "/logo.gif", 0x200},
      {"no filters", {}, true, "/index.html", 0x101},
  };
  for (const CompletionCase& c : cases) {
    ParseOptions options;
    options.default_file = "index.htm";
    SetRequestClassifiers(masks, c.filters, c.enabled, options);
    EXPECT_EQ(static_cast<bool>(options.log_filters), c.enabled && !c.filters.empty()) << c.name;
    auto record = RecordOf(Request{.host = "127.0.0.1", .resource = c.resource});
    const bool logged = CompleteRecord(options, *record);
    EXPECT_EQ(record->request_class, c.request_class) << c.name;
    EXPECT_EQ(logged, c.request_class >= 0x100) << c.name;
  }
}

TEST(RequestClassifiersTest, AWorkspaceWithoutRulesLogsEverythingAsNonVisit) {
  ParseOptions options;
  SetRequestClassifiers({}, {}, true, options);
  ASSERT_TRUE(options.resource_rules);  // an empty callback would mean the default rules
  auto record = RecordOf(Request{.resource = "/index.html"});
  EXPECT_TRUE(CompleteRecord(options, *record));
  EXPECT_EQ(record->request_class, 0x200u);
}

TEST(RequestClassifiersTest, CallbacksOwnWhatTheyApply) {
  ParseOptions options;
  {
    std::vector<ResourceMask> masks = {{"*.html", 0x101, 0}};
    std::vector<LogFilter> filters = {Probe()};
    SetRequestClassifiers(masks, filters, true, options);
  }  // the settings are gone; the callbacks still work
  auto record = RecordOf(Request{});
  EXPECT_EQ(options.log_filters(*record).type, 3u);
  EXPECT_EQ(options.resource_rules("/a.html"), 0x101u);
}

}  // namespace
}  // namespace velmora
