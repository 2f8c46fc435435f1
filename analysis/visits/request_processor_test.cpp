#include "analysis/visits/request_processor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/visits/address_key.h"
#include "analysis/visits/hourly_counts.h"
#include "analysis/visits/request_processor_testing.h"
#include "storage/database_keys.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using testing::kDownloadVisit;
using testing::kNotLogged;
using testing::kPageNonVisit;
using testing::Request;
using testing::TimeOf;

class RequestProcessorTest : public testing::ProcessorFixture {
 protected:
  // Hourly records in hour order: (hour, hits, server errors, client errors, received, sent).
  std::vector<std::tuple<Ticks, uint32_t, uint32_t, uint32_t, int64_t, int64_t>> Hours() {
    std::vector<std::tuple<Ticks, uint32_t, uint32_t, uint32_t, int64_t, int64_t>> hours;
    TableFile& index = db_.hourly().index(1);
    for (int32_t p = 0; p < index.Count(); ++p) {
      const HourlyRecord h = db_.hourly().Get(static_cast<int32_t>(index.Entry(p)));
      hours.emplace_back(h.hour.value(), h.hits, h.server_errors, h.client_errors,
                         h.bytes_received.signed_value(), h.bytes_sent.signed_value());
    }
    return hours;
  }
  // Error records in index order as (status, resource text, referrer, class).
  std::vector<std::tuple<int32_t, std::string, int32_t, uint32_t>> Errors() {
    std::vector<std::tuple<int32_t, std::string, int32_t, uint32_t>> errors;
    TableFile& index = db_.error_records().index(1);
    for (int32_t p = 0; p < index.Count(); ++p) {
      const ErrorRecord e = db_.error_records().Get(static_cast<int32_t>(index.Entry(p)));
      errors.emplace_back(e.status, std::string(db_.resources().Get(e.resource)), e.referrer,
                          e.request_class);
    }
    return errors;
  }
};

TEST(AddressKey, HostNamesHashBelowTheNumericRange) {
  EXPECT_EQ(HostNameAddressKey("abc"), 0x8CBB73u);
  EXPECT_EQ(AddressKey(kNamedClientAddress, "abc"), 0x8CBB73u);
  EXPECT_EQ(AddressKey(0x0A000001, "10.0.0.1"), 0x0A000001u);
  EXPECT_NE(HostNameAddressKey("ABC"), HostNameAddressKey("abc"));  // no case mapping
  for (std::string_view name : {"", "a", "proxy.example.net", "x.y.z.w.v.u"}) {
    EXPECT_LT(HostNameAddressKey(name), kHostNameKeyLimit) << name;
  }
  EXPECT_EQ(VisitNetwork(0x0A010203), 0x0A010000u);
  EXPECT_EQ(VisitNetwork(0x8CBB73), 0x8CBB73u);
  EXPECT_EQ(VisitNetwork(0x00FFFFFF), 0x00FFFFFFu);  // 0.x.x.x counts as a host-name key
}

TEST_F(RequestProcessorTest, HourlyCountsEveryLineAlsoDroppedOnes) {
  Send({.time = "10:05", .status = 200, .bytes_sent = 100, .bytes_received = 10});
  Send({.time = "10:59:59",
        .url = "/x.exe",
        .status = 404,
        .request_class = kNotLogged,
        .bytes_sent = 7,
        .bytes_received = 3});
  Send({.time = "10:30", .status = 503, .request_class = kNotLogged});
  Send({.time = "09:10", .status = 302, .bytes_sent = 1, .bytes_received = 1});
  Send({.time = "11:00", .status = 600, .bytes_sent = 0, .bytes_received = 0});
  EXPECT_THAT(Hours(), ElementsAre(std::tuple(TimeOf(5, "09:00"), 1u, 0u, 0u, 1, 1),
                                   std::tuple(TimeOf(5, "10:00"), 3u, 1u, 1u, 23, 207),
                                   std::tuple(TimeOf(5, "11:00"), 1u, 0u, 0u, 0, 0)));
  // The dropped lines created nothing else; status 600 counts in no hourly column but is an
  // error of its own.
  EXPECT_EQ(db_.resources().Find("/x.exe"), -1);
  EXPECT_EQ(db_.error_records().Count(), 1);
  EXPECT_EQ(db_.error_records().Get(0).status, 600);
  EXPECT_EQ(db_.sessions().Count(), 3);  // 09:10, 10:05 and 11:00 are 55 minutes apart
}

TEST_F(RequestProcessorTest, HourKeepsMillisecondsAsLogged) {
  testing::FillRecord({.time = "10:42:17"}, *record_);
  record_->calendar_time.milliseconds = 250;
  EXPECT_EQ(HourKeyOf(*record_), TimeOf(5, "10:00") + 250 * kTicksPerMillisecond);
}

TEST_F(RequestProcessorTest, NothingIsFiledForAnEmptyUrlOrADroppedClass) {
  LogRecord& record = *record_;
  testing::FillRecord({.url = "", .referrer = "http://a.example/"}, record);
  processor_->ProcessRecord(record);
  testing::FillRecord({.request_class = 0xFF, .referrer = "http://a.example/"}, record);
  processor_->ProcessRecord(record);
  EXPECT_EQ(db_.referer_strings().Count(), 0);
  EXPECT_EQ(db_.resources().Count(), 0);
  EXPECT_EQ(db_.user_agent_strings().Count(), 0);
  EXPECT_EQ(db_.file_traffic().Count(), 0);
  EXPECT_EQ(db_.sessions().Count(), 0);
}

TEST_F(RequestProcessorTest, ErrorsAreKeyedByStatusResourceAndReferrerFor404Only) {
  Send({.url = "/gone", .status = 404, .referrer = "http://a.example/1"});
  Send({.url = "/gone", .status = 404, .referrer = "http://a.example/2"});
  Send({.url = "/gone", .status = 404, .referrer = "http://a.example/1"});
  Send({.url = "/secret", .status = 403, .referrer = "http://a.example/1"});
  Send({.url = "/secret", .status = 403, .referrer = "http://a.example/2"});
  Send({.url = "/gone", .status = 404, .request_class = kPageNonVisit});  // no referrer
  const LogRecord& fine = Send({.url = "/fine", .status = 399});
  EXPECT_EQ(fine.error_id, -1);
  Flush();  // new keys reach the index in batches, the last at the end of the run
  const int32_t ref1 = db_.referer_strings().Find("http://a.example/1");
  const int32_t ref2 = db_.referer_strings().Find("http://a.example/2");
  EXPECT_THAT(
      Errors(),
      ElementsAre(std::tuple(403, "/secret", -1, 0x101u), std::tuple(404, "/gone", -1, 0x201u),
                  std::tuple(404, "/gone", ref1, 0x101u), std::tuple(404, "/gone", ref2, 0x101u)));
  const LogRecord& again = Send({.url = "/secret", .status = 403});
  EXPECT_EQ(again.error_id, 2);  // the third record created
}

TEST_F(RequestProcessorTest, ServerErrorsAreFiledPerQuery) {
  struct Case {
    int32_t status;
    std::string query;
    std::string filed;
  };
  const Case cases[] = {
      {503, "a=1", "/x?a=1"}, {503, "-", "/x"},   {503, "", "/x"},
      {500, "b=2", "/x?b=2"}, {404, "a=1", "/x"}, {200, "a=1", "/x"},
  };
  for (const Case& c : cases) {
    const LogRecord& r = Send({.url = "/x", .query = c.query, .status = c.status});
    EXPECT_EQ(db_.resources().Get(static_cast<int32_t>(r.resource_id)), c.filed)
        << c.status << " " << c.query;
  }
  // A query too long for the field is cut with it, at 2,048 characters.
  const LogRecord& r = Send({.url = "/x", .query = std::string(3000, 'q'), .status = 500});
  EXPECT_EQ(db_.resources().Get(static_cast<int32_t>(r.resource_id)),
            "/x?" + std::string(2045, 'q'));
}

TEST_F(RequestProcessorTest, TrafficIsSummedPerResourceAndDay) {
  Send({.time = "10:00", .url = "/a", .bytes_sent = 100});
  Send({.time = "23:59", .url = "/a", .request_class = kDownloadVisit, .bytes_sent = 50});
  Send({.time = "00:01", .url = "/a", .bytes_sent = 7, .day = 6});
  Send({.time = "12:00", .url = "/b", .request_class = kDownloadVisit, .bytes_sent = 1});
  Flush();
  RecordTable<FileTrafficRecord>& traffic = db_.file_traffic();
  std::vector<std::tuple<Ticks, std::string, uint32_t, int64_t>> rows;
  for (int32_t p = 0; p < traffic.index(1).Count(); ++p) {
    const FileTrafficRecord t = traffic.Get(static_cast<int32_t>(traffic.index(1).Entry(p)));
    rows.emplace_back(t.day.value(), std::string(db_.resources().Get(t.resource)), t.resource_type,
                      t.bytes_sent.signed_value());
  }
  const Ticks day5 = TimeOf(5, "00:00");
  EXPECT_THAT(rows, ElementsAre(std::tuple(day5, "/a", 1u, 150), std::tuple(day5, "/b", 2u, 1),
                                std::tuple(TimeOf(6, "00:00"), "/a", 1u, 7)));
  EXPECT_EQ(traffic.index(2).Count(), 3);
  EXPECT_EQ(record_->calendar_time.hour, 0);  // the day key cleared the time of day
}

TEST_F(RequestProcessorTest, ReferrersAreFiledAndAnalysedOncePerText) {
  Restart(true);
  struct Case {
    std::string referrer;
    std::string domain;
    uint32_t kind;
  };
  const Case cases[] = {
      {"-", "[Direct Request]", 1},
      {"file:///C:/page.htm", "[Direct Request]", 4},
      {"http://www.Example.COM./about", "example.com", 2},
      {"http://Intranet:8080/x", "intranet", 4},
      {"http://localhost/", "localhost", 1},
      {"http://www.finder.test/search?q=velmora", "finder.test", 3},
  };
  for (const Case& c : cases) {
    const LogRecord& r = Send({.referrer = c.referrer});
    EXPECT_EQ(r.referrer_kind, c.kind) << c.referrer;
    EXPECT_EQ(db_.ref_domains().Get(static_cast<int32_t>(r.referrer_domain_id)), c.domain)
        << c.referrer;
    EXPECT_EQ(db_.referers().Get(static_cast<int32_t>(r.referrer_id)).domain,
              static_cast<int32_t>(r.referrer_domain_id));
  }
  const int analysed = classifiers_.referrers_analysed;
  const LogRecord& again = Send({.referrer = "http://www.finder.test/search?q=velmora"});
  EXPECT_EQ(classifiers_.referrers_analysed, analysed);
  EXPECT_EQ(again.referrer_kind, 3u);
  EXPECT_EQ(db_.referer_strings().Count(), static_cast<int32_t>(std::size(cases)));
  EXPECT_EQ(db_.referers().Count(), db_.referer_strings().Count());
  // Both "[Direct Request]" referrers share one domain.
  EXPECT_EQ(db_.ref_domains().Count(), 5);
}

TEST_F(RequestProcessorTest, AReferrerLeftUnanalysedIsAnalysedWhenSeenAgain) {
  const LogRecord& first = Send({.referrer = "http://www.finder.test/search?q=x"});
  const auto id = static_cast<int32_t>(first.referrer_id);
  RefererRecord record = db_.referers().Get(id);
  record.kind = 0;  // as a run that ended between storing and analysing leaves it
  processor_->EndRun();
  db_.referers().Set(id, record);
  processor_->BeginRun();  // the next run, on the same processor: nothing of the last one holds
  const LogRecord& again = Send({.referrer = "http://www.finder.test/search?q=x"});
  EXPECT_EQ(again.referrer_kind, 3u);
  EXPECT_EQ(db_.referers().Get(id).kind, 3u);
  EXPECT_EQ(classifiers_.referrers_analysed, 2);
}

// Runs of one user agent and referrer, texts coming back after others, empty ones between, a
// text that differs in its last character only and a new run: every request is filed as it is
// with nothing remembered from the one before.
TEST_F(RequestProcessorTest, RepeatedAgentsAndReferrersFileAsWhenLookedUpAfresh) {
  const std::string search = "http://www.finder.test/search?q=x";
  const std::vector<std::pair<std::string, std::string>> sent = {
      {search, "Mozilla/5.0 (Mobile)"},
      {search, "Mozilla/5.0 (Mobile)"},
      {"http://a.test/", "Other/1.0"},
      {search, "Mozilla/5.0 (Mobile)"},
      {"", ""},
      {search, "Mozilla/5.0 (Mobile)"},
      {search + "y", "Mozilla/5.0 (Mobile!"},
      {search + "y", "Mozilla/5.0 (Mobile!"},
      {"http://a.test/", ""},
      {"http://a.test/", "Other/1.0"},
  };
  using Filed = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t>;
  std::vector<Filed> filed[2];
  for (const bool accelerated : {false, true}) {
    TearDown();
    SetUp();
    RequestProcessorSettings settings;
    settings.accelerated = accelerated;
    for (int run = 0; run < 2; ++run) {
      StartProcessor(settings);
      for (const auto& [referrer, agent] : sent) {
        const LogRecord& r = Send({.referrer = referrer, .agent = agent});
        filed[accelerated].emplace_back(r.referrer_id, r.referrer_domain_id, r.referrer_kind,
                                        r.user_agent_id, r.browser_id, r.operating_system_id);
      }
    }
  }
  EXPECT_EQ(filed[1], filed[0]);
  EXPECT_EQ(std::get<0>(filed[1][1]), std::get<0>(filed[1][0]));  // the same referrer record
  EXPECT_NE(std::get<3>(filed[1][6]), std::get<3>(filed[1][5]));  // one character apart
}

TEST_F(RequestProcessorTest, NoReferrerTextNamesNoRecord) {
  Send({.referrer = "http://search.test/search?q=x"});  // record 0 exists and is a search
  const LogRecord& r = Send({.host = "10.9.9.9", .referrer = ""});
  EXPECT_EQ(static_cast<int32_t>(r.referrer_id), -1);
  EXPECT_EQ(static_cast<int32_t>(r.referrer_domain_id), -1);
  EXPECT_EQ(r.referrer_kind, 1u);
  EXPECT_EQ(Visit(static_cast<int32_t>(r.visit_id)).referrer, -1);
}

TEST_F(RequestProcessorTest, UserAgentsAreClassifiedOncePerText) {
  const LogRecord& first = Send({.agent = "Mozilla/5.0 (Mobile)"});
  EXPECT_EQ(first.browser.view(), "Browser");
  EXPECT_EQ(first.operating_system.view(), "Phone");
  Send({.agent = "Other/1.0"});
  const LogRecord& again = Send({.agent = "Mozilla/5.0 (Mobile)"});
  EXPECT_EQ(classifiers_.agents_classified, 2);
  EXPECT_EQ(again.user_agent_id, 0u);
  EXPECT_EQ(db_.browsers().Get(static_cast<int32_t>(again.browser_id)), "Browser");
  EXPECT_EQ(db_.oses().Get(static_cast<int32_t>(again.operating_system_id)), "Phone");
  EXPECT_EQ(db_.browsers().Count(), 1);
  EXPECT_EQ(db_.oses().Count(), 2);

  const LogRecord& nameless = Send({.agent = "/weird"});
  const UserAgentRecord stored =
      db_.user_agents().Get(static_cast<int32_t>(nameless.user_agent_id));
  EXPECT_EQ(stored.browser, -1);  // no browser name: no Browsers string
  EXPECT_EQ(stored.spider, -1);

  const LogRecord& none = Send({.agent = ""});
  EXPECT_EQ(static_cast<int32_t>(none.user_agent_id), -1);
  EXPECT_EQ(db_.user_agent_strings().Count(), 3);
  EXPECT_EQ(db_.user_agents().Count(), 3);
}

TEST_F(RequestProcessorTest, SpidersOutsideVisitsGoToTheSpiderLog) {
  // A spider's first request opens no visit and is logged.
  const LogRecord& bot = Send({.time = "10:00",
                               .host = "66.1.1.1",
                               .url = "/robots.txt",
                               .status = 404,
                               .agent = "Googlebot/2.1",
                               .bytes_sent = 9,
                               .bytes_received = 4});
  EXPECT_EQ(static_cast<int32_t>(bot.visit_id), -1);
  Send({.time = "09:00", .host = "66.1.1.2", .agent = "crawler"});
  ASSERT_EQ(db_.spiders().Count(), 2);
  const SpiderHitRecord hit = db_.spiders().Get(0);
  EXPECT_EQ(hit.time.value(), TimeOf(5, "10:00"));
  EXPECT_EQ(hit.user_agent, 0);
  EXPECT_EQ(db_.resources().Get(hit.resource), "/robots.txt");
  EXPECT_EQ(hit.status, 404u);
  EXPECT_EQ(hit.bytes_received, 4u);
  EXPECT_EQ(hit.bytes_sent, 9u);
  // The time index puts the earlier hit first.
  EXPECT_THAT(
      std::vector<uint32_t>({db_.spiders().index(1).Entry(0), db_.spiders().index(1).Entry(1)}),
      ElementsAre(1u, 0u));
  EXPECT_EQ(db_.sessions().Count(), 0);

  // A spider request that matches a visit joins it and is not logged.
  const int32_t visit = VisitOf({.time = "11:00", .host = "10.0.0.5", .agent = "Mozilla"});
  const LogRecord& joined = Send({.time = "11:05", .host = "10.0.0.5", .agent = "Googlebot/2.1"});
  EXPECT_EQ(static_cast<int32_t>(joined.visit_id), visit);
  EXPECT_EQ(db_.spiders().Count(), 2);
}

TEST_F(RequestProcessorTest, RecordZeroBeingASpiderDoesNotStopVisitsWithoutUserAgent) {
  Send({.host = "66.1.1.1", .agent = "Googlebot"});  // user agent 0 is a spider
  const int32_t visit = VisitOf({.host = "10.0.0.1", .agent = ""});
  ASSERT_GE(visit, 0);
  EXPECT_EQ(Visit(visit).page_user_agent, -1);
  EXPECT_EQ(db_.spiders().Count(), 1);
}

}  // namespace
}  // namespace velmora
