// Network texts of the form a.b.c.d/w, as log filters and the report-time address filter
// (FilterBarState::ip_filter) take them. The text is read the way a scanf pattern "%d.%d.%d.%d/%d"
// would read it: up to five decimal numbers, each optionally preceded by blanks and a sign,
// separated by exactly '.', '.', '.' and '/'; reading stops at the first thing that does not fit.
// Numbers never overflow: each saturates, then a, b, c, d are clamped to 0..255 and w to 0..32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora {

struct NetworkAddress {
  uint32_t address = 0;        // a << 24 | b << 16 | c << 8 | d; missing numbers count as 0
  uint32_t mask = 0xFFFFFFFF;  // w leading bits when all five numbers were read, else all
  int numbers_read = 0;        // 0..5
  size_t length_read = 0;      // characters the numbers read and their separators took
};

// So "10.1.0.0/16" gives 0x0A010000 and 0xFFFF0000, "10.1.2.3" a single address, and
// "999.1.1.1/77" 0xFF010101 with mask 0xFFFFFFFF.
NetworkAddress ParseNetworkText(std::string_view text);

// Whether `client` lies in `network`: (client AND mask) = address. The address is not masked,
// so a network written with host bits set matches nothing wider than itself.
constexpr bool InNetwork(uint32_t client, const NetworkAddress& network) {
  return (client & network.mask) == network.address;
}

}  // namespace velmora
