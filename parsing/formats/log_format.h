// LogFormat: how the lines of one log file are read. Either W3C Extended, where the file names
// its own columns in "#Fields:" directives, or a custom format string in the pattern language of
// format_compiler.h (NCSA common and combined, IIS, tab-separated and similar layouts).
//
// The stored format string of a workspace holds a custom format or nothing; "W3C Extended" is the
// marker text shown for the other kind, never a format string itself.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace velmora {

inline constexpr std::string_view kW3cExtendedMarker = "W3C Extended";

class LogFormat {
 public:
  static LogFormat W3cExtended() { return LogFormat(true, {}); }
  static LogFormat Custom(std::string_view format_string) {
    return LogFormat(false, std::string(format_string));
  }

  bool is_w3c() const { return w3c_; }
  // The custom format string; empty for W3C Extended.
  const std::string& format_string() const { return format_string_; }
  // "W3C Extended" or the format string, as the parse log and the command line show it.
  std::string_view DisplayText() const { return w3c_ ? kW3cExtendedMarker : format_string_; }

  friend bool operator==(const LogFormat&, const LogFormat&) = default;

 private:
  LogFormat(bool w3c, std::string format_string)
      : w3c_(w3c), format_string_(std::move(format_string)) {}

  bool w3c_ = false;
  std::string format_string_;
};

}  // namespace velmora
