// The HTML of an exported page: the fixed header with its style rules, one body per report
// (the chart picture, then the table laid out in side-by-side blocks) and the footer.
//
// Every text of a report can come from a log (paths, referrers, user agents, search phrases),
// so every one is escaped for where it goes: element text, attribute value or link address.
// Only http, https and ftp addresses become links; nothing in a text can open a tag, end an
// attribute or start a script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/tick_time.h"
#include "reports/frame/report_model.h"

namespace velmora {

// Element text: & < > and quotes as entities, blanks as &nbsp; (the arrow " -> " of a visitor
// path keeps its blanks so that a long path can break there).
std::string HtmlText(std::string_view text);
// An attribute value between double quotes.
std::string HtmlAttribute(std::string_view text);
// Whether `text` starts with http://, https:// or ftp:// (ignoring case).
bool IsLinkAddress(std::string_view text);
// What a cell shows for `text`: the escaped text; a link for an address; a text over 50
// characters shortened to its first 20 and last 27 characters around "...", with the whole
// text as its tooltip.
std::string CellHtml(std::string_view text);

struct PageHead {
  std::string server_names;  // the workspace's "Server name(s):"
  std::string title;         // the report title, or "All Reports"
  Ticks report_day = 0;      // "Today" of the reports
};
std::string PageHeader(const PageHead& head);
std::string PageFooter();

struct BodyLayout {
  std::string files_prefix;          // "<page>.files/", where the icons and charts lie
  std::optional<std::string> chart;  // the chart picture's file name inside it, if any
  int table_width = 768;             // pixels, for a report with a wide column
  std::optional<int32_t> limit;      // rows written; 0 or none: all
};
std::string ReportBody(const ReportModel& model, const BodyLayout& layout);

}  // namespace velmora
