#include "analysis/countries/country_inspect.h"

#include <optional>
#include <string>

#include "analysis/countries/ipv6_country_table.h"

namespace velmora {

CountryAnswer CountryAnswerOf(uint16_t index) {
  const uint16_t known = index < CountryCount() ? index : kUnknownCountry;
  return {known, CountryCode(known), CountryName(known)};
}

Result<uint32_t> ParseIpv4Address(std::string_view text) {
  auto refused = [&] { return Error{0, "\"" + std::string(text) + "\" is not an IPv4 address"}; };
  uint32_t address = 0;
  size_t at = 0;
  for (int group = 0; group < 4; ++group) {
    if (group > 0) {
      if (at >= text.size() || text[at] != '.') return refused();
      ++at;
    }
    uint32_t value = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4; ++at, ++digits) {
      value = value * 10 + static_cast<uint32_t>(text[at] - '0');
    }
    if (digits == 0 || digits > 3 || value > 255) return refused();
    address = (address << 8) | value;
  }
  if (at != text.size()) return refused();
  return address;
}

Result<CountryAnswer> InspectIpAddress(const CountryTable& table, std::string_view text) {
  Result<uint32_t> address = ParseIpv4Address(text);
  if (address.ok()) return CountryAnswerOf(table.CountryOfAddress(*address));
  if (const std::optional<uint16_t> country =
          CountryOfIpv6Client(text, table, SharedIpv6CountryTable())) {
    return CountryAnswerOf(*country);
  }
  return Error{0, "\"" + std::string(text) + "\" is not an IPv4 or IPv6 address"};
}

CountryAnswer InspectHostName(const CountryTable& table, std::string_view host) {
  return CountryAnswerOf(table.CountryOfHostName(host));
}

}  // namespace velmora
