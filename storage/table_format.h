// The on-disk format of a table file, in one place: the 512-byte header, the unit sizes the
// engine knows, the reserve each keeps at the end of the file and the growth rules.
//
// A table file is a 512-byte header followed by an array of fixed-size units. Its length is
// always a whole number of growth steps, and the header's mapped size says which; capacity is
// derived from that length, less a small per-unit-size reserve. The reserve of the 4-byte files
// keeps the unit just behind the last one inside the file, so an index can always hold one more
// entry than it counts. docs/table-files.md draws the layout.
#pragma once

#include <cstdint>

namespace velmora {

// The unit sizes of the system's tables, in bytes.
enum class UnitSize : uint8_t {
  k1 = 1,  // string heaps
  k4 = 4,  // offset tables, sorted indexes, sequence heaps
  k12 = 12,
  k16 = 16,
  k20 = 20,
  k24 = 24,
  k28 = 28,
  k32 = 32,
  k36 = 36,
  k40 = 40,
  k48 = 48,
  k88 = 88,
};

inline constexpr uint32_t kUnitSizes[] = {1, 4, 12, 16, 20, 24, 28, 32, 36, 40, 48, 88};

constexpr bool IsUnitSize(uint32_t bytes) {
  for (uint32_t size : kUnitSizes) {
    if (size == bytes) return true;
  }
  return false;
}

constexpr uint32_t Bytes(UnitSize size) { return static_cast<uint32_t>(size); }

namespace table_format {

inline constexpr uint32_t kSignature1 = 0x1B23325F;
inline constexpr uint32_t kSignature2 = 0x30060220;

inline constexpr uint32_t kHeaderSize = 512;
// Header field offsets; every field is a little-endian 32-bit word.
inline constexpr uint32_t kSignature1Offset = 0;
inline constexpr uint32_t kSignature2Offset = 4;
inline constexpr uint32_t kMappedSizeOffset = 8;    // unsigned
inline constexpr uint32_t kFreeUnitsOffset = 12;    // signed
inline constexpr uint32_t kRecordCountOffset = 16;  // unsigned
inline constexpr uint32_t kUserHeaderOffset = 20;
inline constexpr uint32_t kUserHeaderSize = kHeaderSize - kUserHeaderOffset;  // 492

// Files grow by the allocation granularity of the system the format was designed on.
inline constexpr uint32_t kGrowthStep = 65536;
// Growth is refused once the mapped size reaches this, so a table stays just under 2 GiB.
inline constexpr uint32_t kSizeLimit = 0x7FFFFFFEu - kGrowthStep;  // 2147418110

// The longest table path (folder and name, without extension) a table file accepts.
inline constexpr size_t kMaxTablePathLength = 480;
inline constexpr const char* kNameExtension = ".zeq";

// Bytes at the end of the file that never hold a unit.
constexpr uint32_t ReserveBytes(UnitSize size) {
  switch (size) {
    case UnitSize::k1:
      return 7;
    case UnitSize::k4:
    case UnitSize::k12:
    case UnitSize::k20:
    case UnitSize::k28:
    case UnitSize::k36:
      return 4;
    default:
      return 0;
  }
}

// Units a file of `mapped_size` bytes can hold.
constexpr int64_t Capacity(UnitSize size, uint64_t mapped_size) {
  const uint64_t overhead = kHeaderSize + ReserveBytes(size);
  if (mapped_size <= overhead) return 0;
  return static_cast<int64_t>((mapped_size - overhead) / Bytes(size));
}

static_assert(Capacity(UnitSize::k4, kGrowthStep) == 16255);
static_assert(Capacity(UnitSize::k1, kGrowthStep) == 65017);
static_assert(Capacity(UnitSize::k32, kGrowthStep) == 2032);
static_assert(Capacity(UnitSize::k20, kGrowthStep) == 3251);
static_assert(kSizeLimit == 2147418110u);

}  // namespace table_format
}  // namespace velmora
