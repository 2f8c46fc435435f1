#include "core/percent_decoding.h"

#include <cstdint>
#include <vector>

#include "core/ascii.h"

namespace velmora {
namespace {

bool IsEscapeAt(std::string_view text, size_t i) {
  return i + 2 < text.size() && text[i] == '%' && HexDigitValue(text[i + 1]) >= 0 &&
         HexDigitValue(text[i + 2]) >= 0;
}

// The length of the well-formed UTF-8 character at the start of `bytes` that a person may be
// shown, or 0.
size_t ShowableCharacter(const std::vector<uint8_t>& bytes, size_t at) {
  const uint8_t lead = bytes[at];
  size_t length = 0;
  uint32_t code = 0;
  if (lead < 0x80) {
    length = 1;
    code = lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((bytes[at + k] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (bytes[at + k] & 0x3F);
  }
  static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) return 0;
  return length;
}

}  // namespace

std::string DecodePercentForDisplay(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (!IsEscapeAt(text, i)) {
      // Most texts hold few escapes or none: copy up to the next '%' in one piece.
      const size_t next = text.find('%', i + 1);
      const size_t end = next == std::string_view::npos ? text.size() : next;
      out.append(text.substr(i, end - i));
      i = end;
      continue;
    }
    // The whole run of escapes, as bytes: a character's bytes are escaped one by one.
    const size_t run_start = i;
    std::vector<uint8_t> bytes;
    while (IsEscapeAt(text, i)) {
      bytes.push_back(
          static_cast<uint8_t>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2])));
      i += 3;
    }
    for (size_t at = 0; at < bytes.size();) {
      if (const size_t length = ShowableCharacter(bytes, at); length > 0) {
        out.append(reinterpret_cast<const char*>(bytes.data() + at), length);
        at += length;
      } else {
        out.append(text.substr(run_start + at * 3, 3));
        ++at;
      }
    }
  }
  return out;
}

}  // namespace velmora
