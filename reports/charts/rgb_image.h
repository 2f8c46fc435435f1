// An image as the PNG writer takes it: rows from top to bottom, three bytes a pixel in the order
// red, green, blue, no padding between rows. pixels.size() is always width * height * 3.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

struct RgbImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

}  // namespace velmora
