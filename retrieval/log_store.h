// StoreLog: one retrieved log file into the workspace's logs/ folder, named by its own name or by
// the time of its first entry, in the workspace's compression (bzip2, gzip or none), asking
// before it replaces a stored file.
//
// The file is written in logs/.incoming/ and moved into logs/ only once complete, so that a
// crash or a full disk never leaves half a log that the next parse would take for a new one; a
// Retry after a failed write starts the whole file again. A source under 10 bytes is not stored
// (and so must not be removed by the caller).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/result.h"
#include "core/tick_time.h"
#include "parsing/formats/log_format_mode.h"
#include "platform/prompter.h"
#include "retrieval/log_conversion.h"

namespace velmora {

inline constexpr std::string_view kIncomingFolder = ".incoming";
inline constexpr size_t kFirstEntrySampleBytes = 16384;

// The files a store writes; tests put failures in.
class StoreFiles {
 public:
  virtual ~StoreFiles() = default;
  // Creates `path` empty, replacing a file there. The error's code is the errno.
  virtual Status Create(const std::string& path) = 0;
  virtual Status Write(std::span<const uint8_t> bytes) = 0;
  virtual Status Close() = 0;
  virtual Status Rename(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};
std::unique_ptr<StoreFiles> DiskStoreFiles();

// "The media is write protected", "There is not enough space on the disk" or "Unexpected error
// #%d" for the errno of a failed write.
std::string WriteErrorText(int error);

// The answer kept for every later overwrite question of one retrieval: 0 ask, 1 overwrite all,
// -1 keep all.
using YesToAll = int32_t;

struct StoreSettings {
  std::string logs_folder;
  StoreCompression compression = StoreCompression::kGzip;
  LogFormatMode format_mode = LogFormatMode::kAutodetect;
  std::string format_string;
};

struct StoreContext {
  StoreSettings settings;
  Prompter* prompter = nullptr;
  StoreFiles* files = nullptr;
  std::function<bool(std::string_view name)> is_parsed;   // listed in ParsedLogs
  std::function<void(const std::string& detail)> detail;  // "Writing raw data, %d bytes"
  std::function<Ticks()> now;                             // when no first entry is found
};

enum class StoreOutcome : uint8_t {
  kStored,
  kTooShort,  // under 10 bytes: nothing written
  kKept,      // an existing file was kept, or the user cancelled
  kFailed,
};

struct StoreResult {
  StoreOutcome outcome = StoreOutcome::kFailed;
  std::string stored_name;       // the name in logs/
  bool replaced_parsed = false;  // a replaced file had been parsed: the data should be removed
  std::string error;             // why it failed
};

StoreResult StoreLog(const StoreContext& context, std::string_view source_name,
                     std::span<const uint8_t> data, bool rename, YesToAll& yes_to_all);

}  // namespace velmora
