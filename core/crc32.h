// The most-significant-bit-first CRC-32 of polynomial 0x04C11DB7 (the table of libbzip2).
// Table file names, host-name address keys, filter fingerprints and password scrambling all use
// it, each with its own register start, so only the step is shared; callers choose the start and
// whether to complement the result.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora {

// T[i] of the MSB-first table.
extern const std::array<uint32_t, 256> kCrc32MsbTable;

// One step: register = (register << 8) ^ T[(register >> 24) ^ byte].
inline uint32_t CrcStep(uint32_t reg, uint8_t byte) {
  return (reg << 8) ^ kCrc32MsbTable[(reg >> 24) ^ byte];
}

// Runs every byte of `text` through CrcStep starting from `reg`; no complement either side.
uint32_t CrcUpdate(uint32_t reg, std::string_view text);

// CRC-32/BZIP2: register starts at all ones, result complemented. "123456789" -> 0xFC891918.
inline uint32_t Crc32Bzip2(std::string_view text) { return ~CrcUpdate(0xFFFFFFFFu, text); }

}  // namespace velmora
