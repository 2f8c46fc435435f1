// The time of a log's first entry, read from the decoded start of the file, to name a stored
// log after it. The time is the one written in the log: no time zone is applied.
#pragma once

#include <optional>
#include <string_view>

#include "core/tick_time.h"
#include "parsing/formats/log_format_mode.h"

namespace velmora {

// W3C Extended: the date and time of the first data line (its own columns or the "#Date:"
// defaults); custom: the first line the format string matches; autodetect: the detected format
// (the stored format string first, as a parse run does) searched the same way.
std::optional<CalendarTime> FirstEntryTime(std::string_view sample, LogFormatMode mode,
                                           std::string_view format_string);

}  // namespace velmora
