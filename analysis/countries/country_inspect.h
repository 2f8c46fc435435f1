// What the country lookups make of one address or host name, for `velmora inspect ip` and
// `velmora inspect host`: the index a visit would store, with the entry's code and name.
#pragma once

#include <cstdint>
#include <string_view>

#include "analysis/countries/country_table.h"
#include "core/result.h"

namespace velmora {

struct CountryAnswer {
  uint16_t country = kUnknownCountry;  // the index stored in a visit
  std::string_view code;               // "@" for Unknown
  std::string_view name;
};

// The entry at `index` (Unknown for an index past the list).
CountryAnswer CountryAnswerOf(uint16_t index);

// A dotted IPv4 address as a number, first octet in the top byte: exactly four groups of one to
// three digits, each 0 to 255. Anything else is refused with a message naming the text.
Result<uint32_t> ParseIpv4Address(std::string_view text);

// The country of an address typed as text: IPv4, or IPv6 (with the program's IPv6 table).
Result<CountryAnswer> InspectIpAddress(const CountryTable& table, std::string_view text);

// The country a client logged under this host name gets.
CountryAnswer InspectHostName(const CountryTable& table, std::string_view host);

}  // namespace velmora
