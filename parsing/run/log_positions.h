// LogPositions: how far each parsed log file was read, so that a log that grows after it was
// parsed has only its new lines read by the next run, and a file replaced by another under the
// same name is noticed. Kept in database/ beside the tables ("LogPositions"), so that the undo
// copy of a run covers it; a workspace without the file (made before it existed) reads as having
// no positions, and its parsed files are never read again, as before.
//
// The file is text, one line a log: consumed, size, head length and head CRC in decimal, then the
// name, tab-separated. Names holding a tab or a line end are not kept. Lines that do not read
// are skipped: the file is as hostile as any other input.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace velmora {

struct LogPosition {
  uint64_t consumed = 0;     // bytes of the content (decoded) read, up to a line's end
  uint64_t size = 0;         // the stored file's size when it was read
  uint32_t head_length = 0;  // how many first bytes of the stored file head_crc covers
  uint32_t head_crc = 0;
};

// The fingerprint of a stored file's first bytes (up to 4 KiB); nullopt when it cannot be read.
struct FileHead {
  uint32_t length = 0;
  uint32_t crc = 0;
};
std::optional<FileHead> ReadFileHead(const std::string& path, uint32_t length = 4096);

class LogPositions {
 public:
  static LogPositions Load(const std::string& path);
  // Through a temporary file renamed over the old one.
  Status Save(const std::string& path) const;

  const LogPosition* Find(std::string_view name) const;
  // Whether the stored file `name` in `folder` holds more than was read of it: its size changed
  // since, or it is plain and ends with a line that had no line end yet. False for a file never
  // read, and for one that cannot be examined.
  bool HasMoreToRead(const std::string& folder, std::string_view name) const;
  void Set(std::string_view name, const LogPosition& position);
  bool empty() const { return entries_.empty(); }

 private:
  std::map<std::string, LogPosition, std::less<>> entries_;
};

}  // namespace velmora
