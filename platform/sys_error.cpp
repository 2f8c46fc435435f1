#include "platform/sys_error.h"

#include <cstdio>
#include <cstring>

namespace velmora {
namespace {

// strerror_r comes in two flavours (GNU returns the text, XSI fills the buffer); overloads pick
// whichever the C library declares, and both keep strerror's shared buffer out of threaded code.
[[maybe_unused]] const char* PickText(const char* gnu_result, const char* /*buffer*/) {
  return gnu_result;
}
[[maybe_unused]] const char* PickText(int xsi_result, const char* buffer) {
  return xsi_result == 0 ? buffer : nullptr;
}

}  // namespace

std::string SystemErrorText(int code) {
  char buffer[256] = {};
  const char* text = PickText(strerror_r(code, buffer, sizeof buffer), buffer);
  std::string out = text != nullptr ? text : "";
  if (out.empty()) out = "Unknown error " + std::to_string(code);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string SystemErrorSuffix(int code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(code));
  return ". Error #" + std::string(hex) + ":" + SystemErrorText(code);
}

}  // namespace velmora
