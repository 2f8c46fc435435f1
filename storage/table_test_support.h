// Helpers shared by the storage tests: a fault hook that is removed when the test ends (the hook
// is process-wide), and byte-level access to table files on disk for damaging them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "core/byte_order.h"
#include "platform/mapped_file.h"

namespace velmora::testing {

class ScopedFaultHook {
 public:
  explicit ScopedFaultHook(MappedFileFaultHook hook) { SetMappedFileFaultHook(std::move(hook)); }
  ~ScopedFaultHook() { SetMappedFileFaultHook(nullptr); }
  ScopedFaultHook(const ScopedFaultHook&) = delete;
  ScopedFaultHook& operator=(const ScopedFaultHook&) = delete;
};

inline uint64_t DiskSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Overwrites the little-endian word at `offset` of the file.
inline void PokeLE32(const std::string& path, uint64_t offset, uint32_t value) {
  std::string bytes = ReadWholeFile(path);
  if (offset + 4 <= bytes.size()) StoreLE32(bytes.data() + offset, value);
  WriteWholeFile(path, bytes);
}

inline uint32_t PeekLE32(const std::string& path, uint64_t offset) {
  const std::string bytes = ReadWholeFile(path);
  return offset + 4 <= bytes.size() ? LoadLE32(bytes.data() + offset) : 0;
}

}  // namespace velmora::testing
