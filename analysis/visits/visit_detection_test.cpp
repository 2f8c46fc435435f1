#include "analysis/visits/visit_detection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "analysis/visit_lists/visit_list_model_testing.h"
#include "analysis/visits/request_processor_testing.h"
#include "storage/database_keys.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::kDownloadVisit;
using testing::kImageVisit;
using testing::kPageNonVisit;
using testing::kPageVisit;
using testing::kUndefinedVisit;
using testing::Request;
using testing::TimeOf;

constexpr char kSearch[] = "http://www.finder.test/search?q=shoes";
constexpr char kOtherSite[] = "http://blog.test/post";
constexpr char kOwnSite[] = "http://www.example.com/home";

class VisitDetectionTest : public testing::ProcessorFixture {
 protected:
  // The visits of both time indexes, in index order.
  std::vector<uint32_t> IndexOrder(uint32_t k) {
    std::vector<uint32_t> order;
    TableFile& index = db_.sessions().index(static_cast<int>(k));
    for (int32_t p = 0; p < index.Count(); ++p) order.push_back(index.Entry(p));
    return order;
  }
  void ExpectIndexesSorted() {
    for (uint32_t k : {1u, 2u}) {
      const std::vector<uint32_t> order = IndexOrder(k);
      ASSERT_EQ(static_cast<int32_t>(order.size()), db_.sessions().Count());
      for (size_t i = 1; i < order.size(); ++i) {
        const SessionRecord a = Visit(static_cast<int32_t>(order[i - 1]));
        const SessionRecord b = Visit(static_cast<int32_t>(order[i]));
        const auto key = [k](const SessionRecord& s) {
          return k == 1 ? s.first_request_time.value() : s.last_request_time.value();
        };
        ASSERT_LE(key(a), key(b)) << "index " << k << " position " << i;
      }
    }
  }
};

// Each case: a stream of requests and, per request, the visit it must land in (-1: none).
struct StreamCase {
  const char* name;
  bool advanced;
  std::vector<Request> requests;
  std::vector<int32_t> visits;
  int32_t timeout = 30;
};

TEST_F(VisitDetectionTest, RequestsJoinVisitsWithinTheTimeoutAndTheirClient) {
  const StreamCase cases[] = {
      {"31 minutes apart: two visits", false, {{.time = "10:00"}, {.time = "10:31"}}, {0, 1}},
      {"exactly the timeout still joins", false, {{.time = "10:00"}, {.time = "10:30"}}, {0, 0}},
      {"the window follows the last request",
       false,
       {{.time = "10:00"}, {.time = "10:25"}, {.time = "10:50"}, {.time = "11:21"}},
       {0, 0, 0, 1}},
      {"other clients open their own",
       false,
       {{.host = "10.0.0.1"}, {.host = "10.0.0.2"}, {.time = "10:01", .host = "10.0.0.1"}},
       {0, 1, 0}},
      {"an earlier request joins and moves the first time",
       false,
       {{.time = "10:00"}, {.time = "10:05"}, {.time = "09:50"}},
       {0, 0, 0}},
      {"an earlier request out of the window opens its own",
       false,
       {{.time = "10:00"}, {.time = "10:05"}, {.time = "09:30"}},
       {0, 0, 1}},
      {"simple: same /16 is another visit",
       false,
       {{.host = "10.1.2.3"}, {.host = "10.1.9.9"}, {.host = "10.2.0.1"}},
       {0, 1, 2}},
      {"advanced: same /16 and agent joins",
       true,
       {{.host = "10.1.2.3"}, {.host = "10.1.9.9"}, {.host = "10.2.0.1"}},
       {0, 0, 1}},
      {"advanced: another agent does not",
       true,
       {{.host = "10.1.2.3"}, {.host = "10.1.9.9", .agent = "Other/2"}},
       {0, 1}},
      {"advanced: a new search referrer opens a new visit",
       true,
       {{.host = "10.1.2.3"}, {.host = "10.1.9.9", .referrer = kSearch}},
       {0, 1}},
      {"advanced: the visit's own referrer joins",
       true,
       {{.host = "10.1.2.3", .referrer = kOtherSite}, {.host = "10.1.9.9", .referrer = kOtherSite}},
       {0, 0}},
      {"advanced: an own-site referrer joins",
       true,
       {{.host = "10.1.2.3", .referrer = kSearch}, {.host = "10.1.9.9", .referrer = kOwnSite}},
       {0, 0}},
      {"advanced: exact address ignores agent and referrer",
       true,
       {{.host = "10.1.2.3"}, {.host = "10.1.2.3", .referrer = kSearch, .agent = "Other/2"}},
       {0, 0}},
      {"advanced: host names match only themselves",
       true,
       {{.host = "abc"}, {.host = "abd"}, {.host = "abc"}},
       {0, 1, 0}},
      {"advanced: download agent also matches",
       true,
       {{.host = "10.1.2.3", .request_class = kDownloadVisit, .agent = "Getter/1"},
        {.host = "10.1.2.3", .agent = "Mozilla/5.0"},
        {.host = "10.1.7.7", .agent = "Getter/1"}},
       {0, 0, 0}},
      {"spider opens no visit but joins one",
       false,
       {{.host = "66.1.1.1", .agent = "Googlebot"},
        {.host = "10.0.0.1"},
        {.time = "10:05", .host = "10.0.0.1", .agent = "Googlebot"}},
       {-1, 0, 0}},
      // The last request must be earlier than the time plus the timeout.
      {"a zero timeout joins nothing", false, {{.time = "10:00"}, {.time = "10:00"}}, {0, 1}, 0},
      {"a negative timeout counts as 0",
       false,
       {{.time = "10:00"}, {.time = "10:00:01"}},
       {0, 1},
       -5},
  };
  for (const StreamCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Restart(c.advanced, /*full_path=*/true, c.timeout);
    std::vector<int32_t> visits;
    for (const Request& r : c.requests) visits.push_back(VisitOf(r));
    EXPECT_THAT(visits, ElementsAreArray(c.visits));
    ExpectIndexesSorted();
  }
}

TEST_F(VisitDetectionTest, OpeningAVisitFillsBothRecords) {
  Restart(true);
  const int32_t v = VisitOf({.time = "10:00",
                             .host = "10.1.2.3",
                             .request_class = kPageNonVisit,
                             .referrer = kSearch,
                             .bytes_sent = 300,
                             .bytes_received = 20});
  const SessionRecord s = Visit(v);
  EXPECT_EQ(s.first_request_time.value(), TimeOf(5, "10:00"));
  EXPECT_EQ(s.last_request_time.value(), TimeOf(5, "10:00"));
  EXPECT_EQ(s.visitor_address, 0x0A010203u);
  EXPECT_EQ(s.referrer, db_.referer_strings().Find(kSearch));
  EXPECT_EQ(s.page_user_agent, 0);
  EXPECT_EQ(s.download_user_agent, 0);
  Flush();
  const SessionDetailRecord d = Detail(v);
  EXPECT_EQ(d.country, 10u);
  EXPECT_EQ(d.flag, 0u);
  EXPECT_GE(d.page_path, 0);
  EXPECT_EQ(d.downloads, -1);
  EXPECT_EQ(d.images, -1);
  EXPECT_EQ(d.errors, -1);
  EXPECT_EQ(d.download_bytes, 0u);
  EXPECT_EQ(d.bytes_received, 20u);
  EXPECT_EQ(d.bytes_sent, 300u);
  // The flag is set by the visit's first request logged as a visit, and stays.
  Restart(true);
  VisitOf({.time = "10:01", .host = "10.1.2.3", .request_class = kPageVisit});
  EXPECT_EQ(Detail(v).flag, 1u);
  VisitOf({.time = "10:02", .host = "10.1.2.3", .request_class = kPageNonVisit});
  EXPECT_EQ(Detail(v).flag, 1u);
}

TEST_F(VisitDetectionTest, ReferrerIsUpgradedOnlyFromNoneOrOwnSite) {
  struct Case {
    const char* name;
    std::string first;
    std::string later;
    bool takes_later;
  };
  const Case cases[] = {
      {"own site takes a later no-referrer", kOwnSite, "-", true},
      {"own site takes a search engine", kOwnSite, kSearch, true},
      {"none takes another site", "-", kOtherSite, true},
      {"none does not take the own site", "-", kOwnSite, false},
      {"empty takes a search engine", "", kSearch, true},
      {"own site keeps itself over the own site", kOwnSite, "http://example.com/b", false},
      {"search engine stays", kSearch, kOtherSite, false},
      {"other site stays", kOtherSite, kSearch, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Restart(false);
    const int32_t v = VisitOf({.time = "10:00", .referrer = c.first});
    const int32_t first = Visit(v).referrer;
    ASSERT_EQ(VisitOf({.time = "10:01", .referrer = c.later}), v);
    const int32_t later = static_cast<int32_t>(record_->referrer_id);
    EXPECT_EQ(Visit(v).referrer, c.takes_later ? later : first);
  }
}

TEST_F(VisitDetectionTest, OutOfOrderRequestsKeepBothIndexesSorted) {
  Restart(false);
  // Three clients interleaved and out of time order.
  // 09:51 joins (the last request, 10:20, lies within its window), 09:12 does not.
  const char* times[] = {"10:00", "10:10", "09:55", "10:20", "09:51", "10:05", "10:49", "09:12"};
  const char* hosts[] = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
  for (const char* t : times) {
    for (const char* h : hosts) VisitOf({.time = t, .host = h});
    ExpectIndexesSorted();
  }
  const SessionRecord s = Visit(0);
  EXPECT_EQ(s.first_request_time.value(), TimeOf(5, "09:51"));
  EXPECT_EQ(s.last_request_time.value(), TimeOf(5, "10:49"));
  EXPECT_EQ(db_.sessions().Count(), 6);  // 09:12 opens a visit of its own for each client
}

TEST_F(VisitDetectionTest, ListsAndAgentsFollowTheResourceType) {
  Restart(false, /*full_path=*/false);
  const int32_t v = VisitOf({.time = "10:00", .url = "/a", .agent = "Browser/1"});
  VisitOf({.time = "10:01", .url = "/b"});
  VisitOf({.time = "10:02", .url = "/a"});
  VisitOf({.time = "10:03",
           .url = "/f.zip",
           .request_class = kDownloadVisit,
           .agent = "Getter/1",
           .bytes_sent = 1000});
  VisitOf({.time = "10:04", .url = "/i.gif", .request_class = kImageVisit});
  VisitOf({.time = "10:05", .url = "/i.gif", .request_class = kImageVisit});
  VisitOf({.time = "10:06", .url = "/x", .request_class = kUndefinedVisit});
  VisitOf({.time = "10:07", .url = "/missing", .status = 404});
  VisitOf({.time = "10:08", .url = "/a", .agent = "Googlebot"});  // a spider joins
  VisitOf({.time = "10:09", .url = "/b", .agent = "Browser/2"});
  Flush();
  const SessionDetailRecord d = Detail(v);
  const int32_t a = Resource("/a"), b = Resource("/b"), missing = Resource("/missing");
  // Summary form: entry /a, exit /b, middle /missing (/a is the entry page).
  EXPECT_THAT(StoredList(db_.pages(), d.page_path), ElementsAre(3, a, missing, b));
  EXPECT_THAT(StoredList(db_.downloads(), d.downloads), ElementsAre(1, Resource("/f.zip")));
  EXPECT_THAT(StoredList(db_.images(), d.images), ElementsAre(1, Resource("/i.gif")));
  EXPECT_THAT(StoredList(db_.errors(), d.errors), ElementsAre(1, 0));
  EXPECT_EQ(d.download_bytes, 1000u);
  EXPECT_EQ(d.bytes_sent, 1000u + 9 * 100);
  // The page agent became the spider at 10:08 and stays it; the download agent is the getter.
  const SessionRecord s = Visit(v);
  EXPECT_EQ(db_.user_agent_strings().Get(s.page_user_agent), "Googlebot");
  EXPECT_EQ(db_.user_agent_strings().Get(s.download_user_agent), "Getter/1");
}

TEST_F(VisitDetectionTest, ByteSumsStopAt4GB) {
  const int32_t v = VisitOf({.time = "10:00",
                             .request_class = kDownloadVisit,
                             .bytes_sent = 0x7FFFFFFF,
                             .bytes_received = 0x7FFFFFFF});
  VisitOf({.time = "10:01",
           .request_class = kDownloadVisit,
           .bytes_sent = 0x7FFFFFFF,
           .bytes_received = 0x7FFFFFFF});
  VisitOf(
      {.time = "10:02", .request_class = kDownloadVisit, .bytes_sent = 5, .bytes_received = -5});
  const SessionDetailRecord d = Detail(v);
  EXPECT_EQ(d.bytes_sent, 0xFFFFFFFFu);
  EXPECT_EQ(d.download_bytes, 0xFFFFFFFFu);
  EXPECT_EQ(d.bytes_received, 0xFFFFFFFEu);
  EXPECT_EQ(AddBytesSaturated(0xFFFFFFF0u, 100), 0xFFFFFFFFu);
  EXPECT_EQ(AddBytesSaturated(10, -3), 10u);
}

// The run's visit finder against the plain walk over the index: random requests from a few
// networks and host names, with equal times and times out of order, land in the same visits and
// leave both indexes in the same order, also after a restart that meets the stored visits, and
// when that index was damaged in between (the finder then stands aside).
TEST_F(VisitDetectionTest, FinderAgreesWithThePlainWalk) {
  const struct {
    const char* name;
    void (*damage)(TableFile& by_last);
  } damages[] = {
      {"intact", [](TableFile&) {}},
      {"out of order",
       [](TableFile& index) {
         const uint32_t first = index.Entry(0);
         index.SetEntry(0, index.Entry(index.Count() - 1));
         index.SetEntry(index.Count() - 1, first);
       }},
      {"an entry twice", [](TableFile& index) { index.SetEntry(1, index.Entry(0)); }},
      {"an entry naming no visit", [](TableFile& index) { index.SetEntry(2, 999'999); }},
  };
  auto two_digits = [](int v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  const char* referrers[] = {"", "", kSearch, kOtherSite, kOwnSite};
  const char* agents[] = {"Mozilla/5.0", "Other/2", "Getter/1", "Googlebot"};
  const uint32_t classes[] = {kPageVisit, kPageVisit, kDownloadVisit, kPageNonVisit};
  for (const auto& damaged : damages) {
    for (const bool advanced : {true, false}) {
      SCOPED_TRACE(std::string(damaged.name) + (advanced ? ", advanced" : ", by address"));
      std::vector<int32_t> visits[2];
      std::vector<uint32_t> orders[2];
      for (const bool accelerated : {false, true}) {
        TearDown();
        SetUp();
        std::mt19937 random(advanced ? 21 : 22);
        for (int run = 0; run < 2; ++run) {
          if (run == 1) damaged.damage(db_.sessions().index(kVisitIndexByLast));
          RequestProcessorSettings settings;
          settings.advanced_visit_detection = advanced;
          settings.accelerated = accelerated;
          settings.server_names = "www.example.com example.com";
          StartProcessor(settings);
          for (int i = 0; i < 2500; ++i) {
            // Over three days, in steps of two minutes (so that times are shared), one in six
            // up to two hours back: beyond the finder's horizon too.
            int second = (run * 2500 + i) * 50 / 120 * 120;
            if (random() % 6 == 0) second -= static_cast<int>(random() % 7200);
            second = std::max(second, 0);
            Request r;
            r.day = 5 + second / 86400;
            r.time = two_digits(second / 3600 % 24) + ":" + two_digits(second / 60 % 60) + ":" +
                     two_digits(second % 60);
            r.host = random() % 10 == 0
                         ? "host" + std::to_string(random() % 3)
                         : "10." + std::to_string(random() % 3) + "." +
                               std::to_string(random() % 4) + "." + std::to_string(random() % 5);
            r.referrer = referrers[random() % 5];
            r.agent = agents[random() % 4];
            r.request_class = classes[random() % 4];
            visits[accelerated].push_back(VisitOf(r));
          }
          for (uint32_t k : {1u, 2u}) {
            const std::vector<uint32_t> order = IndexOrder(k);
            orders[accelerated].insert(orders[accelerated].end(), order.begin(), order.end());
          }
        }
      }
      EXPECT_GT(db_.sessions().Count(), 150);
      EXPECT_EQ(visits[1], visits[0]);
      EXPECT_EQ(orders[1], orders[0]);
    }
  }
}

// Random requests from more clients than a ring holds, all active at once: after the run every
// visit's stored lists equal those worked out from the requests the processor put into it.
TEST_F(VisitDetectionTest, ListsOfManyActiveVisitsMatchAnUnlimitedModel) {
  for (const bool full_path : {true, false}) {
    SCOPED_TRACE(full_path ? "full path" : "summary");
    TearDown();
    SetUp();
    Restart(false, full_path);
    std::mt19937 random(full_path ? 11 : 12);
    const uint32_t classes[] = {kPageVisit, kPageVisit, kDownloadVisit, kImageVisit,
                                kUndefinedVisit};
    // visit -> kind -> numbers added, in order
    std::map<int32_t, std::map<int, std::vector<int32_t>>> model;
    for (int i = 0; i < 9000; ++i) {
      const uint32_t client = random() % 2500;
      const int minute = i * 25 / 9000;  // every visit stays open through the stream
      Request r;
      r.time = (minute < 10 ? "10:0" : "10:") + std::to_string(minute);
      r.host = "10." + std::to_string(client / 250) + ".1." + std::to_string(client % 250);
      r.request_class = classes[random() % 5];
      r.url = "/r" + std::to_string(random() % 7);
      r.status = random() % 6 == 0 ? 404 : 200;
      const LogRecord& record = Send(r);
      const auto visit = static_cast<int32_t>(record.visit_id);
      ASSERT_GE(visit, 0);
      const auto resource = static_cast<int32_t>(record.resource_id);
      switch (r.request_class & 0xFF) {
        case 1:
          model[visit][static_cast<int>(full_path ? VisitListKind::kFullPathPages
                                                  : VisitListKind::kSummaryPages)]
              .push_back(resource);
          break;
        case 2:
          model[visit][static_cast<int>(VisitListKind::kDownloads)].push_back(resource);
          break;
        case 3:
          model[visit][static_cast<int>(VisitListKind::kImages)].push_back(resource);
          break;
      }
      if (record.error_id >= 0) {
        model[visit][static_cast<int>(VisitListKind::kErrors)].push_back(record.error_id);
      }
    }
    EXPECT_GT(db_.sessions().Count(), 2000);
    Flush();
    for (int32_t v = 0; v < db_.sessions().Count(); ++v) {
      const SessionDetailRecord d = Detail(v);
      auto stored = [&](VisitListKind kind) -> std::vector<int32_t> {
        switch (kind) {
          case VisitListKind::kDownloads:
            return StoredList(db_.downloads(), d.downloads);
          case VisitListKind::kImages:
            return StoredList(db_.images(), d.images);
          case VisitListKind::kErrors:
            return StoredList(db_.errors(), d.errors);
          default:
            return StoredList(db_.pages(), d.page_path);
        }
      };
      for (int k = 0; k < kVisitListKinds; ++k) {
        const auto kind = static_cast<VisitListKind>(k);
        if (kind == (full_path ? VisitListKind::kSummaryPages : VisitListKind::kFullPathPages)) {
          continue;
        }
        const std::vector<int32_t>& added = model[v][k];
        ASSERT_EQ(stored(kind),
                  added.empty() ? std::vector<int32_t>{} : testing::ModelListOf(kind, added))
            << "visit " << v << " kind " << k;
      }
    }
  }
}

}  // namespace
}  // namespace velmora
