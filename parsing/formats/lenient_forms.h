// The forms an NCSA-style format also takes a line in when the line fails the format itself:
// real logs hold a few requests that the layout of the rest does not describe. An HTTP/0.9
// request has no protocol ("GET /ksc.html"), a broken one is a single word ("-", bytes of a TLS
// handshake), and a user name may hold blanks ("John Begood"). The parser tries these forms only
// on lines that fail, so a file of sound lines costs nothing more; detection does not use them.
#pragma once

#include <string_view>
#include <vector>

#include "parsing/formats/format_compiler.h"

namespace velmora {

// The lenient forms of `format`, most alike first; none when the format has none of the parts
// they relax (a quoted request with its protocol, a user name before a bracketed time).
std::vector<CompiledFormat> LenientForms(std::string_view format);

// A comment line ("#" first) or a line of blanks alone: logs carry them between their requests,
// and neither parser nor detection counts them against a format.
bool IsCommentOrBlankLine(std::string_view line);

}  // namespace velmora
