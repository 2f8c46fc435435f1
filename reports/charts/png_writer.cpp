// The file, all numbers big-endian:
//
//   89 50 4E 47 0D 0A 1A 0A                      signature
//   00 00 00 0D "IHDR" width:4 height:4          image header: bit depth 8, colour type 2
//     08 02 00 00 00 crc:4                       (truecolour), compression 0, filter 0, no
//     interlace
//   length:4 "IDAT" zlib stream crc:4            the one data chunk
//   00 00 00 00 "IEND" crc:4                     the end
//
// A chunk's CRC is zlib's CRC-32 over its type letters and data. The zlib stream holds the rows
// from top to bottom, each as filter byte 1 (Sub) and 3 * width bytes in which every byte is
// stored minus the same channel of the pixel to its left, modulo 256 (the first pixel as it is).
// Sub costs one subtraction a byte and suits charts, whose rows are long runs of one colour.
#include "reports/charts/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "platform/sys_error.h"

namespace velmora {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kFilterSub = 1;
constexpr int kCompressionLevel = 9;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, std::string_view type, const uint8_t* data, size_t size) {
  PutU32(out, static_cast<uint32_t>(size));
  const size_t type_at = out.size();
  out.insert(out.end(), type.begin(), type.end());
  if (size > 0) out.insert(out.end(), data, data + size);
  const uLong crc = crc32_z(crc32(0L, Z_NULL, 0), out.data() + type_at, out.size() - type_at);
  PutU32(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> SubFilteredRows(const RgbImage& image) {
  const size_t row_bytes = static_cast<size_t>(image.width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((row_bytes + 1) * static_cast<size_t>(image.height));
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels.data() + row_bytes * static_cast<size_t>(y);
    raw.push_back(kFilterSub);
    for (size_t i = 0; i < row_bytes; ++i) {
      raw.push_back(static_cast<uint8_t>(i < 3 ? row[i] : row[i] - row[i - 3]));
    }
  }
  return raw;
}

}  // namespace

std::vector<uint8_t> EncodePng(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height * 3) {
    return {};
  }
  const std::vector<uint8_t> raw = SubFilteredRows(image);
  // Twice the raw size is room enough for one call; a tiny image may need zlib's own bound.
  uLongf packed_size = std::max<uLong>(2 * raw.size(), compressBound(raw.size()));
  std::vector<uint8_t> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), raw.size(), kCompressionLevel) != Z_OK) {
    return {};
  }

  std::vector<uint8_t> png(kSignature.begin(), kSignature.end());
  std::vector<uint8_t> header;
  PutU32(header, static_cast<uint32_t>(image.width));
  PutU32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  PutChunk(png, "IHDR", header.data(), header.size());
  PutChunk(png, "IDAT", packed.data(), packed_size);
  PutChunk(png, "IEND", nullptr, 0);
  return png;
}

Status WritePng(const std::string& file, const RgbImage& image) {
  const std::vector<uint8_t> png = EncodePng(image);
  if (png.empty()) return Error{0, "Cannot encode the chart image as PNG"};
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) {
    const int code = errno;
    return Error{code, "Cannot create " + file + ": " + SystemErrorText(code)};
  }
  const bool written = std::fwrite(png.data(), 1, png.size(), out) == png.size();
  const int write_code = errno;
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    const int code = !written ? write_code : errno;
    // A half-written PNG is no use to anyone; a device such as /dev/full is not ours to remove.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(file, ignored)) std::filesystem::remove(file, ignored);
    return Error{code, "Cannot write " + file + ": " + SystemErrorText(code)};
  }
  return {};
}

}  // namespace velmora
