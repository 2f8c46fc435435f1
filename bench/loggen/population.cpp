#include "bench/loggen/population.h"

#include <algorithm>
#include <array>

namespace velmora::loggen {
namespace {

constexpr std::array<std::string_view, 12> kProviders = {
    "example.net",         "example-isp.de",    "telco.example.fr", "broadband.example.co.uk",
    "dyn.example.jp",      "cable.example.com", "adsl.example.it",  "example.nl",
    "pool.example.com.au", "dsl.example.ca",    "example.pl",       "wireless.example.com"};

constexpr std::array<std::string_view, 16> kUsers = {
    "jsmith", "admin",  "mkoch",  "alice", "bob",      "webmaster", "guest",  "p.martin",
    "chen",   "olga_v", "tanaka", "root",  "support1", "d.rossi",   "helena", "member42"};

void AppendOctet(std::string& out, uint32_t address, int index) {
  out += std::to_string((address >> (24 - 8 * index)) & 0xFF);
}

// A reverse-DNS name in one of the shapes providers give their dial-up, DSL and cable pools.
std::string MakeHostName(Random& rng, uint32_t address) {
  std::string name;
  const std::string_view provider = kProviders[rng.Below(kProviders.size())];
  const auto dashed = [&](std::string_view prefix) {
    name = prefix;
    for (int i = 0; i < 4; ++i) {
      if (i != 0) name += '-';
      AppendOctet(name, address, i);
    }
  };
  switch (rng.Below(5)) {
    case 0:
      name = "dialup-";
      AppendOctet(name, address, 2);
      name += '-';
      AppendOctet(name, address, 3);
      break;
    case 1:
      dashed("");
      name += ".dsl";
      break;
    case 2:
      dashed("pool-");
      break;
    case 3:
      name = "host";
      AppendOctet(name, address, 3);
      name += '.';
      AppendOctet(name, address, 2);
      break;
    default:
      dashed("cpe-");
      name += ".cable";
      break;
  }
  name += '.';
  name += provider;
  return name;
}

uint32_t RandomPublicAddress(Random& rng) {
  for (;;) {
    const auto a = static_cast<uint32_t>(rng.Next() >> 32);
    const uint32_t last = a & 0xFF;
    if (IsPublicAddress(a) && last != 0 && last != 255) return a;
  }
}

bool SpeaksHttp10(std::string_view agent) {
  return agent.find("Gecko") == std::string_view::npos &&
         agent.find("Konqueror") == std::string_view::npos;
}

}  // namespace

bool IsPublicAddress(uint32_t address) {
  const uint32_t a = address >> 24;
  const uint32_t b = (address >> 16) & 0xFF;
  if (a == 0 || a == 10 || a == 127 || a >= 224) return false;
  if (a == 100 && b >= 64 && b < 128) return false;    // shared address space
  if (a == 169 && b == 254) return false;              // link-local
  if (a == 172 && b >= 16 && b < 32) return false;     // private
  if (a == 192 && b == 168) return false;              // private
  if (a == 198 && (b == 18 || b == 19)) return false;  // benchmarking
  if ((address >> 8) == 0xC00002 || (address >> 8) == 0xC63364 || (address >> 8) == 0xCB0071) {
    return false;  // documentation networks
  }
  return true;
}

Population::Population(Random& rng, uint32_t size)
    // Browsers update themselves, so nearly every other visitor carries a version of its own.
    : agents_(rng, std::clamp<uint32_t>(size / 2, 40, 20000)) {
  const uint32_t people = std::max<uint32_t>(size - size / 20, 40);
  AddPeople(rng, people);
  AddRobots(rng, std::max(size, 3000u), std::max<uint32_t>(size / 30, 6),
            std::max<uint32_t>(size / 60, 3));
}

uint32_t Population::Add(const Visitor& v) {
  visitors_.push_back(v);
  const auto id = static_cast<uint32_t>(visitors_.size() - 1);
  by_kind_[static_cast<int>(v.kind)].push_back(id);
  return id;
}

void Population::AddPeople(Random& rng, uint32_t count) {
  // Most people come from the /16 pools of providers; a dozen or so share each pool.
  std::vector<uint32_t> networks(std::max<uint32_t>(count / 12, 4));
  for (uint32_t& n : networks) n = RandomPublicAddress(rng) & 0xFFFF0000u;
  for (uint32_t i = 0; i < count; ++i) {
    Visitor v;
    if (rng.Chance(0.7)) {
      const uint32_t net = networks[rng.Skewed(static_cast<uint32_t>(networks.size()), 1.5)];
      v.address = net | (rng.Between(0, 255) << 8) | rng.Between(1, 254);
      if (!IsPublicAddress(v.address)) v.address = RandomPublicAddress(rng);
    } else {
      v.address = RandomPublicAddress(rng);
    }
    v.agent = agents_.Pick(rng);
    v.http10 = SpeaksHttp10(agents_.agent(v.agent)) && rng.Chance(0.5);
    if (rng.Chance(0.1)) {
      v.host_name = static_cast<int32_t>(host_names_.size());
      host_names_.push_back(MakeHostName(rng, v.address));
    }
    if (rng.Chance(0.01)) v.user = static_cast<int32_t>(rng.Below(kUsers.size()));
    Add(v);
  }
}

void Population::AddRobots(Random& rng, uint32_t size, uint32_t tools, uint32_t scanners) {
  const auto spiders = Spiders();
  by_spider_.resize(spiders.size());
  for (uint32_t s = 0; s < spiders.size(); ++s) {
    // Big crawlers work from many addresses in consecutive /24s of their network, small ones
    // from one or two; the busier the site, the more addresses crawl it.
    const uint32_t addresses =
        1 + rng.Below(2) + static_cast<uint32_t>(uint64_t{spiders[s].weight} * size / 40000);
    for (uint32_t k = 0; k < addresses; ++k) {
      Visitor v;
      v.kind = VisitorKind::kSpider;
      v.agent = s;
      v.address = spiders[s].network + ((k / 250 % 64) << 8) + rng.Between(1, 254);
      by_spider_[s].push_back(Add(v));
    }
  }
  for (uint32_t i = 0; i < tools; ++i) {
    Visitor v;
    v.kind = VisitorKind::kTool;
    v.agent = rng.Below(static_cast<uint32_t>(ToolAgents().size()));
    v.address = RandomPublicAddress(rng);
    Add(v);
  }
  for (uint32_t i = 0; i < scanners; ++i) {
    Visitor v;
    v.kind = VisitorKind::kScanner;
    v.agent = rng.Below(static_cast<uint32_t>(ScannerAgents().size()));
    v.address = RandomPublicAddress(rng);
    v.http10 = rng.Chance(0.6);
    Add(v);
  }
}

uint32_t Population::Pick(Random& rng, VisitorKind kind, int64_t now) const {
  const std::vector<uint32_t>& all = by_kind_[static_cast<int>(kind)];
  const std::vector<uint32_t>* list = &all;
  if (kind == VisitorKind::kSpider) {
    const auto spiders = Spiders();
    list = &by_spider_[PickWeighted(rng, spiders, [](const SpiderProfile& p) { return p.weight; })];
  }
  uint32_t id = (*list)[rng.Skewed(static_cast<uint32_t>(list->size()), 2.0)];
  // Regulars first; when they are all busy, anyone of the kind who is free.
  for (int attempt = 0; attempt < 64 && visitors_[id].free_at > now; ++attempt) {
    id = attempt < 3 ? (*list)[rng.Skewed(static_cast<uint32_t>(list->size()), 2.0)]
                     : all[rng.Below(static_cast<uint32_t>(all.size()))];
  }
  return id;
}

std::string_view Population::AgentOf(const Visitor& v) const {
  switch (v.kind) {
    case VisitorKind::kHuman:
      return agents_.agent(v.agent);
    case VisitorKind::kSpider:
      return Spiders()[v.agent].agent;
    case VisitorKind::kTool:
      return ToolAgents()[v.agent];
    default:
      return ScannerAgents()[v.agent];
  }
}

std::string_view Population::UserOf(const Visitor& v) const {
  return v.user < 0 ? std::string_view() : kUsers[v.user];
}

}  // namespace velmora::loggen
