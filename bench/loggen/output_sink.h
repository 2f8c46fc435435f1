// Where the generated log goes: a file or standard output, written plain, as a gzip member
// (zlib's deflate with a gzip wrapper) or as a bzip2 stream. A sink takes large blocks. After a
// failed call the sink is spent: the caller reports the error and stops. Finish() must be called
// to complete a compressed stream; a sink destroyed without it leaves a truncated file behind.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "core/result.h"

namespace velmora::loggen {

enum class Compression : uint8_t { kNone, kGzip, kBzip2 };

std::optional<Compression> ParseCompression(std::string_view name);
// gzip for a name ending in ".gz", bzip2 for ".bz2", none otherwise.
Compression CompressionForName(std::string_view path);

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual Status Write(std::string_view bytes) = 0;
  // Flushes the compressor and closes the file (standard output is flushed, not closed).
  virtual Status Finish() = 0;
};

// Opens `path` for writing, truncating it; "-" is standard output.
Result<std::unique_ptr<OutputSink>> OpenOutput(std::string_view path, Compression compression);

}  // namespace velmora::loggen
