// AddressKey: the client key a visit is matched and stored by. A numeric client is its IPv4
// number (first octet in the top byte); a client logged by host name is the low 24 bits of the
// CRC-32/BZIP2 of the name as logged (no case mapping), so every host-name key lies below
// 0x1000000. A numeric address 0.x.x.x falls into the same range and is treated alike.
//
// With advanced visit detection two keys belong to the same network when their VisitNetwork
// agrees: the /16 network of a numeric address, the key itself for a host name.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

// Client addresses at or above this are numeric; below it a key may stand for a host name.
inline constexpr uint32_t kHostNameKeyLimit = 0x1000000;
// What record completion leaves in the numeric address of a client that is not an IPv4 number.
inline constexpr uint32_t kNamedClientAddress = 0xFFFFFFFF;

// The key of a client logged as `host_name`. "abc" gives 0x8CBB73.
uint32_t HostNameAddressKey(std::string_view host_name);

// The key of a client whose completed record says `numeric_address` and `host`: the number
// itself, or the host-name key when the address is kNamedClientAddress.
inline uint32_t AddressKey(uint32_t numeric_address, std::string_view host) {
  return numeric_address == kNamedClientAddress ? HostNameAddressKey(host) : numeric_address;
}

constexpr bool IsHostNameKey(uint32_t key) { return key < kHostNameKeyLimit; }

// The /16 network of a numeric key; a host-name key stands for itself.
constexpr uint32_t VisitNetwork(uint32_t key) {
  return IsHostNameKey(key) ? key : (key & 0xFFFF0000u);
}

}  // namespace velmora
