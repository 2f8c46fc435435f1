// The clients of the generated traffic: a pool of browser user agents built from templates with
// many version numbers (so a large log holds thousands of distinct texts, as real ones do), the
// search-engine spiders with the networks they crawl from, and the scripts, feed readers and worm
// scanners that make up the rest of a public server's log. No text contains a double quote or a
// control character, so every layout can carry it unescaped.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bench/loggen/random.h"

namespace velmora::loggen {

// Builds one browser user agent: modern families mostly, old ones (MSIE 5/6, Netscape 4,
// Opera 6, Konqueror) now and then.
std::string MakeBrowserAgent(Random& rng);

class UserAgentPool {
 public:
  // `size` agents made with MakeBrowserAgent; at least one.
  UserAgentPool(Random& rng, uint32_t size);

  // A pool entry, popular ones (the front of the pool) more often.
  uint32_t Pick(Random& rng) const;
  std::string_view agent(uint32_t index) const { return agents_[index]; }
  uint32_t size() const { return static_cast<uint32_t>(agents_.size()); }

 private:
  std::vector<std::string> agents_;
};

enum class SpiderHabit : uint8_t {
  kPages,   // robots.txt, then many pages
  kImages,  // image crawlers: mostly pictures
  kProbe,   // link checkers: HEAD requests
};

struct SpiderProfile {
  std::string_view agent;
  uint32_t network;  // the /24 (as a.b.c.0) its addresses come from
  uint16_t weight;   // share of spider sessions
  SpiderHabit habit;
};

std::span<const SpiderProfile> Spiders();

// Feed readers and command-line tools: single requests with no referrer.
std::span<const std::string_view> ToolAgents();
// What worm and vulnerability scanners send; "" means no agent at all.
std::span<const std::string_view> ScannerAgents();

}  // namespace velmora::loggen
