// Test data for the log readers: gzip and bzip2 images made with zlib and libbzip2 at test time,
// with control over the optional gzip header fields, plus a small file writer. Test code only.
#pragma once

#include <bzlib.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "parsing/readers/log_reader.h"

namespace velmora::testing {

struct GzipHeaderFields {
  std::string extra;    // FEXTRA payload when not empty
  std::string name;     // FNAME when not empty
  std::string comment;  // FCOMMENT when not empty
  bool header_crc = false;
};

// Raw deflate of `text`, no header or trailer; Z_FULL_FLUSH leaves the stream open on a byte
// boundary.
inline std::string RawDeflate(std::string_view text, int flush = Z_FINISH) {
  z_stream s{};
  deflateInit2(&s, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&s, text.size()) + 64, '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  s.avail_in = static_cast<uInt>(text.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, flush);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

// A complete gzip member: header with the fields asked for, raw deflate data, CRC-32 and size.
inline std::string Gzip(std::string_view text, const GzipHeaderFields& fields = {}) {
  std::string out = {'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, 3};
  uint8_t flags = 0;
  if (!fields.extra.empty()) {
    flags |= 0x04;
    out.push_back(static_cast<char>(fields.extra.size() & 0xFF));
    out.push_back(static_cast<char>(fields.extra.size() >> 8));
    out += fields.extra;
  }
  if (!fields.name.empty()) {
    flags |= 0x08;
    out += fields.name;
    out.push_back('\0');
  }
  if (!fields.comment.empty()) {
    flags |= 0x10;
    out += fields.comment;
    out.push_back('\0');
  }
  if (fields.header_crc) {
    flags |= 0x02;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(out.data()), out.size());
    out.push_back(static_cast<char>(crc & 0xFF));
    out.push_back(static_cast<char>((crc >> 8) & 0xFF));
  }
  out[3] = static_cast<char>(flags);
  out += RawDeflate(text);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), text.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((text.size() >> (8 * i)) & 0xFF));
  return out;
}

// A gzip member whose deflate data holds `first`, then, on the byte boundary a full flush leaves,
// a block of the reserved type 3 that no decoder accepts; `bad_block_at` gets that byte's offset.
inline std::string GzipWithBadBlockAfter(std::string_view first, size_t& bad_block_at) {
  std::string out =
      std::string{'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, 3} + RawDeflate(first, Z_FULL_FLUSH);
  bad_block_at = out.size();
  out += '\x07';  // last block, type 3
  out += std::string(24, '\0');
  return out;
}

// A bzip2 stream of `text` with blocks of block_size_100k * 100,000 bytes.
inline std::string Bzip2(std::string_view text, int block_size_100k = 9) {
  unsigned int size = static_cast<unsigned int>(text.size() + text.size() / 50 + 1024);
  std::string out(size, '\0');
  BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(text.data()),
                           static_cast<unsigned int>(text.size()), block_size_100k, 0, 0);
  out.resize(size);
  return out;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Everything GetChar hands out until -1, stopping after `cap` bytes so that a reader that never
// ends fails the comparison instead of hanging the test.
inline std::string ReadAll(LogReader& reader, size_t cap = size_t{64} << 20) {
  std::string out;
  for (int c = reader.GetChar(); c != -1 && out.size() <= cap; c = reader.GetChar()) {
    out.push_back(static_cast<char>(c));
  }
  return out;
}

// Text that compresses like a log: repeated lines with a counter, so no two lines are equal.
inline std::string SampleLogText(size_t lines) {
  std::string text;
  for (size_t i = 0; i < lines; ++i) {
    text += "10.0.0." + std::to_string(i % 250) +
            " - - [05/Dec/2002:09:37:" + std::to_string(10 + i % 50) + " +0000] \"GET /page" +
            std::to_string(i) + ".html HTTP/1.1\" 200 " + std::to_string(1000 + i) + "\n";
  }
  return text;
}

// Bytes that do not compress, from a fixed-seed generator, covering all 256 values.
inline std::string NoiseBytes(size_t size, uint32_t seed = 12345) {
  std::string out(size, '\0');
  for (char& c : out) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return out;
}

}  // namespace velmora::testing
