#include "analysis/caches/string_id_cache.h"

#include <cstdint>
#include <cstring>

#include "core/byte_order.h"

namespace velmora {

uint32_t StringTableKeys::Hash(std::string_view text) {
  // Hashed three times per request (resource, referrer, user agent) on the analysis thread, so
  // eight bytes per multiply and no more; the hashes never leave memory, so any good mix does.
  // The final steps spread every input bit over the low bits the slots are picked by.
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15;
  const char* p = text.data();
  size_t n = text.size();
  uint64_t h = n * kMultiplier;
  for (; n >= 8; p += 8, n -= 8) h = (h ^ LoadLE64(p)) * kMultiplier ^ (h >> 29);
  if (n > 0) {
    uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    h = (h ^ tail) * kMultiplier ^ (h >> 29);
  }
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCD;
  h ^= h >> 33;
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace velmora
