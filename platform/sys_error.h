// System error texts. A failed system call is shown to the user as the operation's message,
// then ". Error #", the errno in lower-case hexadecimal, ":" and the system's text for it.
#pragma once

#include <string>

namespace velmora {

// strerror(code) without trailing line breaks.
std::string SystemErrorText(int code);
// ". Error #<hex>:<text>", e.g. ". Error #b:Resource temporarily unavailable".
std::string SystemErrorSuffix(int code);

}  // namespace velmora
