#include "retrieval/log_conversion.h"

#include <bzlib.h>
#include <zlib.h>

#include <array>
#include <memory>
#include <vector>

#include "parsing/readers/gzip_log_reader.h"

namespace velmora {
namespace {

constexpr size_t kBlock = 65536;

Status Damaged(std::string_view what) {
  return Error{0, "the source is not a valid " + std::string(what) + " file"};
}

// Calls `take` with each piece of plain text decoded from `data`.
Status Decode(std::span<const uint8_t> data, StoreCompression from,
              const std::function<Status(std::span<const uint8_t>)>& take,
              size_t limit = SIZE_MAX) {
  std::vector<uint8_t> out(kBlock);
  size_t produced = 0;
  if (from == StoreCompression::kNone) {
    for (size_t at = 0; at < data.size() && produced < limit; at += kBlock) {
      const size_t n = std::min({kBlock, data.size() - at, limit - produced});
      if (Status s = take(data.subspan(at, n)); !s.ok()) return s;
      produced += n;
    }
    return {};
  }
  if (from == StoreCompression::kGzip) {
    // Member after member, as gzip itself reads concatenated files.
    size_t at = 0;
    while (at < data.size() && produced < limit) {
      const std::optional<size_t> header = GzipHeaderLength(data.subspan(at));
      if (!header) return at == 0 ? Damaged("gzip") : Status{};  // trailing garbage ends it
      z_stream z{};
      if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return Damaged("gzip");
      z.next_in = const_cast<Bytef*>(data.data() + at + *header);
      z.avail_in = static_cast<uInt>(std::min<size_t>(data.size() - at - *header, UINT32_MAX));
      int rc = Z_OK;
      while (rc == Z_OK && produced < limit) {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        const size_t n = out.size() - z.avail_out;
        if (rc != Z_OK && rc != Z_STREAM_END) {
          inflateEnd(&z);
          return Damaged("gzip");
        }
        if (n > 0) {
          if (Status s = take(std::span(out.data(), std::min(n, limit - produced))); !s.ok()) {
            inflateEnd(&z);
            return s;
          }
          produced += n;
        }
        if (rc == Z_OK && n == 0 && z.avail_in == 0) {
          inflateEnd(&z);
          return produced >= limit ? Status{} : Damaged("gzip");  // truncated
        }
      }
      const size_t used = static_cast<size_t>(z.next_in - (data.data() + at + *header));
      inflateEnd(&z);
      at += *header + used + 8;  // the member's CRC and length
    }
    return {};
  }
  size_t at = 0;
  while (at < data.size() && produced < limit) {
    bz_stream b{};
    if (BZ2_bzDecompressInit(&b, 0, 0) != BZ_OK) return Damaged("bzip2");
    b.next_in = const_cast<char*>(reinterpret_cast<const char*>(data.data() + at));
    b.avail_in = static_cast<unsigned>(std::min<size_t>(data.size() - at, UINT32_MAX));
    int rc = BZ_OK;
    while (rc == BZ_OK && produced < limit) {
      b.next_out = reinterpret_cast<char*>(out.data());
      b.avail_out = static_cast<unsigned>(out.size());
      rc = BZ2_bzDecompress(&b);
      const size_t n = out.size() - b.avail_out;
      if (rc != BZ_OK && rc != BZ_STREAM_END) {
        BZ2_bzDecompressEnd(&b);
        return at == 0 && produced == 0 ? Damaged("bzip2") : Status{};
      }
      if (n > 0) {
        if (Status s = take(std::span(out.data(), std::min(n, limit - produced))); !s.ok()) {
          BZ2_bzDecompressEnd(&b);
          return s;
        }
        produced += n;
      }
      if (rc == BZ_OK && n == 0 && b.avail_in == 0) {
        BZ2_bzDecompressEnd(&b);
        return produced >= limit ? Status{} : Damaged("bzip2");
      }
    }
    const size_t used =
        static_cast<size_t>(reinterpret_cast<const uint8_t*>(b.next_in) - (data.data() + at));
    BZ2_bzDecompressEnd(&b);
    at += used;
    if (at < data.size() && SourceCompression(data.subspan(at)) != StoreCompression::kBzip2) break;
  }
  return {};
}

class GzipEncoder {
 public:
  explicit GzipEncoder(const BlockWriter& write) : write_(write) {
    deflateInit2(&z_, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_FILTERED);
  }
  ~GzipEncoder() { deflateEnd(&z_); }
  Status Begin() {
    static constexpr std::array<uint8_t, 10> kHeader = {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 11};
    return write_(kHeader);
  }
  Status Take(std::span<const uint8_t> plain) {
    crc_ = crc32(crc_, plain.data(), static_cast<uInt>(plain.size()));
    length_ += plain.size();
    return Run(plain, Z_NO_FLUSH);
  }
  Status End() {
    if (Status s = Run({}, Z_FINISH); !s.ok()) return s;
    std::array<uint8_t, 8> trailer{};
    for (int i = 0; i < 4; ++i) {
      trailer[static_cast<size_t>(i)] = static_cast<uint8_t>(crc_ >> (8 * i));
      trailer[static_cast<size_t>(4 + i)] = static_cast<uint8_t>(length_ >> (8 * i));
    }
    return write_(trailer);
  }

 private:
  Status Run(std::span<const uint8_t> in, int flush) {
    z_.next_in = const_cast<Bytef*>(in.data());
    z_.avail_in = static_cast<uInt>(in.size());
    int rc = Z_OK;
    do {
      z_.next_out = out_.data();
      z_.avail_out = static_cast<uInt>(out_.size());
      rc = deflate(&z_, flush);
      if (rc == Z_STREAM_ERROR) return Error{0, "gzip compression failed"};
      const size_t n = out_.size() - z_.avail_out;
      if (n > 0) {
        if (Status s = write_(std::span(out_.data(), n)); !s.ok()) return s;
      }
    } while (z_.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    return {};
  }

  const BlockWriter& write_;
  z_stream z_{};
  std::vector<uint8_t> out_ = std::vector<uint8_t>(kBlock);
  uLong crc_ = crc32(0, nullptr, 0);
  uint64_t length_ = 0;
};

class Bzip2Encoder {
 public:
  explicit Bzip2Encoder(const BlockWriter& write) : write_(write) {
    BZ2_bzCompressInit(&b_, 9, 0, 0);
  }
  ~Bzip2Encoder() { BZ2_bzCompressEnd(&b_); }
  Status Take(std::span<const uint8_t> plain) { return Run(plain, BZ_RUN); }
  Status End() { return Run({}, BZ_FINISH); }

 private:
  Status Run(std::span<const uint8_t> in, int action) {
    b_.next_in = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
    b_.avail_in = static_cast<unsigned>(in.size());
    int rc = BZ_RUN_OK;
    do {
      b_.next_out = reinterpret_cast<char*>(out_.data());
      b_.avail_out = static_cast<unsigned>(out_.size());
      rc = BZ2_bzCompress(&b_, action);
      if (rc < 0) return Error{0, "bzip2 compression failed"};
      const size_t n = out_.size() - b_.avail_out;
      if (n > 0) {
        if (Status s = write_(std::span(out_.data(), n)); !s.ok()) return s;
      }
    } while (action == BZ_FINISH ? rc != BZ_STREAM_END : b_.avail_in > 0);
    return {};
  }

  const BlockWriter& write_;
  bz_stream b_{};
  std::vector<uint8_t> out_ = std::vector<uint8_t>(kBlock);
};

}  // namespace

StoreCompression SourceCompression(std::span<const uint8_t> d) {
  if (d.size() >= 2 && d[0] == 0x1F && d[1] == 0x8B) return StoreCompression::kGzip;
  if (d.size() >= 5 && d[0] == 'B' && d[1] == 'Z' && d[2] == 'h' && d[4] >= '0' && d[4] <= '9') {
    return StoreCompression::kBzip2;
  }
  return StoreCompression::kNone;
}

std::string_view CompressionExtension(StoreCompression c) {
  return c == StoreCompression::kBzip2 ? ".bz2" : (c == StoreCompression::kGzip ? ".gz" : "");
}

std::string_view CompressionName(StoreCompression c) {
  return c == StoreCompression::kBzip2 ? "BZip2"
                                       : (c == StoreCompression::kGzip ? "GZip" : "Uncompressed");
}

std::string DecodedSample(std::span<const uint8_t> data, StoreCompression from, size_t limit) {
  std::string sample;
  (void)Decode(
      data, from,
      [&](std::span<const uint8_t> piece) {
        sample.append(reinterpret_cast<const char*>(piece.data()), piece.size());
        return Status{};
      },
      limit);
  if (sample.size() > limit) sample.resize(limit);
  return sample;
}

Status ConvertLog(std::span<const uint8_t> data, StoreCompression from, StoreCompression to,
                  const BlockWriter& write) {
  if (from == to) return write(data);
  if (to == StoreCompression::kNone) return Decode(data, from, write);
  if (to == StoreCompression::kGzip) {
    GzipEncoder encoder(write);
    if (Status s = encoder.Begin(); !s.ok()) return s;
    if (Status s = Decode(data, from, [&](std::span<const uint8_t> p) { return encoder.Take(p); });
        !s.ok()) {
      return s;
    }
    return encoder.End();
  }
  Bzip2Encoder encoder(write);
  if (Status s = Decode(data, from, [&](std::span<const uint8_t> p) { return encoder.Take(p); });
      !s.ok()) {
    return s;
  }
  return encoder.End();
}

}  // namespace velmora
