#include "analysis/referrers/referrer_decode.h"

namespace velmora {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

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
