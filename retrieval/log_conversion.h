// Converting a log file between the three ways a workspace keeps logs: bzip2, gzip or plain.
// The source's kind comes from its first bytes, never its name. Output goes out in blocks of
// 65536 bytes (or in one write when nothing needs converting) to a writer that may fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/result.h"

namespace velmora {

// In the order of the workspace setting: 0 bzip2, 1 gzip, 2 none.
enum class StoreCompression : int32_t { kBzip2 = 0, kGzip = 1, kNone = 2 };

// gzip for 0x1F 0x8B; bzip2 for "BZh" with a digit as fifth byte; plain otherwise.
StoreCompression SourceCompression(std::span<const uint8_t> data);

// ".bz2", ".gz" or "".
std::string_view CompressionExtension(StoreCompression c);
// "BZip2", "GZip", "Uncompressed".
std::string_view CompressionName(StoreCompression c);

// Up to `limit` decoded bytes from the start of `data` (of kind `from`); fewer when the data end
// or are damaged.
std::string DecodedSample(std::span<const uint8_t> data, StoreCompression from, size_t limit);

// Receives a block of output; an error stops the conversion.
using BlockWriter = std::function<Status(std::span<const uint8_t> block)>;

// Writes `data` (of kind `from`) as kind `to`. gzip output is the ten header bytes 1F 8B 08 00
// 00 00 00 00 00 0B, raw deflate at level 9 (memory level 8, filtered, 15 window bits), then the
// CRC-32 and length of the plain data; bzip2 output uses 900k blocks. Damaged input fails.
Status ConvertLog(std::span<const uint8_t> data, StoreCompression from, StoreCompression to,
                  const BlockWriter& write);

}  // namespace velmora
