#include "reports/export/export_icons.h"

#include <array>
#include <string_view>

namespace velmora {
namespace {

struct Colour {
  uint8_t r, g, b;
};

// A picture: one character per pixel, each naming its palette entry by position in `keys`.
struct Picture {
  int width;
  int height;
  std::string_view keys;  // keys[i] stands for palette[i]; the white one is transparent
  std::vector<Colour> palette;
  std::array<std::string_view, 16> rows;
};

// clang-format off
const Picture kPictures[kExportIconCount] = {
    {1, 1, " #", {{255, 255, 255}, {0, 0, 0}}, {" "}},
    {12, 16, "lds ", {{0x40, 0xFF, 0x40}, {0x00, 0x80, 0x00}, {0x00, 0xC0, 0x00}, {255, 255, 255}}, {
        "            ",
        "     dd     ",
        "    dlsd    ",
        "   dllssd   ",
        "  dllllssd  ",
        " dlllllsssd ",
        "ddddlssddddd",
        "   dlssd    ",
        "   dlssd    ",
        "   dlssd    ",
        "   dlssd    ",
        "   dlssd    ",
        "   dlssd    ",
        "   dddd     ",
        "            ",
        "            "}},
    {12, 16, "dls ", {{0x80, 0x00, 0x00}, {0xFF, 0x40, 0x40}, {0xC0, 0x00, 0x00}, {255, 255, 255}}, {
        "            ",
        "            ",
        "    dddd    ",
        "    dlsd    ",
        "    dlsd    ",
        "    dlsd    ",
        "    dlsd    ",
        "    dlsd    ",
        "    dlsd    ",
        "ddddllssdddd",
        " dlllllssd  ",
        "  dlllssd   ",
        "   dllsd    ",
        "    dsd     ",
        "     d      ",
        "            "}},
    {12, 16, " kbBgGm", {{255, 255, 255}, {0, 0, 0}, {0x40, 0x60, 0xE0}, {0x20, 0x30, 0x90},
                         {0x40, 0xC0, 0x40}, {0x20, 0x80, 0x20}, {0x80, 0x80, 0x80}, {0xC0, 0xC0, 0xC0}, {0x60, 0x60, 0x60}, {0xFF, 0xFF, 0x00}, {0x00, 0xFF, 0xFF}, {0xFF, 0x00, 0xFF}, {0x80, 0x80, 0x00}, {0x00, 0x80, 0x80}, {0x80, 0x00, 0x80}, {0x40, 0x40, 0x40}}, {
        "            ",
        "            ",
        "       gG   ",
        "       gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        "  bB   gG   ",
        " kkkkkkkkkk ",
        "     m      ",
        "    mmm     ",
        "            "}},
    {12, 16, " kbBrRm", {{255, 255, 255}, {0, 0, 0}, {0x40, 0x60, 0xE0}, {0x20, 0x30, 0x90},
                         {0xE0, 0x40, 0x40}, {0xA0, 0x20, 0x20}, {0x80, 0x80, 0x80}, {0xC0, 0xC0, 0xC0}, {0x60, 0x60, 0x60}, {0xFF, 0xFF, 0x00}, {0x00, 0xFF, 0xFF}, {0xFF, 0x00, 0xFF}, {0x80, 0x80, 0x00}, {0x00, 0x80, 0x80}, {0x80, 0x00, 0x80}, {0x40, 0x40, 0x40}}, {
        "            ",
        "            ",
        "  bB        ",
        "  bB        ",
        "  bB   rR   ",
        "  bB   rR   ",
        "  bB   rR   ",
        "  bB   rR   ",
        "  bB   rR   ",
        "  bB   rR   ",
        "  bB   rR   ",
        "  bB   rR   ",
        " kkkkkkkkkk ",
        "     m      ",
        "    mmm     ",
        "            "}},
    {24, 16, "tdsl ", {{0x00, 0x80, 0x00}, {0x80, 0x00, 0x00}, {0xC0, 0xC0, 0xC0}, {0xC0, 0xFF, 0xC0}, {255, 255, 255}}, {
        "                        ",
        "                        ",
        " tttttttttttttttttttt   ",
        " tllllllllllllllllllts  ",
        " tlttlltlttttltllltlts  ",
        " tlttlltltllllltlltllts ",
        " tltltltltllllltlltllts ",
        " tltltltltttllltltlltls ",
        " tltlttltllllltltlltlts ",
        " tltlttltllllllttltlllts",
        " tlttlltlttttllttlttllts",
        " tllllllllllllllllllllts",
        " ttttttttttttttttttttts ",
        "  ssssssssssssssssssss  ",
        "                        ",
        "                        "}},
    {24, 16, "drsl ", {{0x80, 0x00, 0x00}, {0xC0, 0x00, 0x00}, {0xC0, 0xC0, 0xC0}, {0xFF, 0xC0, 0xC0}, {255, 255, 255}}, {
        "                        ",
        "                        ",
        " dddddddddddddddddddd   ",
        " dlllllllllllllllllds   ",
        " dllrrrlrllrlrllrllds   ",
        " dlrllllrllrlrrlrllds   ",
        " dllrrllrllrlrlrrllds   ",
        " dllllrlrllrlrllrllds   ",
        " dlrrrllrrrrlrllrllds   ",
        " dlllllllllllllllllds   ",
        " dddddddddddddddddddds  ",
        "  ssssssssssssssssssss  ",
        "                        ",
        "                        ",
        "                        ",
        "                        "}},
    {24, 16, "drsl ", {{0x80, 0x00, 0x00}, {0xC0, 0x00, 0x00}, {0xC0, 0xC0, 0xC0}, {0xFF, 0xC0, 0xC0}, {255, 255, 255}}, {
        "                        ",
        "                        ",
        " dddddddddddddddddddd   ",
        " dlllllllllllllllllds   ",
        " dllrrrllrrlllrrrllds   ",
        " dlrllllrllrlllrlllds   ",
        " dllrrllrrrrlllrlllds   ",
        " dllllrlrllrlllrlllds   ",
        " dlrrrllrllrlllrlllds   ",
        " dlllllllllllllllllds   ",
        " dddddddddddddddddddds  ",
        "  ssssssssssssssssssss  ",
        "                        ",
        "                        ",
        "                        ",
        "                        "}},
};
// clang-format on

void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// GIF89a with a global colour table, white transparent, and image data in fixed-width LZW codes:
// a clear code before the code table would widen keeps every code a literal pixel, which every
// decoder reads and which suits pictures of a few hundred pixels.
std::vector<uint8_t> EncodeGif(const Picture& p) {
  int table_bits = 1;
  while ((1 << table_bits) < static_cast<int>(p.palette.size())) ++table_bits;
  const int min_code = std::max(2, table_bits);
  int transparent = 0;
  for (size_t i = 0; i < p.palette.size(); ++i) {
    const Colour& c = p.palette[i];
    if (c.r == 255 && c.g == 255 && c.b == 255) transparent = static_cast<int>(i);
  }
  std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, p.width);
  Put16(out, p.height);
  out.push_back(static_cast<uint8_t>(0x80 | ((table_bits - 1) << 4) | (table_bits - 1)));
  out.push_back(static_cast<uint8_t>(transparent));  // background
  out.push_back(0);
  for (int i = 0; i < (1 << table_bits); ++i) {
    const Colour c = i < static_cast<int>(p.palette.size()) ? p.palette[static_cast<size_t>(i)]
                                                            : Colour{0, 0, 0};
    out.insert(out.end(), {c.r, c.g, c.b});
  }
  out.insert(out.end(),
             {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, static_cast<uint8_t>(transparent), 0x00});
  out.push_back(0x2C);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, p.width);
  Put16(out, p.height);
  out.push_back(0);
  out.push_back(static_cast<uint8_t>(min_code));

  const int clear = 1 << min_code;
  const int width = min_code + 1;
  const int run = clear - 2;  // literals between two clear codes
  std::vector<uint8_t> data;
  uint32_t bits = 0;
  int count = 0;
  auto emit = [&](int code) {
    bits |= static_cast<uint32_t>(code) << count;
    count += width;
    while (count >= 8) {
      data.push_back(static_cast<uint8_t>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  };
  int since_clear = run;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (since_clear == run) {
        emit(clear);
        since_clear = 0;
      }
      const std::string_view row = p.rows[static_cast<size_t>(y)];
      const char key = static_cast<size_t>(x) < row.size() ? row[static_cast<size_t>(x)] : ' ';
      const size_t index = p.keys.find(key);
      emit(static_cast<int>(index == std::string_view::npos ? static_cast<size_t>(transparent)
                                                            : index));
      ++since_clear;
    }
  }
  emit(clear + 1);
  if (count > 0) data.push_back(static_cast<uint8_t>(bits & 0xFF));
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(at),
               data.begin() + static_cast<ptrdiff_t>(at + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

}  // namespace

std::span<const uint8_t> ExportIcon(int k) {
  static const std::array<std::vector<uint8_t>, kExportIconCount> icons = [] {
    std::array<std::vector<uint8_t>, kExportIconCount> all;
    for (int i = 0; i < kExportIconCount; ++i)
      all[static_cast<size_t>(i)] = EncodeGif(kPictures[i]);
    return all;
  }();
  if (k < 0 || k >= kExportIconCount) return {};
  return icons[static_cast<size_t>(k)];
}

}  // namespace velmora
