#include "analysis/string_id_cache.h"

#include <functional>

namespace velmora {

uint32_t StringTableKeys::Hash(std::string_view text) {
  const uint64_t h = std::hash<std::string_view>{}(text);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace velmora
