#include "analysis/countries/ipv6_country_table.h"

#include <algorithm>
#include <memory>

#include "analysis/countries/country_inspect.h"
#include "analysis/countries/country_list.h"
#include "analysis/countries/country_packed_table.h"
#include "analysis/countries/country_table.h"

namespace velmora {
namespace {

// The most the packed IPv6 table may unpack to, as for the IPv4 table.
constexpr size_t kIpv6AreaSize = 0x400000;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the groups of one side of "::" into `groups`; false on anything but groups of one to
// four hexadecimal digits apart at ":", with a dotted IPv4 tail allowed as the last two groups
// when `ipv4_tail` is set.
bool ReadGroups(std::string_view text, bool ipv4_tail, std::vector<uint16_t>& groups) {
  if (text.empty()) return true;
  size_t at = 0;
  while (true) {
    const size_t end = std::min(text.find(':', at), text.size());
    const std::string_view group = text.substr(at, end - at);
    if (end == text.size() && ipv4_tail && group.find('.') != std::string_view::npos) {
      const Result<uint32_t> ipv4 = ParseIpv4Address(group);
      if (!ipv4.ok()) return false;
      groups.push_back(static_cast<uint16_t>(*ipv4 >> 16));
      groups.push_back(static_cast<uint16_t>(*ipv4 & 0xFFFF));
      return true;
    }
    if (group.empty() || group.size() > 4) return false;
    uint16_t value = 0;
    for (const char c : group) {
      const int digit = HexValue(c);
      if (digit < 0) return false;
      value = static_cast<uint16_t>(value << 4 | digit);
    }
    groups.push_back(value);
    if (end == text.size()) return true;
    at = end + 1;
  }
}

bool Before(const Ipv6Address& a, const Ipv6Address& b) { return a < b; }

}  // namespace

std::optional<Ipv6Address> ParseIpv6Address(std::string_view text) {
  const size_t zone = text.find('%');
  if (zone != std::string_view::npos) {
    if (zone + 1 == text.size()) return std::nullopt;  // a "%" names a zone
    text = text.substr(0, zone);
  }
  if (text.size() < 2 || text.size() > 45) return std::nullopt;
  std::vector<uint16_t> head;
  std::vector<uint16_t> tail;
  const size_t gap = text.find("::");
  if (gap == std::string_view::npos) {
    if (!ReadGroups(text, true, head) || head.size() != 8) return std::nullopt;
  } else {
    if (text.find("::", gap + 1) != std::string_view::npos) return std::nullopt;
    if (!ReadGroups(text.substr(0, gap), false, head)) return std::nullopt;
    if (!ReadGroups(text.substr(gap + 2), true, tail)) return std::nullopt;
    if (head.size() + tail.size() > 7) return std::nullopt;  // "::" stands for one group at least
    head.resize(8 - tail.size(), 0);
    head.insert(head.end(), tail.begin(), tail.end());
  }
  Ipv6Address address{};
  for (size_t i = 0; i < 8; ++i) {
    address[2 * i] = static_cast<uint8_t>(head[i] >> 8);
    address[2 * i + 1] = static_cast<uint8_t>(head[i] & 0xFF);
  }
  return address;
}

Ipv6CountryTable::Ipv6CountryTable(std::span<const unsigned char> packed) {
  auto area = std::make_unique_for_overwrite<unsigned char[]>(kIpv6AreaSize);
  const size_t unpacked = UnpackGzip(packed, area.get(), kIpv6AreaSize);
  ranges_.reserve(unpacked / kIpv6RangeRecordSize);
  // A few hundred codes over tens of thousands of records: each is looked up in the list once.
  std::vector<int32_t> index_of_code(1 << 16, -1);
  for (size_t at = 0; at + kIpv6RangeRecordSize <= unpacked; at += kIpv6RangeRecordSize) {
    Range range;
    std::copy_n(area.get() + at, 16, range.first.begin());
    std::copy_n(area.get() + at + 16, 16, range.last.begin());
    int32_t& country = index_of_code[area[at + 32] << 8 | area[at + 33]];
    if (country < 0) {
      const char code[2] = {static_cast<char>(area[at + 32]), static_cast<char>(area[at + 33])};
      country = CountryIndexOfCode(CountryCodeValue(std::string_view(code, 2)));
    }
    range.country = static_cast<uint16_t>(country);
    // Lookups bisect: a record out of order or backwards (a damaged table) is left out.
    if (Before(range.last, range.first)) continue;
    if (!ranges_.empty() && !Before(ranges_.back().last, range.first)) continue;
    ranges_.push_back(range);
  }
}

uint16_t Ipv6CountryTable::CountryOfAddress(const Ipv6Address& address) const {
  // The last range that starts at or before the address holds it, or none does.
  auto after = std::upper_bound(
      ranges_.begin(), ranges_.end(), address,
      [](const Ipv6Address& a, const Range& range) { return Before(a, range.first); });
  if (after == ranges_.begin()) return kUnknownCountry;
  const Range& range = *(after - 1);
  return Before(range.last, address) ? kUnknownCountry : range.country;
}

std::optional<uint16_t> CountryOfIpv6Client(std::string_view host, const CountryTable& ipv4,
                                            const Ipv6CountryTable& ipv6) {
  const std::optional<Ipv6Address> address = ParseIpv6Address(host);
  if (!address) return std::nullopt;
  constexpr uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  if (std::equal(kMapped, kMapped + 12, address->begin())) {
    const uint8_t* v4 = address->data() + 12;
    return ipv4.CountryOfAddress(uint32_t{v4[0]} << 24 | uint32_t{v4[1]} << 16 |
                                 uint32_t{v4[2]} << 8 | v4[3]);
  }
  return ipv6.CountryOfAddress(*address);
}

const Ipv6CountryTable& SharedIpv6CountryTable() {
  static const Ipv6CountryTable table(PackedCountryTable6());
  return table;
}

}  // namespace velmora
