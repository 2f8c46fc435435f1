// ParseW3C: reads one W3C Extended log file. The file describes itself: "#Fields:" directives
// name the columns of the data lines that follow (a later directive replaces the columns), and
// "#Date:" gives the date and time used when a line has no date or time column. Data lines before
// any "#Fields:" are ignored. Column values are taken as written; nothing is validated.
//
// A data line that has neither its own date (or time) nor a "#Date:" default abandons the file:
// the error is logged, nothing is added to the run totals, and false is returned so that the file
// is read again on the next run. Records handed on before that point stay with the analysis.
#pragma once

#include "parsing/lines/parse_sink.h"
#include "parsing/readers/log_reader.h"
#include "parsing/records/record_completion.h"

namespace velmora {

// More consecutive empty lines than this end the file (a file padded with zero bytes).
inline constexpr int kW3cMaxEmptyLines = 1024;

// True when the file was read to its end, false when it was abandoned.
bool ParseW3C(LogReader& reader, const ParseOptions& options, ParseSink& sink);

}  // namespace velmora
