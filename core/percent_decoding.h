// Percent-encoded texts made readable: request paths and referrers are logged with non-ASCII
// characters as %XX escapes of their UTF-8 bytes ("/caf%C3%A9"), which a person reads better
// decoded ("/café"). Only what a person reads is decoded; stored texts stay as logged.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Decodes each run of %XX escapes whose bytes form whole UTF-8 characters that are neither
// control characters (U+0000..U+001F, U+007F..U+009F) nor overlong, surrogate or out-of-range
// forms. Every escape that does not is kept as written, and so is everything else (a '+' stays
// a '+'), so the result holds no invalid UTF-8 or control character that the escapes did not
// hold already as raw bytes.
std::string DecodePercentForDisplay(std::string_view text);

}  // namespace velmora
