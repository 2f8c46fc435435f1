#include "parsing/readers/plain_log_reader.h"

#include <algorithm>
#include <string>

#include "platform/sys_error.h"

namespace velmora {

uint32_t PlainLogReader::ProgressFraction() const {
  uint64_t size = file_.size();
  if (size == 0) return 0;
  // A file that grew while being read would pass its opening size; the fraction stays a fraction.
  return static_cast<uint32_t>(std::min<uint64_t>(bytes_read_ * 1'000'000 / size, 1'000'000));
}

size_t PlainLogReader::ReadBlock(std::span<uint8_t> out) {
  size_t n = file_.Read(out);
  bytes_read_ += n;
  if (n == 0 && file_.read_error() != 0) {
    SetFailure("read error: " + SystemErrorText(file_.read_error()));
  }
  return n;
}

bool PlainLogReader::Open(std::string_view path) {
  bytes_read_ = 0;
  const Status opened = file_.Open(std::string(path));
  if (!opened.ok()) SetFailure(opened.error().message);
  return opened.ok();
}

}  // namespace velmora
