// Bzip2LogReader: a log stored bzip2-compressed, decoded with libbzip2 in normal (not small)
// memory mode. The decompressor is set up when the reader is made.
//
// Only the first bzip2 stream is decoded: after its end, on a decoder error or on a truncated
// stream the reader reports the end, the last two with a failure ("damaged archive at byte N",
// "archive truncated at byte N"); a stream header the decoder rejects is "not a bzip2 archive".
// libbzip2 outputs a block only once it has read it whole, and a block may be far larger than one
// raw read, so ReadBlock keeps reading 64 KiB raw blocks until a byte comes out or the file is
// exhausted.
//
// Progress is estimated from a nominal decoded size of twenty times the compressed file.
#pragma once

#include <bzlib.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "parsing/readers/log_reader.h"
#include "platform/sequential_file.h"

namespace velmora {

class Bzip2LogReader final : public LogReader {
 public:
  static constexpr size_t kBufferSize = 4'096;
  static constexpr size_t kRawBlockSize = 65'536;
  static constexpr uint64_t kNominalRatio = 20;

  Bzip2LogReader();
  ~Bzip2LogReader() override;

  uint32_t ProgressFraction() const override;
  size_t ReadBlock(std::span<uint8_t> out) override;
  bool Open(std::string_view path) override;

 private:
  std::string DamagedText() const;
  // The 0 that ends the data, with the reason kept for it.
  size_t Stop();

  SequentialFile file_;
  bz_stream stream_{};
  bool decoding_ = false;    // BZ2_bzDecompressInit succeeded and its End is owed
  bool finished_ = false;    // stream end, decoder error or no more raw bytes
  std::string stop_reason_;  // why the stream stopped early; empty at a clean end
  uint64_t raw_read_ = 0;
  std::array<uint8_t, kRawBlockSize> raw_{};
};

}  // namespace velmora
