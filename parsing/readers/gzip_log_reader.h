// GzipLogReader: a log stored gzip-compressed. Open checks and skips the gzip header itself and
// decodes the raw deflate stream behind it; the trailer (CRC and size) is never checked.
//
// Decoding uses ISA-L's inflate rather than zlib's: it decodes log text fast enough that a
// compressed log parses about as fast as a plain one.
//
// Only the first deflate stream is decoded: after its end, on a decoder error or on a truncated
// stream the reader reports the end, the last two with a failure ("damaged archive at byte N",
// "archive truncated at byte N"). A file without the gzip magic and method, or with reserved
// flags, is "not a gzip archive"; one that ends inside its header is truncated. Raw bytes come in
// 64 KiB blocks kept inside the reader and decode into the 64 KiB buffer, so reading allocates
// nothing per line. ISA-L decodes straight into an output this large; into a smaller one it
// stages the text in its own state and drops what is staged when it finds damage, so the intact
// text before the damage would not all come out.
//
// Progress is estimated from a nominal decoded size of fifteen times the compressed file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "parsing/readers/log_reader.h"
#include "platform/sequential_file.h"

struct inflate_state;

namespace velmora {

// Length of the gzip header at the start of `bytes`, or nullopt when the bytes do not start with
// a valid one (bad magic, a method other than deflate, reserved flags, or optional fields that run
// past the bytes given). Optional fields are skipped in order: extra, name, comment, header CRC.
std::optional<size_t> GzipHeaderLength(std::span<const uint8_t> bytes);

class GzipLogReader final : public LogReader {
 public:
  static constexpr size_t kBufferSize = 65'536;
  static constexpr size_t kRawBlockSize = 65'536;
  static constexpr uint64_t kNominalRatio = 15;

  GzipLogReader();
  ~GzipLogReader() override;

  uint32_t ProgressFraction() const override;
  size_t ReadBlock(std::span<uint8_t> out) override;
  // Fails for a file that cannot be opened and for a bad header in its first 64 KiB.
  bool Open(std::string_view path) override;

 private:
  std::string ReadErrorText() const;
  std::string DamagedText() const;
  // The 0 that ends the data, with the reason kept for it.
  size_t Stop();

  SequentialFile file_;
  std::unique_ptr<inflate_state> state_;  // set while a stream is open (about 60 KiB of tables)
  bool finished_ = false;                 // stream end, decoder error or no more raw bytes
  std::string stop_reason_;               // why the stream stopped early; empty at a clean end
  uint64_t raw_read_ = 0;
  uint64_t header_length_ = 0;
  bool raw_ended_ = false;  // the file has no more raw bytes
  std::array<uint8_t, kRawBlockSize> raw_{};
};

}  // namespace velmora
