#include "parsing/readers/bzip2_log_reader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

#include "platform/sys_error.h"

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
  stop_reason_.clear();
  if (!decoding_) {
    SetFailure("read error: " + SystemErrorText(ENOMEM));  // the decoder's tables did not fit
    return false;
  }
  const Status opened = file_.Open(std::string(path));
  if (!opened.ok()) SetFailure(opened.error().message);
  return opened.ok();
}

size_t Bzip2LogReader::ReadBlock(std::span<uint8_t> out) {
  if (!decoding_ || !file_.is_open() || out.empty()) return 0;
  if (finished_) return Stop();
  const unsigned int capacity = static_cast<unsigned int>(std::min<size_t>(out.size(), UINT_MAX));
  stream_.next_out = reinterpret_cast<char*>(out.data());
  stream_.avail_out = capacity;
  while (stream_.avail_out == capacity) {
    if (stream_.avail_in == 0) {
      size_t n = file_.Read(raw_);
      raw_read_ += n;
      if (n == 0) {  // the stream was cut short
        finished_ = true;
        stop_reason_ = file_.read_error() != 0
                           ? "read error: " + SystemErrorText(file_.read_error())
                           : "archive truncated at byte " + std::to_string(raw_read_);
        break;
      }
      stream_.next_in = reinterpret_cast<char*>(raw_.data());
      stream_.avail_in = static_cast<unsigned int>(n);
    }
    const unsigned int in_before = stream_.avail_in;
    int rc = BZ2_bzDecompress(&stream_);
    if (rc == BZ_STREAM_END) {
      finished_ = true;  // only the first stream is read; what follows it is not looked at
      break;
    }
    if (rc != BZ_OK) {
      finished_ = true;
      stop_reason_ = rc == BZ_DATA_ERROR_MAGIC ? std::string("not a bzip2 archive") : DamagedText();
      break;
    }
    if (stream_.avail_out == capacity && stream_.avail_in == in_before) {
      finished_ = true;  // no progress at all: never spin on input the decoder will not take
      stop_reason_ = DamagedText();
      break;
    }
  }
  size_t produced = capacity - stream_.avail_out;
  stream_.next_out = nullptr;
  stream_.avail_out = 0;
  // Without output the loop ended on the stream's end: report it now, not one call later.
  if (produced == 0) return Stop();
  return produced;
}

std::string Bzip2LogReader::DamagedText() const {
  return "damaged archive at byte " +
         std::to_string(Total(stream_.total_in_lo32, stream_.total_in_hi32));
}

size_t Bzip2LogReader::Stop() {
  if (!stop_reason_.empty()) SetFailure(stop_reason_);
  return 0;
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
