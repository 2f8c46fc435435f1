// Reports as JSON data, the same for the command line and the web UI's API.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "reports/frame/report_model.h"

namespace velmora {

// A day as "YYYY-MM-DD".
std::string DayText(Ticks day);

// "#rrggbb" in upper-case hex.
std::string ColourText(Rgb colour);

// One report: {"id", "title", "reference_day": "YYYY-MM-DD", "columns": [{"caption", "align",
// "wide"}], "rows": [{"cells", "values", "colour", "bold", "images"}], "sort_column", "chart":
// null or {"kind", "title", "items": [{"label", "value", "colour", "x"}]}, "generation_ms",
// "cache"}. Values are numbers, or null for a text cell; "cache" says whether a cached result
// was built, reused or not used. Rows of a report whose cells can be acted on also carry
// "actions": per cell, the actions of cell_actions.h. The keys of each object stand in sorted
// order and the text is one line, as nlohmann's dump writes a document; it is written straight
// into the text because a large list has tens of thousands of rows, and building the document
// first took most of the command's time.
std::string ReportJsonText(const ReportModel& model);

// The report tree: [{"title", "id" (null for a group), "level", "icon", "engine_filter",
// "kind": "group" | "report" | "list", "cache" (null unless a list)}].
nlohmann::json ReportTreeJson();

}  // namespace velmora
