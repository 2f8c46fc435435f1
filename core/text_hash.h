// HashText: a fast 32-bit hash of a text for in-memory hash tables (the id caches of the
// analysis, the parse run's text numbering). Never stored: it may change with any build.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

uint32_t HashText(std::string_view text);

}  // namespace velmora
