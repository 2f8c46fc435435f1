#include "analysis/referrers/referrer_decode.h"

#include <algorithm>

#include "core/ascii.h"

namespace velmora {
namespace {

// A character that is not a hexadecimal digit counts as 0.
int HexValue(char c) { return std::max(HexDigitValue(c), 0); }

}  // namespace

std::string DecodeUrlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    size_t used = 1;
    if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
      used = 2;
    } else if (c == '%' && i + 2 < text.size()) {
      c = static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      used = 3;
    } else if (c == '+') {
      c = ' ';
    }
    if (c == '\0') break;
    out += c;
    i += used;
  }
  return out;
}

}  // namespace velmora
