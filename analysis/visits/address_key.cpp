#include "analysis/visits/address_key.h"

#include "core/crc32.h"

namespace velmora {

uint32_t HostNameAddressKey(std::string_view host_name) {
  return Crc32Bzip2(host_name) & (kHostNameKeyLimit - 1);
}

}  // namespace velmora
