// The PNG files we write: their chunks byte for byte as laid out, the Sub filter undone giving the
// image back, Debian's own PNG checker and decoder reading them, and failures to write reported.
#include "reports/charts/png_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
  bool crc_ok = false;
};

uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The chunks after the signature; a chunk running past the end stops the list.
std::vector<Chunk> Chunks(const std::vector<uint8_t>& png) {
  std::vector<Chunk> chunks;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = U32(&png[at]);
    if (at + 12 + length > png.size()) break;
    Chunk chunk;
    chunk.type.assign(png.begin() + at + 4, png.begin() + at + 8);
    chunk.data.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
    chunk.crc_ok = crc32(0, &png[at + 4], 4 + length) == U32(&png[at + 8 + length]);
    chunks.push_back(std::move(chunk));
    at += 12 + length;
  }
  return chunks;
}

// Pixels that differ from their left neighbours in every channel, so that a filter applied to
// the wrong neighbour or channel shows.
RgbImage Pattern(int32_t width, int32_t height) {
  RgbImage image{width, height, {}};
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c)
        image.pixels.push_back(static_cast<uint8_t>(x * 37 + y * 11 + c * 101));
  return image;
}

std::string Output(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  *status = pclose(pipe);
  return out;
}

TEST(PngWriterTest, ChunksAreInOrderWithLengthsAndCrcs) {
  const RgbImage image = Pattern(5, 3);
  const std::vector<uint8_t> png = EncodePng(image);
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8),
            (std::vector<uint8_t>{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
  const std::vector<Chunk> chunks = Chunks(png);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].type + chunks[1].type + chunks[2].type, "IHDRIDATIEND");
  for (const Chunk& chunk : chunks) EXPECT_TRUE(chunk.crc_ok) << chunk.type;
  EXPECT_EQ(chunks[0].data, (std::vector<uint8_t>{0, 0, 0, 5, 0, 0, 0, 3, 8, 2, 0, 0, 0}));
  EXPECT_TRUE(chunks[2].data.empty());

  // Every row is filter byte 1 and Sub differences that add up to the image again.
  std::vector<uint8_t> raw(3 * (1 + 5 * 3) + 1);
  uLongf raw_size = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &raw_size, chunks[1].data.data(), chunks[1].data.size()), Z_OK);
  ASSERT_EQ(raw_size, 3u * (1 + 5 * 3));
  std::vector<uint8_t> pixels;
  for (size_t row = 0; row < 3; ++row) {
    const uint8_t* line = &raw[row * 16];
    EXPECT_EQ(line[0], 1) << "row " << row;
    for (size_t i = 0; i < 15; ++i) {
      pixels.push_back(static_cast<uint8_t>(line[1 + i] + (i < 3 ? 0 : pixels[pixels.size() - 3])));
    }
  }
  EXPECT_EQ(pixels, image.pixels);
  EXPECT_EQ(png.size(), 8u + 3 * 12 + 13 + chunks[1].data.size());
}

TEST(PngWriterTest, DebiansCheckerAndDecoderReadOurFiles) {
  testing::TempDir dir;
  for (const auto& [width, height] : {std::pair{1, 1}, {37, 11}, {600, 200}}) {
    const RgbImage image = Pattern(width, height);
    const std::string file = dir / "pattern.png";
    ASSERT_TRUE(WritePng(file, image).ok());
    int status = -1;
    const std::string checked = Output("/usr/bin/pngcheck " + file + " 2>&1", &status);
    EXPECT_EQ(status, 0) << "pngcheck (scripts/install-deps installs it): " << checked;
    // Debian's python3-png (not a virtual environment's python) reads it with its own decoder.
    const std::string script =
        "import png,sys; w,h,rows,info=png.Reader(filename=sys.argv[1]).asRGB8(); "
        "print(w,h,info['bitdepth'],''.join(bytes(r).hex() for r in rows))";
    const std::string decoded =
        Output("/usr/bin/python3 -c \"" + script + "\" " + file + " 2>&1", &status);
    ASSERT_EQ(status, 0) << "python3-png (scripts/install-deps installs it): " << decoded;
    std::ostringstream expected;
    expected << width << ' ' << height << " 8 ";
    for (uint8_t byte : image.pixels) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", byte);
      expected << hex;
    }
    EXPECT_EQ(decoded, expected.str() + "\n") << width << "x" << height;
  }
}

TEST(PngWriterTest, MalformedImagesAndUnwritableFilesFail) {
  EXPECT_TRUE(EncodePng({0, 5, {}}).empty());
  EXPECT_TRUE(EncodePng({2, 2, std::vector<uint8_t>(11)}).empty());
  EXPECT_TRUE(EncodePng({-1, -3, std::vector<uint8_t>(9)}).empty());

  testing::TempDir dir;
  const struct {
    std::string file;
    std::string says;
  } cases[] = {
      {dir / "missing/chart.png", "Cannot create "},
      {dir.str(), "Cannot create "},
      {"/dev/full", "Cannot write /dev/full: No space left on device"},
  };
  for (const auto& c : cases) {
    const Status written = WritePng(c.file, Pattern(4, 4));
    ASSERT_FALSE(written.ok()) << c.file;
    EXPECT_EQ(written.error().message.rfind(c.says, 0), 0u) << written.error().message;
    EXPECT_NE(written.error().code, 0);
  }
}

}  // namespace
}  // namespace velmora
