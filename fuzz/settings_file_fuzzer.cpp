// The workspace settings file decoder over damaged files. What it accepts must encode again and
// decode to the same file bytes' settings (a round trip that loses nothing).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "workspace/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto decoded = velmora::DecodeWorkspaceFile(std::span<const uint8_t>(data, size));
  if (!decoded.ok()) return 0;
  const std::string again = velmora::EncodeWorkspaceFile(decoded.value(), 7);
  const auto bytes =
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(again.data()), again.size());
  const auto round = velmora::DecodeWorkspaceFile(bytes);
  if (!round.ok()) std::abort();  // a file we wrote ourselves must read back
  if (velmora::EncodeWorkspaceFile(round.value(), 7) != again) std::abort();
  return 0;
}
