// What one visit consists of, decided when it starts: the requests with their offsets from the
// start, resources, referrers, status codes and sizes. People read pages that pull in pictures,
// style sheets and scripts, follow links, sometimes download, post a form or hit a broken link;
// spiders read robots.txt and then many pages; tools fetch a feed or a file; worms probe for
// holes. Offsets never decrease, and a person's visit has no pause of half an hour or more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/loggen/population.h"
#include "bench/loggen/random.h"
#include "bench/loggen/site_model.h"

namespace velmora::loggen {

enum class Method : uint8_t { kGet, kHead, kPost };

inline constexpr uint32_t kNoReferrer = 0xFFFFFFFFu;
inline constexpr uint32_t kEntryReferrer = 0xFFFFFFFEu;  // the plan's entry_referrer
// The longest pause inside a person's visit, well under the usual 30-minute session timeout.
inline constexpr uint32_t kLongestPause = 25 * 60;

struct PlannedRequest {
  uint32_t offset = 0;              // seconds after the visit's start
  uint32_t resource = 0;            // id in the site
  uint32_t referrer = kNoReferrer;  // kNoReferrer, kEntryReferrer or the id of a page of the site
  uint32_t bytes = 0;               // response body sent
  uint16_t status = 200;
  Method method = Method::kGet;
};

struct SessionPlan {
  std::vector<PlannedRequest> requests;  // offsets in ascending order; never empty
  std::string entry_referrer;            // where the visit came from; empty for nowhere
  uint32_t host_variant = 0;             // which spelling of the site's own links it follows
  uint32_t bandwidth = 100000;           // bytes per second, for the time taken
  bool with_user = false;                // the visitor logs in with its user name
};

// Replaces `plan` with a new visit of `visitor`. Reuses the plan's storage.
void PlanSession(Random& rng, const Site& site, const Visitor& visitor, SessionPlan& plan);

}  // namespace velmora::loggen
