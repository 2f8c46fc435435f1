#include "reports/export/html_page.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace velmora {
namespace {

constexpr size_t kLongText = 50;
constexpr size_t kHeadChars = 20;
constexpr size_t kTailChars = 27;
constexpr std::string_view kProductSite = "https://velmora.dev/";

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t Characters(std::string_view text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); }));
}

// The byte offset of character `n` of `text` (its size when there are fewer).
size_t OffsetOfCharacter(std::string_view text, size_t n) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsContinuation(text[i])) {
      if (seen == n) return i;
      ++seen;
    }
  }
  return text.size();
}

std::string Escaped(std::string_view text, bool blanks_as_nbsp) {
  std::string out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (blanks_as_nbsp && text.substr(i, 4) == " -> ") {
      out += " -&gt; ";
      i += 3;
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case ' ':
        out += blanks_as_nbsp ? "&nbsp;" : " ";
        break;
      default:
        // Control characters have no place in a page; they show as '?'.
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
  }
  return out;
}

std::string ColourText(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red, c.green, c.blue);
  return text;
}

Rgb Darker(Rgb c) {
  auto down = [](uint8_t v) { return static_cast<uint8_t>(v > 8 ? v - 8 : 0); };
  return {down(c.red), down(c.green), down(c.blue)};
}

std::string_view WeekdayName(int day) {
  constexpr std::array<std::string_view, 7> names = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                     "Thursday", "Friday", "Saturday"};
  return names[static_cast<size_t>(day % 7)];
}

// A relative file reference as a URL: blanks and everything else outside the plain characters
// are percent-encoded, so that a page named "All Reports" refers to its pictures correctly.
std::string UrlPath(std::string_view path) {
  std::string out;
  for (char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '/' || c == '.' || c == '-' || c == '_' || c == '~') {
      out += c;
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      out += hex;
    }
  }
  return out;
}

}  // namespace

std::string HtmlText(std::string_view text) { return Escaped(text, true); }

std::string HtmlAttribute(std::string_view text) { return Escaped(text, false); }

bool IsLinkAddress(std::string_view text) {
  for (std::string_view scheme : {"http://", "https://", "ftp://"}) {
    if (text.size() >= scheme.size() &&
        std::equal(scheme.begin(), scheme.end(), text.begin(), [](char a, char b) {
          return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
        })) {
      return true;
    }
  }
  return false;
}

std::string CellHtml(std::string_view text) {
  const bool is_long = Characters(text) > kLongText;
  std::string shown;
  if (is_long) {
    const size_t head = OffsetOfCharacter(text, kHeadChars);
    const size_t tail = OffsetOfCharacter(text, Characters(text) - kTailChars);
    shown = HtmlText(text.substr(0, head)) + "..." + HtmlText(text.substr(tail));
  } else {
    shown = HtmlText(text);
  }
  const std::string title = is_long ? " TITLE=\"" + HtmlAttribute(text) + "\"" : "";
  if (IsLinkAddress(text)) {
    return "<A HREF=\"" + HtmlAttribute(text) + "\"" + title + " rel=\"noopener noreferrer\">" +
           shown + "</A>";
  }
  if (is_long) return "<A HREF=\"#\"" + title + ">" + shown + "</A>";
  return shown;
}

std::string PageHeader(const PageHead& head) {
  const CalendarTime day = TicksToCalendar(head.report_day);
  const std::string servers = HtmlAttribute(head.server_names);
  char generated[128];
  std::snprintf(generated, sizeof generated, "%s, %s %d, %d",
                std::string(WeekdayName(day.day_of_week)).c_str(),
                std::string(MonthName(day.month)).c_str(), day.day, day.year);
  std::string out;
  out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n";
  out += "<HTML><HEAD><TITLE>Access Statistics for " + servers + " : " + HtmlAttribute(head.title);
  out += "</TITLE><STYLE TYPE=\"text/css\">\r\n";
  out += "a { color: #0000C8; text-decoration: none}\r\n";
  out += "a:hover { color: #E08080; text-decoration: underline}\r\n";
  out +=
      "th { border: 1px solid black; border-top-width: 0px; border-right-width: 0px; color: navy; "
      "font-size: x-small; font-weight: bold; font-family: Tahoma,sans-serif;}\r\n";
  out +=
      "td { border: 1px solid #DCDCDC; border-top-width: 0px; border-right-width: 0px; color: "
      "black; font-size: x-small; font-family: Verdana,sans-serif;}\r\n";
  out += "p { color: black; font-size: x-small; font-family: Verdana,sans-serif;}\r\n";
  out += "h3 { color: gray; font-size: x-small; font-family: Verdana,sans-serif;}\r\n";
  out += "h2 { color: black; }\r\n";
  out += "</STYLE></HEAD>\r\n<BODY BGCOLOR=\"white\">\r\n";
  out += "<H2>Access Statistics for " + servers + "</H2>";
  out += "<H3>Report generated for " + std::string(generated) + "</H3>";
  return out;
}

std::string PageFooter() {
  return "<HR><P ALIGN=\"center\">Powered by <A HREF=\"" + std::string(kProductSite) +
         "\">Velmora</A></P></BODY>\r\n</HTML>";
}

std::string ReportBody(const ReportModel& model, const BodyLayout& layout) {
  std::string out = "<H2>" + HtmlAttribute(model.title) + "</H2><HR>\r\n";
  if (layout.chart) {
    out += "<P ALIGN=\"center\"><IMG SRC=\"" + UrlPath(layout.files_prefix + *layout.chart) +
           "\">\r\n</P>";
  }
  const size_t columns = model.columns.size();
  const bool wide = std::any_of(model.columns.begin(), model.columns.end(),
                                [](const ReportColumn& c) { return c.wide; });
  out += "<TABLE";
  if (wide) out += " WIDTH=\"" + std::to_string(layout.table_width) + "\"";
  out +=
      " ALIGN=\"center\" CELLPADDING=\"0\" CELLSPACING=\"0\"><TR><TD STYLE=\" border: 2 solid "
      "black;\">\r\n<TABLE WIDTH=\"100%\" BGCOLOR=\"#E0E0E0\" CELLPADDING=\"0\" "
      "CELLSPACING=\"0\"><THEAD><TR>";
  const size_t blocks = columns == 2 ? 3 : (columns == 3 ? 2 : 1);
  for (size_t b = 0; b < blocks; ++b) {
    if (b > 0) out += "<TH>&nbsp;</TH>";
    for (const ReportColumn& column : model.columns) {
      out += "<TH BGCOLOR=#D8D8D8";
      if (column.wide) out += " WIDTH=50%";
      out += " ALIGN=center>&nbsp;" + HtmlText(column.caption) + "&nbsp;</TH>";
    }
  }
  out += "</TR></THEAD><TBODY>\r\n";

  size_t rows = model.rows.size();
  if (layout.limit && *layout.limit > 0) rows = std::min(rows, static_cast<size_t>(*layout.limit));
  const size_t per_block = (rows + blocks - 1) / blocks;
  // The key column carries the row marks when any row has one.
  const bool marks = std::any_of(model.rows.begin(), model.rows.end(), [](const ReportRow& r) {
    return r.images[0] >= 0 || r.images[1] >= 0;
  });
  auto cell = [&](const ReportRow* row, size_t index, size_t c) {
    if (row == nullptr) return std::string("<TD>&nbsp;</TD>");
    const ReportColumn& column = model.columns[c];
    const std::string colour = ColourText(
        static_cast<int32_t>(c) == model.sort_column ? Darker(row->colour) : row->colour);
    const bool right = column.align == CellAlign::kRight || column.caption == "#";
    std::string text = c < row->cells.size() ? row->cells[c] : "";
    if (column.caption == "#") text = std::to_string(index + 1);
    std::string content = "&nbsp;" + CellHtml(text) + "&nbsp;";
    if (row->bold) content = "<BIG><B>" + content + "</B></BIG>";
    const bool icons = marks && c == 0 && !(right && row->images[0] < 0 && row->images[1] < 0);
    if (!icons) {
      return "<TD" + std::string(right ? " ALIGN=right" : "") + " BGCOLOR=" + colour + ">" +
             content + "</TD>";
    }
    const std::string folder = UrlPath(layout.files_prefix);
    std::string images;
    auto image = [&](int32_t k) {
      return "<IMG SRC=\"" + folder + std::to_string(k + 1) + ".gif\">";
    };
    if (row->images[0] < 0 && row->images[1] < 0) {
      images = "<IMG HEIGHT=16 WIDTH=24 SRC=\"" + folder + "0.gif\">";
    } else if (row->images[0] < 0) {
      images = "<IMG HEIGHT=16 WIDTH=12 SRC=\"" + folder + "0.gif\">" + image(row->images[1]);
    } else {
      images = image(row->images[0]);
      if (row->images[1] >= 0) images += image(row->images[1]);
    }
    return "<TD BGCOLOR=" + colour + "><TABLE WIDTH=100% CELLPADDING=0 CELLSPACING=0><TR>" +
           "<TD STYLE=\"border: 0;\">" + images + "</TD><TD" + (right ? " ALIGN=right" : "") +
           " STYLE=\"border: 0;\" WIDTH=100%>" + content + "</TD></TR></TABLE></TD>";
  };
  for (size_t line = 0; line < per_block; ++line) {
    out += "<TR>";
    for (size_t b = 0; b < blocks; ++b) {
      if (b > 0) out += "<TD BGCOLOR=white>&nbsp;</TD>";
      const size_t index = b * per_block + line;
      const ReportRow* row = index < rows ? &model.rows[index] : nullptr;
      for (size_t c = 0; c < columns; ++c) out += cell(row, index, c);
    }
    out += "</TR>\r\n";
  }
  out += "</TBODY></TABLE></TD></TR></TABLE><P>&nbsp;</P>";
  return out;
}

}  // namespace velmora
