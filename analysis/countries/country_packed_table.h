// The packed IP-to-country table carried inside the program: a gzip stream of 7-byte network
// records (layout in country_table.cpp). The bytes come from resources/ip-table/ip_table.gz,
// compiled into the binary at build time, so the program needs no data file beside it.
#pragma once

#include <span>

namespace velmora {

// The whole stream; it starts with the gzip magic 1F 8B and stays valid for the life of the
// process.
std::span<const unsigned char> PackedCountryTable();

// The IPv6 table, from resources/ip-table/ip6_table.gz: a gzip stream of 34-byte ranges (layout in
// ipv6_country_table.h).
std::span<const unsigned char> PackedCountryTable6();

}  // namespace velmora
