// Our own PNG encoder for chart images: one truecolour image, 8 bits a channel, no interlace,
// every row Sub-filtered and the whole image deflated in one call. The byte layout is described
// where it is written, in png_writer.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/result.h"
#include "reports/charts/rgb_image.h"

namespace velmora {

// The PNG file of `image`; empty when the image is empty or malformed, or zlib fails.
std::vector<uint8_t> EncodePng(const RgbImage& image);

// Writes EncodePng(image) to `file`. Fails, with the system's reason, when the file cannot be
// created or a write fails; a file left half-written is removed.
Status WritePng(const std::string& file, const RgbImage& image);

}  // namespace velmora
