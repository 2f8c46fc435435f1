#include "analysis/rules/log_filters.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/rules/resource_rules.h"
#include "analysis/rules/rules_parse_options.h"
#include "parsing/records/record_completion.h"

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

// Which condition of a filter a table row sets: its operation and its text.
struct Field {
  int32_t LogFilter::*operation;
  std::string LogFilter::*text;
};
constexpr Field kAddress{&LogFilter::address_operation, &LogFilter::address_text};
constexpr Field kMethod{&LogFilter::method_operation, &LogFilter::method_text};
constexpr Field kAgent{&LogFilter::user_agent_operation, &LogFilter::user_agent_text};
constexpr Field kReferrer{&LogFilter::referrer_operation, &LogFilter::referrer_text};
constexpr Field kResource{&LogFilter::resource_operation, &LogFilter::resource_text};
constexpr Field kQuery{&LogFilter::query_operation, &LogFilter::query_text};

TEST(ApplyLogFiltersTest, EachConditionTestsItsFieldAsDocumented) {
  struct Case {
    const char* name;
    Field field;
    int32_t operation;
    std::string text;
    Request request;
    bool matches;
  };
  const Case cases[] = {
      // Address: subnet membership versus equality, host names as 0xFFFFFFFF.
      {"subnet holds", kAddress, 3, "10.0.0.0/8", {}, true},
      {"equals a network", kAddress, 1, "10.0.0.0/8", {}, false},
      {"equals the network address", kAddress, 1, "10.0.0.0/8", {.host = "10.0.0.0"}, true},
      {"not in subnet", kAddress, 4, "10.0.0.0/8", {.host = "192.168.1.1"}, true},
      {"not equals", kAddress, 2, "127.0.0.1", {}, true},
      {"subnet ignores host bits of the text", kAddress, 3, "10.9.9.9/8", {}, true},
      {"host name", kAddress, 1, "255.255.255.255", {.host = "crawler.example.com"}, true},
      {"method ignores case", kMethod, 1, "get", {}, true},
      {"method not equals", kMethod, 2, "Get", {}, false},
      // Texts: whole-text comparisons ignore case, Includes does not.
      {"ua equals ignoring case", kAgent, 1, "MOZILLA/4.0 (COMPATIBLE; MSIE 6.0)", {}, true},
      {"ua includes is case-sensitive", kAgent, 3, "msie", {}, false},
      {"ua includes", kAgent, 3, "MSIE", {}, true},
      {"empty includes never holds", kReferrer, 3, "", {}, false},
      {"empty not includes always holds", kReferrer, 4, "", {}, true},
      {"not includes", kReferrer, 4, "example", {}, false},
      {"referrer not equals", kReferrer, 2, "-", {}, true},
      {"resource equals", kResource, 1, "/INDEX.html", {}, true},
      {"query includes", kQuery, 3, "id=", {}, true},
      {"query equals", kQuery, 1, "id=8", {}, false},
      // Operations out of range test nothing.
      {"unknown operation", kAgent, 9, "nothing like it", {}, true},
      {"negative operation", kMethod, -1, "PUT", {}, true},
      // Texts longer than a request field compare without harm.
      {"long text", kQuery, 3, std::string(5000, 'q'), {}, false},
  };
  for (const Case& c : cases) {
    LogFilter filter = Probe();
    filter.*c.field.operation = c.operation;
    filter.*c.field.text = c.text;
    EXPECT_EQ(Matches(filter, c.request), c.matches) << c.name;
  }

  LogFilter status = Probe();
  status.status_operation = kFilterEquals;
  status.status = 404;
  EXPECT_TRUE(Matches(status, {.status = 404}));
  status.status_operation = kFilterNotEquals;
  status.status = 200;
  EXPECT_FALSE(Matches(status, {}));
  // The stored numbers are not trusted over the text.
  LogFilter stale = Probe();
  stale.address_operation = kFilterEquals;
  stale.address_text = "10.200.1.1";
  stale.address = 1;
  EXPECT_TRUE(Matches(stale, {}));
  // Every condition must hold.
  LogFilter two = status;
  two.address_operation = kFilterInSubnet;
  two.address_text = "10.0.0.0/8";
  two.status_operation = kFilterEquals;
  two.status = 500;
  EXPECT_FALSE(Matches(two, {}));
  // A new filter drops the local machine only (its verdict is a completion case below).
  EXPECT_FALSE(Matches(LogFilter{}, {}));
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
  const std::vector<ResourceMask> masks = DefaultResourceMasks();
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
