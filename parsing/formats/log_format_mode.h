// LogFormatMode: how the format of each log file is found. The numbers are stored in the
// workspace settings file, so they never change.
#pragma once

#include <cstdint>

namespace velmora {

enum class LogFormatMode : int32_t {
  kW3cExtended = 0,
  kAutodetect = 1,
  kCustom = 2,
};

}  // namespace velmora
