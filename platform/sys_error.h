// System error texts. The table engine shows a failed system call as the operation's message,
// then ". Error #", the errno in lower-case hexadecimal, ":" and the system's text for it, a form
// its messages keep; every other message says the system's text in words after ": ".
#pragma once

#include <string>

namespace velmora {

// strerror(code) without trailing line breaks.
std::string SystemErrorText(int code);
// ". Error #<hex>:<text>", e.g. ". Error #b:Resource temporarily unavailable".
std::string SystemErrorSuffix(int code);

}  // namespace velmora
