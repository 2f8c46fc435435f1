#include "parsing/readers/bzip2_log_reader.h"

#include <algorithm>
#include <climits>
#include <string>

namespace velmora {
namespace {

uint64_t Total(unsigned int lo32, unsigned int hi32) {
  return (static_cast<uint64_t>(hi32) << 32) | lo32;
}

}  // namespace

Bzip2LogReader::Bzip2LogReader() : LogReader(kBufferSize) {
  decoding_ = BZ2_bzDecompressInit(&stream_, /*verbosity=*/0, /*small=*/0) == BZ_OK;
}

Bzip2LogReader::~Bzip2LogReader() {
  if (decoding_) BZ2_bzDecompressEnd(&stream_);
}

bool Bzip2LogReader::Open(std::string_view path) {
  // A reader is opened once; a second Open would find the decoder mid-stream.
  if (file_.is_open() || raw_read_ != 0) return false;
  finished_ = false;
  return file_.Open(std::string(path)).ok();
}

size_t Bzip2LogReader::ReadBlock(std::span<uint8_t> out) {
  if (finished_ || !decoding_ || !file_.is_open() || out.empty()) return 0;
  const unsigned int capacity = static_cast<unsigned int>(std::min<size_t>(out.size(), UINT_MAX));
  stream_.next_out = reinterpret_cast<char*>(out.data());
  stream_.avail_out = capacity;
  while (stream_.avail_out == capacity) {
    if (stream_.avail_in == 0) {
      size_t n = file_.Read(raw_);
      raw_read_ += n;
      if (n == 0) {  // the stream was cut short
        finished_ = true;
        break;
      }
      stream_.next_in = reinterpret_cast<char*>(raw_.data());
      stream_.avail_in = static_cast<unsigned int>(n);
    }
    const unsigned int in_before = stream_.avail_in;
    int rc = BZ2_bzDecompress(&stream_);
    if (rc != BZ_OK) {
      finished_ = true;  // BZ_STREAM_END: only the first stream is read; anything else is an error
      break;
    }
    if (stream_.avail_out == capacity && stream_.avail_in == in_before) {
      finished_ = true;  // no progress at all: never spin on input the decoder will not take
      break;
    }
  }
  size_t produced = capacity - stream_.avail_out;
  stream_.next_out = nullptr;
  stream_.avail_out = 0;
  return produced;
}

uint32_t Bzip2LogReader::ProgressFraction() const {
  uint64_t size = file_.size();
  uint64_t consumed_plus_pending =
      Total(stream_.total_in_lo32, stream_.total_in_hi32) + stream_.avail_in;
  if (size == 0 || consumed_plus_pending == 0) return 0;
  uint64_t read_share = std::min<uint64_t>(raw_read_ * 1'000'000 / size, 1'000'000);
  uint64_t decoded = Total(stream_.total_out_lo32, stream_.total_out_hi32);
  uint64_t fraction = decoded * read_share / consumed_plus_pending / kNominalRatio;
  return static_cast<uint32_t>(std::min<uint64_t>(fraction, 1'000'000));
}

}  // namespace velmora
