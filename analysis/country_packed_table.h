// The packed IP-to-country table carried inside the program: a bzip2 stream of 7-byte network
// records (layout in country_table.cpp). The bytes come from resources/ip-table/ip_table.bz2,
// compiled into the binary at build time, so the program needs no data file beside it.
#pragma once

#include <span>

namespace velmora {

// The whole stream; it starts with "BZh9" and stays valid for the life of the process.
std::span<const unsigned char> PackedCountryTable();

}  // namespace velmora
