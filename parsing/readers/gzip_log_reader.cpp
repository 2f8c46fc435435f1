#include "parsing/readers/gzip_log_reader.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <string>

#include "platform/sys_error.h"

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

// Where a header scan stopped: a complete header of `length` bytes, bytes that are no gzip header,
// or a header whose fields run past the bytes given.
struct HeaderScan {
  enum class State : uint8_t { kComplete, kInvalid, kCutShort };
  State state;
  size_t length = 0;
};

constexpr HeaderScan kCutShort{HeaderScan::State::kCutShort};
constexpr HeaderScan kInvalid{HeaderScan::State::kInvalid};

// Skips a zero-terminated text starting at `at`; nullopt when no terminator is in `bytes`.
std::optional<size_t> SkipText(std::span<const uint8_t> bytes, size_t at) {
  for (size_t i = at; i < bytes.size(); ++i) {
    if (bytes[i] == 0) return i + 1;
  }
  return std::nullopt;
}

HeaderScan ScanHeader(std::span<const uint8_t> bytes) {
  // Each fixed byte is judged as soon as it is there, so a file cut inside the header is told
  // from one that never was gzip.
  const uint8_t expected[] = {0x1F, 0x8B, 8};
  for (size_t i = 0; i < std::size(expected); ++i) {
    if (i == bytes.size()) return kCutShort;
    if (bytes[i] != expected[i]) return kInvalid;
  }
  if (bytes.size() < kFixedHeaderSize) {
    return bytes.size() > 3 && (bytes[3] & kFlagsReserved) != 0 ? kInvalid : kCutShort;
  }
  const uint8_t flags = bytes[3];
  if ((flags & kFlagsReserved) != 0) return kInvalid;
  size_t at = kFixedHeaderSize;
  if ((flags & kFlagExtra) != 0) {
    if (bytes.size() - at < 2) return kCutShort;
    size_t extra = bytes[at] | (static_cast<size_t>(bytes[at + 1]) << 8);
    at += 2;
    if (bytes.size() - at < extra) return kCutShort;
    at += extra;
  }
  for (uint8_t text_flag : {kFlagName, kFlagComment}) {
    if ((flags & text_flag) == 0) continue;
    std::optional<size_t> next = SkipText(bytes, at);
    if (!next) return kCutShort;
    at = *next;
  }
  if ((flags & kFlagHeaderCrc) != 0) {
    if (bytes.size() - at < 2) return kCutShort;
    at += 2;
  }
  return {HeaderScan::State::kComplete, at};
}

std::string Truncated(uint64_t at) { return "archive truncated at byte " + std::to_string(at); }

}  // namespace

std::optional<size_t> GzipHeaderLength(std::span<const uint8_t> bytes) {
  const HeaderScan scan = ScanHeader(bytes);
  if (scan.state != HeaderScan::State::kComplete) return std::nullopt;
  return scan.length;
}

GzipLogReader::GzipLogReader() : LogReader(kBufferSize) {}

GzipLogReader::~GzipLogReader() = default;

bool GzipLogReader::Open(std::string_view path) {
  state_.reset();
  finished_ = false;
  stop_reason_.clear();
  raw_read_ = 0;
  header_length_ = 0;
  raw_ended_ = false;
  const Status opened = file_.Open(std::string(path));
  if (!opened.ok()) {
    SetFailure(opened.error().message);
    return false;
  }
  size_t n = file_.Read(raw_);
  raw_read_ = n;
  const HeaderScan header = ScanHeader(std::span<const uint8_t>(raw_.data(), n));
  if (header.state != HeaderScan::State::kComplete) {
    if (file_.read_error() != 0) {
      SetFailure(ReadErrorText());
    } else if (header.state == HeaderScan::State::kCutShort && n < raw_.size()) {
      SetFailure(Truncated(n));  // the whole file was read and the header is not over
    } else {
      SetFailure("not a gzip archive");
    }
    file_.Close();
    return false;
  }
  header_length_ = header.length;
  state_ = std::make_unique<inflate_state>();
  isal_inflate_init(state_.get());
  state_->crc_flag = IGZIP_DEFLATE;
  state_->next_in = raw_.data() + header.length;
  state_->avail_in = static_cast<uint32_t>(n - header.length);
  return true;
}

std::string GzipLogReader::ReadErrorText() const {
  return "read error: " + SystemErrorText(file_.read_error());
}

std::string GzipLogReader::DamagedText() const {
  // The decoder holds up to a few bytes it has taken in but not used; they count as not read.
  const uint64_t held = state_->avail_in + static_cast<uint64_t>(state_->read_in_length) / 8;
  return "damaged archive at byte " + std::to_string(raw_read_ - std::min(held, raw_read_));
}

size_t GzipLogReader::ReadBlock(std::span<uint8_t> out) {
  if (!state_ || out.empty()) return 0;
  if (finished_) return Stop();
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
    if (rc < 0) {
      finished_ = true;
      stop_reason_ = DamagedText();
      break;
    }
    if (state.block_state == ISAL_BLOCK_FINISH) {
      finished_ = true;  // only the first stream is read; what follows it is not looked at
      break;
    }
    if (state.avail_out == capacity && state.avail_in == in_before &&
        static_cast<uint32_t>(state.read_in_length) == bits_before) {
      // No progress at all: never spin on input the decoder will not take.
      finished_ = true;
      if (!raw_ended_ || state.avail_in != 0) {
        stop_reason_ = DamagedText();
      } else if (file_.read_error() != 0) {
        stop_reason_ = ReadErrorText();
      } else {
        stop_reason_ = Truncated(raw_read_);
      }
      break;
    }
  }
  size_t produced = capacity - state.avail_out;
  state.next_out = nullptr;
  state.avail_out = 0;
  // Without output the loop ended on the stream's end: report it now, not one call later.
  if (produced == 0) return Stop();
  return produced;
}

size_t GzipLogReader::Stop() {
  if (!stop_reason_.empty()) SetFailure(stop_reason_);
  return 0;
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
