#include "parsing/readers/gzip_log_reader.h"

#include <isa-l/igzip_lib.h>

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

GzipLogReader::~GzipLogReader() = default;

bool GzipLogReader::Open(std::string_view path) {
  state_.reset();
  finished_ = false;
  raw_read_ = 0;
  header_length_ = 0;
  raw_ended_ = false;
  if (!file_.Open(std::string(path)).ok()) return false;
  size_t n = file_.Read(raw_);
  raw_read_ = n;
  std::optional<size_t> header = GzipHeaderLength(std::span<const uint8_t>(raw_.data(), n));
  if (!header) {
    file_.Close();
    return false;
  }
  header_length_ = *header;
  state_ = std::make_unique<inflate_state>();
  isal_inflate_init(state_.get());
  state_->crc_flag = IGZIP_DEFLATE;
  state_->next_in = raw_.data() + *header;
  state_->avail_in = static_cast<uint32_t>(n - *header);
  return true;
}

size_t GzipLogReader::ReadBlock(std::span<uint8_t> out) {
  if (finished_ || !state_ || out.empty()) return 0;
  inflate_state& state = *state_;
  const uint32_t capacity = static_cast<uint32_t>(std::min<size_t>(out.size(), UINT32_MAX));
  state.next_out = out.data();
  state.avail_out = capacity;
  // Loop until at least one byte came out: a deflate block may span several raw blocks.
  while (state.avail_out == capacity) {
    if (state.avail_in == 0 && !raw_ended_) {
      size_t n = file_.Read(raw_);
      raw_read_ += n;
      raw_ended_ = n == 0;  // the stream was cut short; what the decoder holds still comes out
      state.next_in = raw_.data();
      state.avail_in = static_cast<uint32_t>(n);
    }
    const uint32_t in_before = state.avail_in;
    const uint32_t bits_before = static_cast<uint32_t>(state.read_in_length);
    int rc = isal_inflate(&state);
    if (rc < 0 || state.block_state == ISAL_BLOCK_FINISH) {
      finished_ = true;  // only the first stream is read; a decoder error ends the file
      break;
    }
    if (state.avail_out == capacity && state.avail_in == in_before &&
        static_cast<uint32_t>(state.read_in_length) == bits_before) {
      finished_ = true;  // no progress at all: never spin on input the decoder will not take
      break;
    }
  }
  size_t produced = capacity - state.avail_out;
  state.next_out = nullptr;
  state.avail_out = 0;
  return produced;
}

uint32_t GzipLogReader::ProgressFraction() const {
  uint64_t size = file_.size();
  if (!state_ || size == 0 || raw_read_ <= header_length_) return 0;
  // The decoded share of the raw bytes read so far, scaled by the share of the file read.
  uint64_t consumed_plus_pending = raw_read_ - header_length_;
  uint64_t read_share = std::min<uint64_t>(raw_read_ * 1'000'000 / size, 1'000'000);
  uint64_t fraction =
      static_cast<uint64_t>(state_->total_out) * read_share / consumed_plus_pending / kNominalRatio;
  return static_cast<uint32_t>(std::min<uint64_t>(fraction, 1'000'000));
}

}  // namespace velmora
