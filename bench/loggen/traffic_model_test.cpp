#include "bench/loggen/traffic_model.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "bench/loggen/log_writers.h"
#include "bench/loggen/session_plans.h"

namespace velmora::loggen {
namespace {

std::vector<std::string> CombinedLines(const TrafficOptions& options) {
  TrafficModel model(options);
  LineWriter writer(LogLayout::kCombined, *ParseStartDate("2026-11-01"));
  std::vector<std::string> lines;
  Request r;
  std::string line;
  while (model.Next(r)) {
    line.clear();
    writer.Append(r, line);
    lines.push_back(line);
  }
  return lines;
}

TEST(TrafficModelTest, MakesExactlyTheLinesAskedFor) {
  for (const uint64_t lines : {0, 1, 2, 7, 300, 5000}) {
    for (const int64_t days : {1, 30}) {
      TrafficOptions options;
      options.lines = lines;
      options.span_seconds = days * 86400;
      EXPECT_EQ(CombinedLines(options).size(), lines) << lines << " lines, " << days << " days";
    }
  }
}

TEST(TrafficModelTest, TimesStayInRangeAndOnlySlightlyOutOfOrder) {
  TrafficOptions options;
  options.lines = 60000;
  options.span_seconds = 2 * 86400;
  TrafficModel model(options);
  Request r;
  int64_t newest = 0;
  uint64_t backwards = 0, count = 0;
  int64_t furthest_back = 0;
  std::vector<uint64_t> per_hour(48);
  while (model.Next(r)) {
    ++count;
    ASSERT_GE(r.time, 0);
    ASSERT_LT(r.time, options.span_seconds);
    ++per_hour[r.time / 3600];
    if (r.time < newest) {
      ++backwards;
      furthest_back = std::max(furthest_back, newest - r.time);
    }
    newest = std::max(newest, r.time);
  }
  EXPECT_GT(backwards, count / 400);
  EXPECT_LT(backwards, count / 50);
  EXPECT_LE(furthest_back, 5);
  // Every hour has traffic, and the afternoon is busier than the small hours.
  for (const uint64_t n : per_hour) EXPECT_GT(n, 100u);
  EXPECT_GT(per_hour[15] + per_hour[39], per_hour[3] + per_hour[27]);
}

// The proportions that make the generated log look like a real one.
TEST(TrafficModelTest, TrafficMixLooksReal) {
  TrafficOptions options;
  options.lines = 100000;
  TrafficModel model(options);
  Request r;
  std::set<std::string> agents, urls, referrers, hosts;
  uint64_t status_200 = 0, status_404 = 0, status_5xx = 0, gets = 0, heads = 0, posts = 0;
  uint64_t named_hosts = 0, searches = 0, robots = 0, spiders = 0, no_referrer = 0;
  while (model.Next(r)) {
    agents.emplace(r.user_agent);
    urls.insert(r.resource->url);
    referrers.emplace(r.referrer);
    hosts.insert(std::to_string(r.client_address));
    status_200 += r.status == 200;
    status_404 += r.status == 404;
    status_5xx += r.status >= 500;
    gets += r.method == "GET";
    heads += r.method == "HEAD";
    posts += r.method == "POST";
    named_hosts += !r.client_host.empty();
    searches += r.referrer.find("search?q=") != std::string_view::npos;
    no_referrer += r.referrer.empty();
    robots += r.resource->url == "/robots.txt";
    spiders += r.user_agent.find("bot") != std::string_view::npos;
  }
  const uint64_t n = options.lines;
  EXPECT_GT(status_200, n * 65 / 100);
  EXPECT_GT(status_404, n * 25 / 1000);
  EXPECT_LT(status_404, n * 6 / 100);
  EXPECT_GT(status_5xx, 0u);
  EXPECT_LT(status_5xx, n / 100);
  EXPECT_GT(gets, n * 95 / 100);
  EXPECT_GT(heads, 0u);
  EXPECT_GT(posts, 0u);
  EXPECT_GT(agents.size(), 1000u);  // about 3,300 visitors
  EXPECT_GT(urls.size(), 6000u);
  EXPECT_GT(referrers.size(), 6000u);
  EXPECT_GT(hosts.size(), 2000u);
  EXPECT_GT(named_hosts, n / 50);
  EXPECT_LT(named_hosts, n / 5);
  EXPECT_GT(searches, n / 100);
  EXPECT_GT(no_referrer, n / 10);
  EXPECT_GT(robots, 100u);
  EXPECT_GT(spiders, n / 20);
}

// Plans of every kind of visitor: offsets never go back, people never pause long enough to
// start a new session (which would change the visit counts the benchmarks report), and nobody's
// plan is empty.
TEST(SessionPlanTest, VisitsAreOrderedAndPeopleKeepMoving) {
  Random rng(5);
  const Site site(rng, 3000);
  const Population population(rng, 2000);
  SessionPlan plan;
  uint64_t spider_visits = 0, spider_robots_first = 0;
  for (uint32_t i = 0; i < 20000; ++i) {
    const Visitor& visitor = population.visitor(rng.Below(population.size()));
    PlanSession(rng, site, visitor, plan);
    ASSERT_FALSE(plan.requests.empty());
    for (size_t k = 1; k < plan.requests.size(); ++k) {
      const uint32_t gap = plan.requests[k].offset - plan.requests[k - 1].offset;
      ASSERT_LE(plan.requests[k - 1].offset, plan.requests[k].offset);
      if (visitor.kind == VisitorKind::kHuman) {
        ASSERT_LT(gap, 30u * 60);
      }
    }
    for (const PlannedRequest& p : plan.requests) ASSERT_LT(p.resource, site.resource_count());
    if (visitor.kind == VisitorKind::kSpider &&
        Spiders()[visitor.agent].habit == SpiderHabit::kPages) {
      ++spider_visits;
      spider_robots_first += plan.requests[0].resource == site.robots();
    }
  }
  ASSERT_GT(spider_visits, 0u);
  EXPECT_GT(spider_robots_first * 2, spider_visits);
}

TEST(PopulationTest, AddressesArePublicAndSpreadOverManyNetworks) {
  Random rng(9);
  const Population population(rng, 20000);
  std::set<uint32_t> networks;
  for (uint32_t i = 0; i < population.size(); ++i) {
    const Visitor& v = population.visitor(i);
    ASSERT_TRUE(IsPublicAddress(v.address)) << std::hex << v.address;
    networks.insert(v.address >> 16);
    const std::string_view agent = population.AgentOf(v);
    ASSERT_EQ(agent.find_first_of("\"\t\n"), std::string_view::npos) << agent;
    const std::string_view host = population.HostNameOf(v);
    ASSERT_EQ(host.find_first_of(" \"\t,"), std::string_view::npos) << host;
  }
  EXPECT_GT(networks.size(), 1500u);
  const struct {
    uint32_t address;
    bool is_public;
  } cases[] = {{0x0A000001, false}, {0x7F000001, false}, {0xC0A80101, false}, {0xAC100001, false},
               {0xAC200001, true},  {0x64400001, false}, {0xA9FE0101, false}, {0xE0000001, false},
               {0x08080808, true},  {0xCB007101, false}, {0x42F94201, true}};
  for (const auto& c : cases) EXPECT_EQ(IsPublicAddress(c.address), c.is_public) << c.address;
}

}  // namespace
}  // namespace velmora::loggen
