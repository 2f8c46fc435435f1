// The clients of the generated site: people behind public IPv4 addresses (clustered in provider
// networks, as real audiences are, some with reverse-DNS names), search-engine spiders from
// their own networks, tools and feed readers, and worm scanners. Each visitor keeps its address
// and agent for the whole run and remembers when it may start its next session, so that one
// visitor's sessions lie more than half an hour apart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/loggen/random.h"
#include "bench/loggen/user_agents.h"

namespace velmora::loggen {

enum class VisitorKind : uint8_t { kHuman, kSpider, kTool, kScanner };

struct Visitor {
  uint32_t address = 0;    // IPv4, first octet in the high byte
  uint32_t agent = 0;      // pool index (people), spider, tool or scanner index
  int32_t host_name = -1;  // index of its reverse-DNS name, -1 for none
  int32_t user = -1;       // index of its login name, -1 for none
  int64_t free_at = 0;     // earliest second its next session may start
  VisitorKind kind = VisitorKind::kHuman;
  bool http10 = false;  // an old client that speaks HTTP/1.0
};

// True for an address outside the private, loopback, link-local, shared, benchmark, multicast
// and reserved ranges.
bool IsPublicAddress(uint32_t address);

class Population {
 public:
  // About `size` visitors (at least a few dozen people plus the spiders).
  Population(Random& rng, uint32_t size);

  Visitor& visitor(uint32_t id) { return visitors_[id]; }
  const Visitor& visitor(uint32_t id) const { return visitors_[id]; }
  uint32_t size() const { return static_cast<uint32_t>(visitors_.size()); }

  // A visitor of the kind that is free at `now`: regulars (the front of each list) come back
  // more often, spiders by their share of crawling; when those tried are busy, any free visitor
  // of the kind. Only if 64 tries find none is a busy one returned (a population too small for
  // the traffic).
  uint32_t Pick(Random& rng, VisitorKind kind, int64_t now) const;

  std::string_view AgentOf(const Visitor& v) const;
  std::string_view HostNameOf(const Visitor& v) const {
    return v.host_name < 0 ? std::string_view() : std::string_view(host_names_[v.host_name]);
  }
  std::string_view UserOf(const Visitor& v) const;

 private:
  void AddPeople(Random& rng, uint32_t count);
  void AddRobots(Random& rng, uint32_t size, uint32_t tools, uint32_t scanners);
  uint32_t Add(const Visitor& v);

  UserAgentPool agents_;
  std::vector<Visitor> visitors_;
  std::vector<std::string> host_names_;
  std::vector<uint32_t> by_kind_[4];              // visitor ids of each kind, regulars first
  std::vector<std::vector<uint32_t>> by_spider_;  // visitor ids of each spider profile
};

}  // namespace velmora::loggen
