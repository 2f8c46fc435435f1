#include "core/crc32.h"

namespace velmora {
namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i << 24;
    for (int bit = 0; bit < 8; ++bit) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
    table[i] = c;
  }
  return table;
}

}  // namespace

const std::array<uint32_t, 256> kCrc32MsbTable = MakeTable();

uint32_t CrcUpdate(uint32_t reg, std::string_view text) {
  for (unsigned char c : text) reg = CrcStep(reg, c);
  return reg;
}

}  // namespace velmora
