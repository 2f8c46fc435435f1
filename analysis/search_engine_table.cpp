#include "analysis/search_engine_table.h"

#include <array>
#include <bitset>
#include <functional>
#include <string>
#include <vector>

namespace velmora {

int EngineCount() { return static_cast<int>(SearchEngineRows().size()); }

std::string_view EngineName(int row) {
  if (row <= 0 || row >= EngineCount()) return {};
  return SearchEngineRows()[static_cast<size_t>(row)].name;
}

namespace {

// Pairs of neighbouring characters, hashed into 1,024 bits: a host can only be part of a domain
// when its first pair and its last pair both occur in the domain, which rules out nearly every
// row with two bit tests instead of a substring search.
constexpr size_t kPairBits = 1024;
using PairSet = std::bitset<kPairBits>;

size_t PairBit(char a, char b) {
  return ((static_cast<unsigned char>(a) * 31u) ^ static_cast<unsigned char>(b)) % kPairBits;
}

struct HostPairs {
  size_t first = 0;
  size_t last = 0;
  bool filtered = false;  // hosts of one character are always searched
};

const std::vector<std::array<HostPairs, 3>>& EngineHostPairs() {
  static const std::vector<std::array<HostPairs, 3>> pairs = [] {
    const std::span<const SearchEngineRow> rows = SearchEngineRows();
    std::vector<std::array<HostPairs, 3>> out(rows.size());
    for (size_t row = 0; row < rows.size(); ++row) {
      for (size_t i = 0; i < rows[row].hosts.size(); ++i) {
        const std::string_view host = rows[row].hosts[i];
        if (host.size() < 2) continue;
        out[row][i] = {PairBit(host[0], host[1]),
                       PairBit(host[host.size() - 2], host[host.size() - 1]), true};
      }
    }
    return out;
  }();
  return pairs;
}

int ScanEnginesForDomain(std::string_view domain) {
  const std::span<const SearchEngineRow> rows = SearchEngineRows();
  const std::vector<std::array<HostPairs, 3>>& pairs = EngineHostPairs();
  PairSet present;
  for (size_t i = 1; i < domain.size(); ++i) present.set(PairBit(domain[i - 1], domain[i]));
  for (size_t row = 1; row < rows.size(); ++row) {
    for (size_t i = 0; i < rows[row].hosts.size(); ++i) {
      const std::string_view host = rows[row].hosts[i];
      if (host.empty()) break;
      const HostPairs& p = pairs[row][i];
      if (p.filtered && (!present.test(p.first) || !present.test(p.last))) continue;
      if (domain.find(host) != std::string_view::npos) return static_cast<int>(row);
    }
  }
  return 0;
}

}  // namespace

int FindEngineByDomain(std::string_view domain) {
  // A site's referrers come from a few thousand domains: the answer for the last domain of each
  // slot is kept (per thread, so that nothing is shared).
  constexpr size_t kSlots = 4096;  // a power of two
  constexpr size_t kLongestRemembered = 96;
  struct Slot {
    std::string domain;
    int row = -1;
  };
  if (domain.size() > kLongestRemembered) return ScanEnginesForDomain(domain);
  thread_local std::vector<Slot> memo(kSlots);
  Slot& slot = memo[std::hash<std::string_view>{}(domain) & (kSlots - 1)];
  if (slot.row < 0 || slot.domain != domain) {
    slot.row = ScanEnginesForDomain(domain);
    slot.domain.assign(domain);
  }
  return slot.row;
}

}  // namespace velmora
