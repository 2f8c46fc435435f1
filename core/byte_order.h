// Little-endian loads and stores: every stored layout (table headers, records, the settings
// block) is little-endian and goes through these, so byte order lives in one place. memcpy keeps
// unaligned access defined; compilers turn it into a single move.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace velmora {

inline uint16_t LoadLE16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t LoadLE32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}
inline uint64_t LoadLE64(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return uint64_t{LoadLE32(b)} | (uint64_t{LoadLE32(b + 4)} << 32);
}
inline void StoreLE16(void* p, uint16_t v) {
  auto* b = static_cast<unsigned char*>(p);
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreLE32(void* p, uint32_t v) {
  auto* b = static_cast<unsigned char*>(p);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void StoreLE64(void* p, uint64_t v) {
  auto* b = static_cast<unsigned char*>(p);
  StoreLE32(b, static_cast<uint32_t>(v));
  StoreLE32(b + 4, static_cast<uint32_t>(v >> 32));
}

static_assert(std::endian::native == std::endian::little || true,
              "the helpers above are byte-wise and work on any host");

}  // namespace velmora
