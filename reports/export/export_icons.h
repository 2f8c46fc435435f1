// The eight small GIF pictures an exported page shows in its table cells: a spacer, the trend
// arrows up and down, two bar marks and the labels NEW, SUN and SAT. They are drawn here as
// pixel rows and encoded as GIF89a with white transparent, the same bytes on every export.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

inline constexpr int kExportIconCount = 8;

// Icon `k` (0 to 7) as the bytes of a GIF89a file; icon k + 1 shows row image k.
std::span<const uint8_t> ExportIcon(int k);

}  // namespace velmora
