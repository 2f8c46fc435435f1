// Why a line does not match a custom format, in words, for a person looking at a rejected line:
// the first field or literal text of the format that the line does not fit. Matching is one pass
// without backtracking, so the part that stops it is found by matching ever longer beginnings of
// the format; this costs a few matches of the line and is meant for the lines a user asks about,
// never for every line of a run.
#pragma once

#include <string>
#include <string_view>

#include "parsing/formats/format_compiler.h"

namespace velmora {

// "" when the line matches; otherwise, for example, "the status (%c) does not fit" or "the text
// ' [' is not there", or that the line goes on after the format ends.
std::string MismatchReason(std::string_view line, const CompiledFormat& format);

}  // namespace velmora
