#include "parsing/gzip_log_reader.h"

#include <algorithm>
#include <climits>
#include <string>

namespace velmora {
namespace {

// Gzip header (RFC 1952), all little-endian:
//   0  ID1 0x1F, ID2 0x8B      3  FLG             8  XFL
//   2  CM (8 = deflate)        4  MTIME (4 bytes) 9  OS
// then, when their flags are set and in this order: FEXTRA (4) a 2-byte length and that many
// bytes, FNAME (8) and FCOMMENT (16) zero-terminated texts, FHCRC (2) a 2-byte header CRC.
constexpr uint8_t kFlagHeaderCrc = 0x02;
constexpr uint8_t kFlagExtra = 0x04;
constexpr uint8_t kFlagName = 0x08;
constexpr uint8_t kFlagComment = 0x10;
constexpr uint8_t kFlagsReserved = 0xE0;
constexpr size_t kFixedHeaderSize = 10;
constexpr int kRawDeflateWindowBits = -15;

// Skips a zero-terminated text starting at `at`; nullopt when no terminator is in `bytes`.
std::optional<size_t> SkipText(std::span<const uint8_t> bytes, size_t at) {
  for (size_t i = at; i < bytes.size(); ++i) {
    if (bytes[i] == 0) return i + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<size_t> GzipHeaderLength(std::span<const uint8_t> bytes) {
  if (bytes.size() < kFixedHeaderSize) return std::nullopt;
  if (bytes[0] != 0x1F || bytes[1] != 0x8B || bytes[2] != 8) return std::nullopt;
  const uint8_t flags = bytes[3];
  if ((flags & kFlagsReserved) != 0) return std::nullopt;
  size_t at = kFixedHeaderSize;
  if ((flags & kFlagExtra) != 0) {
    if (bytes.size() - at < 2) return std::nullopt;
    size_t extra = bytes[at] | (static_cast<size_t>(bytes[at + 1]) << 8);
    at += 2;
    if (bytes.size() - at < extra) return std::nullopt;
    at += extra;
  }
  for (uint8_t text_flag : {kFlagName, kFlagComment}) {
    if ((flags & text_flag) == 0) continue;
    std::optional<size_t> next = SkipText(bytes, at);
    if (!next) return std::nullopt;
    at = *next;
  }
  if ((flags & kFlagHeaderCrc) != 0) {
    if (bytes.size() - at < 2) return std::nullopt;
    at += 2;
  }
  return at;
}

GzipLogReader::GzipLogReader() : LogReader(kBufferSize) {}

GzipLogReader::~GzipLogReader() { EndInflate(); }

void GzipLogReader::EndInflate() {
  if (inflating_) inflateEnd(&stream_);
  inflating_ = false;
  stream_ = z_stream{};
}

bool GzipLogReader::Open(std::string_view path) {
  EndInflate();
  finished_ = false;
  raw_read_ = 0;
  if (!file_.Open(std::string(path)).ok()) return false;
  size_t n = file_.Read(raw_);
  raw_read_ = n;
  std::optional<size_t> header = GzipHeaderLength(std::span<const uint8_t>(raw_.data(), n));
  if (!header || inflateInit2(&stream_, kRawDeflateWindowBits) != Z_OK) {
    stream_ = z_stream{};
    file_.Close();
    return false;
  }
  inflating_ = true;
  stream_.next_in = raw_.data() + *header;
  stream_.avail_in = static_cast<uInt>(n - *header);
  return true;
}

size_t GzipLogReader::ReadBlock(std::span<uint8_t> out) {
  if (finished_ || !inflating_ || out.empty()) return 0;
  const uInt capacity = static_cast<uInt>(std::min<size_t>(out.size(), UINT_MAX));
  stream_.next_out = out.data();
  stream_.avail_out = capacity;
  // Loop until at least one byte came out: a deflate block may span several raw blocks.
  while (stream_.avail_out == capacity) {
    if (stream_.avail_in == 0) {
      size_t n = file_.Read(raw_);
      raw_read_ += n;
      if (n == 0) {  // the stream was cut short
        finished_ = true;
        break;
      }
      stream_.next_in = raw_.data();
      stream_.avail_in = static_cast<uInt>(n);
    }
    const uInt in_before = stream_.avail_in;
    int rc = inflate(&stream_, Z_PARTIAL_FLUSH);
    if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR)) {
      finished_ = true;  // only the first stream is read; a decoder error ends the file
      break;
    }
    if (stream_.avail_out == capacity && stream_.avail_in == in_before) {
      finished_ = true;  // no progress at all: never spin on input zlib will not take
      break;
    }
  }
  size_t produced = capacity - stream_.avail_out;
  stream_.next_out = nullptr;
  stream_.avail_out = 0;
  return produced;
}

uint32_t GzipLogReader::ProgressFraction() const {
  uint64_t size = file_.size();
  uint64_t consumed_plus_pending = static_cast<uint64_t>(stream_.total_in) + stream_.avail_in;
  if (size == 0 || consumed_plus_pending == 0) return 0;
  uint64_t read_share = std::min<uint64_t>(raw_read_ * 1'000'000 / size, 1'000'000);
  uint64_t fraction =
      static_cast<uint64_t>(stream_.total_out) * read_share / consumed_plus_pending / kNominalRatio;
  return static_cast<uint32_t>(std::min<uint64_t>(fraction, 1'000'000));
}

}  // namespace velmora
