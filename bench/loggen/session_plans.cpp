#include "bench/loggen/session_plans.h"

#include <algorithm>

#include "bench/loggen/referrers.h"

namespace velmora::loggen {
namespace {

// Body sizes by outcome: error pages and redirects have fixed small bodies, conditional hits and
// HEAD none, and one download in seven is broken off.
uint32_t BodyBytes(Random& rng, const Resource& r, uint16_t status, Method method) {
  if (method == Method::kHead) return 0;
  switch (status) {
    case 200:
      if (r.kind == ResourceKind::kDownload && rng.Chance(0.15)) return rng.Below(r.size);
      if (r.kind == ResourceKind::kPage || r.kind == ResourceKind::kForm) {
        return r.size - rng.Below(r.size / 16 + 1);  // dynamic pages vary a little
      }
      return r.size;
    case 206:
      return rng.Between(r.size / 8, r.size / 2);
    case 301:
    case 302:
      return 230 + rng.Below(40);
    case 304:
      return 0;
    case 403:
      return 1010;
    case 404:
      return 1245;
    case 500:
      return 620;
    case 503:
      return 380;
    default:
      return 512;
  }
}

// Rare server trouble, on any request of a person.
uint16_t WithTrouble(Random& rng, uint16_t status) {
  const double u = rng.Unit();
  if (u < 0.002) return 403;
  if (u < 0.0035) return 500;
  if (u < 0.0045) return 503;
  return status;
}

class Planner {
 public:
  Planner(Random& rng, const Site& site, SessionPlan& plan) : rng_(rng), site_(site), plan_(plan) {}

  void Add(uint32_t resource, uint32_t referrer, uint16_t status, Method method = Method::kGet) {
    PlannedRequest r;
    r.offset = now_;
    r.resource = resource;
    r.referrer = referrer;
    r.status = status;
    r.method = method;
    r.bytes = BodyBytes(rng_, site_.resource(resource), status, method);
    plan_.requests.push_back(r);
  }
  void Wait(uint32_t seconds) { now_ += seconds; }
  void Think(double mean) {
    now_ += 3 + std::min<uint32_t>(static_cast<uint32_t>(rng_.Exponential(mean)), kLongestPause);
  }

  void Person(const Visitor& visitor);
  void Spider(const Visitor& visitor);
  void Tool(const Visitor& visitor);
  void Scanner();

 private:
  uint32_t Entry();
  void PageWithAssets(uint32_t page, uint32_t referrer, bool first, bool cached);

  Random& rng_;
  const Site& site_;
  SessionPlan& plan_;
  uint32_t now_ = 0;
};

// Decides where the visit comes from and returns its landing page.
uint32_t Planner::Entry() {
  const double u = rng_.Unit();
  if (u < 0.36) return rng_.Chance(0.5) ? site_.home() : site_.PickPage(rng_);
  if (u < 0.70) {
    AppendSearchReferrer(rng_, plan_.entry_referrer);
  } else if (u < 0.90) {
    AppendOtherSiteReferrer(rng_, plan_.entry_referrer);
  } else {
    const auto hosts = OwnHostVariants();
    plan_.entry_referrer = hosts[rng_.Below(static_cast<uint32_t>(hosts.size()))];
    plan_.entry_referrer += site_.resource(site_.PickPage(rng_)).url;
  }
  return site_.PickPage(rng_);
}

void Planner::PageWithAssets(uint32_t page, uint32_t referrer, bool first, bool cached) {
  Add(page, referrer, WithTrouble(rng_, cached && rng_.Chance(0.1) ? 304 : 200));
  if (first) {
    for (const uint32_t asset : site_.shared_assets()) {
      Wait(rng_.Below(2));
      Add(asset, page, WithTrouble(rng_, cached && rng_.Chance(0.5) ? 304 : 200));
    }
    if (rng_.Chance(0.3)) Add(site_.favicon(), kNoReferrer, cached ? 304 : 200);
    if (rng_.Chance(0.12)) Add(site_.PickMissing(rng_), kNoReferrer, 404);
  } else if (rng_.Chance(0.1)) {
    Add(site_.shared_assets()[0], page, 304);
  }
  for (const uint32_t image : site_.ImagesOf(page)) {
    Wait(rng_.Below(2));
    Add(image, page, WithTrouble(rng_, cached && rng_.Chance(0.5) ? 304 : 200));
  }
  if (rng_.Chance(0.08)) Add(site_.PickMissing(rng_), page, 404);  // a picture long gone
}

void Planner::Person(const Visitor& visitor) {
  const auto hosts = OwnHostVariants();
  plan_.host_variant = rng_.Below(static_cast<uint32_t>(hosts.size()));
  plan_.with_user = visitor.user >= 0 && rng_.Chance(0.8);
  if (rng_.Chance(0.03)) {  // a picture shown on another site's page
    AppendOtherSiteReferrer(rng_, plan_.entry_referrer);
    Add(site_.PickImage(rng_), kEntryReferrer, WithTrouble(rng_, 200));
    return;
  }
  const uint32_t landing = Entry();
  uint32_t previous = plan_.entry_referrer.empty() ? kNoReferrer : kEntryReferrer;
  uint32_t pages = 1;
  while (pages < 40 && rng_.Chance(0.68)) ++pages;
  const bool cached = rng_.Chance(0.35);  // came before: the browser revalidates its copies

  for (uint32_t p = 0; p < pages; ++p) {
    uint32_t page = p == 0 ? landing : site_.PickPage(rng_);
    if (p == 0 && hosts[plan_.host_variant].starts_with("http:") && rng_.Chance(0.25)) {
      Add(page, previous, 301);  // sent on to https
      Wait(rng_.Below(2));
    }
    if (p != 0 && rng_.Chance(0.05)) {  // a broken link
      Add(site_.PickMissing(rng_), previous, 404);
      Think(20);
      continue;
    }
    if (p != 0 && rng_.Chance(0.04)) {  // a form, answered by a redirect or a page
      const bool redirect = rng_.Chance(0.7);
      Add(site_.PickForm(rng_), previous, WithTrouble(rng_, redirect ? 302 : 200), Method::kPost);
      Wait(rng_.Below(2));
      if (!redirect) {
        Think(40);
        continue;
      }
    }
    PageWithAssets(page, previous, p == 0, cached);
    if (rng_.Chance(0.06)) {
      Wait(rng_.Between(5, 60));
      Add(site_.PickDownload(rng_), page, WithTrouble(rng_, rng_.Chance(0.03) ? 206 : 200));
    }
    previous = page;
    Think(55);
  }
}

void Planner::Spider(const Visitor& visitor) {
  const SpiderHabit habit = Spiders()[visitor.agent].habit;
  if (habit == SpiderHabit::kPages && rng_.Chance(0.75)) {
    Add(site_.robots(), kNoReferrer, 200);
    Wait(rng_.Between(1, 10));
  }
  const uint32_t count = habit == SpiderHabit::kImages  ? 1 + rng_.Skewed(60, 2.0)
                         : habit == SpiderHabit::kProbe ? rng_.Between(5, 45)
                                                        : 3 + rng_.Skewed(120, 2.2);
  for (uint32_t i = 0; i < count; ++i) {
    if (habit == SpiderHabit::kImages && rng_.Chance(0.9)) {
      Add(site_.PickImage(rng_), kNoReferrer, rng_.Chance(0.1) ? 304 : 200);
      Wait(1 + static_cast<uint32_t>(rng_.Exponential(15)));
      continue;
    }
    if (rng_.Chance(0.04)) {  // links that died since the last crawl
      Add(site_.PickMissing(rng_), kNoReferrer, 404);
    } else {
      // Crawlers walk the long tail far more evenly than people do.
      const uint32_t page =
          rng_.Chance(0.5) ? site_.PickPage(rng_) : rng_.Below(site_.page_count());
      const double u = rng_.Unit();
      const uint16_t status = u < 0.08 ? 304 : u < 0.09 ? 301 : 200;
      Add(page, kNoReferrer, status, habit == SpiderHabit::kProbe ? Method::kHead : Method::kGet);
    }
    Wait(habit == SpiderHabit::kProbe
             ? rng_.Below(3)
             : 1 + std::min<uint32_t>(static_cast<uint32_t>(rng_.Exponential(25)), kLongestPause));
  }
}

void Planner::Tool(const Visitor& visitor) {
  if (visitor.agent < 4) {  // feed readers poll the feed, conditionally
    Add(site_.feed(), kNoReferrer, rng_.Chance(0.5) ? 304 : 200);
    return;
  }
  const uint32_t count = rng_.Between(1, 3);
  for (uint32_t i = 0; i < count; ++i) {
    const double u = rng_.Unit();
    if (u < 0.4) {
      Add(site_.PickDownload(rng_), kNoReferrer, 200);
    } else if (u < 0.55) {
      Add(site_.robots(), kNoReferrer, 200);
    } else if (u < 0.7) {
      Add(site_.PickPage(rng_), kNoReferrer, 200, Method::kHead);
    } else {
      Add(site_.PickPage(rng_), kNoReferrer, 200);
    }
    Wait(rng_.Between(1, 5));
  }
}

void Planner::Scanner() {
  const uint32_t count = 1 + rng_.Skewed(12, 1.5);
  for (uint32_t i = 0; i < count; ++i) {
    const double u = rng_.Unit();
    Add(site_.PickProbe(rng_), kNoReferrer, u < 0.9 ? 404 : u < 0.95 ? 403 : 400);
    Wait(rng_.Below(3));
  }
}

}  // namespace

void PlanSession(Random& rng, const Site& site, const Visitor& visitor, SessionPlan& plan) {
  plan.requests.clear();
  plan.entry_referrer.clear();
  plan.host_variant = 0;
  plan.with_user = false;
  // From a modem's few kilobytes a second to fibre.
  plan.bandwidth = static_cast<uint32_t>(8000.0 * std::exp2(rng.Unit() * 9.0));
  Planner planner(rng, site, plan);
  switch (visitor.kind) {
    case VisitorKind::kHuman:
      planner.Person(visitor);
      break;
    case VisitorKind::kSpider:
      planner.Spider(visitor);
      break;
    case VisitorKind::kTool:
      planner.Tool(visitor);
      break;
    case VisitorKind::kScanner:
      planner.Scanner();
      break;
  }
}

}  // namespace velmora::loggen
