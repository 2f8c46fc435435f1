#include "ui/cli/report_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "reports/charts/chart_text.h"

namespace velmora::cli {
namespace {

// Characters a person sees: UTF-8 continuation bytes take no column of their own.
size_t DisplayWidth(const std::string& text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first `columns` characters of `text`, never splitting a UTF-8 sequence.
std::string TakeColumns(const std::string& text, size_t columns) {
  size_t seen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((text[i] & 0xC0) != 0x80) {
      if (seen == columns) return text.substr(0, i);
      ++seen;
    }
  }
  return text;
}

// Log texts may carry terminal escapes; none reaches the terminal.
std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return out;
}

// Fits `text` into `width` columns, keeping its start and end: the end of a path or a referrer
// tells them apart as much as its start does.
std::string Shortened(const std::string& text, size_t width) {
  if (DisplayWidth(text) <= width) return text;
  if (width <= 3) return TakeColumns(text, width);
  const size_t head = (width - 3) / 2;
  const size_t tail = width - 3 - head;
  size_t seen = 0;
  size_t cut = text.size();
  while (cut > 0 && seen < tail) {
    --cut;
    if ((text[cut] & 0xC0) != 0x80) ++seen;
  }
  return TakeColumns(text, head) + "..." + text.substr(cut);
}

std::string Padded(const std::string& text, size_t width, CellAlign align) {
  const size_t used = DisplayWidth(text);
  const std::string pad(width > used ? width - used : 0, ' ');
  return align == CellAlign::kLeft ? text + pad : pad + text;
}

std::string Mark(int32_t image) { return image == 0 ? " \u25B2" : (image == 1 ? " \u25BC" : ""); }

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Colour(Rgb colour) {
  char escape[32];
  std::snprintf(escape, sizeof escape, "\x1b[38;2;%d;%d;%dm", colour.red, colour.green,
                colour.blue);
  return escape;
}

// `eighths` of a character cell as full blocks and one partial block.
std::string Blocks(int64_t eighths) {
  static constexpr const char* kPartial[] = {"",       "\u258F", "\u258E", "\u258D",
                                             "\u258C", "\u258B", "\u258A", "\u2589"};
  std::string bar;
  for (int64_t i = 0; i < eighths / 8; ++i) bar += "\u2588";
  return bar + kPartial[eighths % 8];
}

}  // namespace

std::string RenderTable(const ReportModel& model, const TableLayout& layout) {
  const size_t columns = model.columns.size();
  std::vector<std::vector<std::string>> cells;
  for (const ReportRow& row : model.rows) {
    std::vector<std::string> texts;
    for (size_t c = 0; c < columns; ++c)
      texts.push_back(c < row.cells.size() ? Printable(row.cells[c]) : "");
    cells.push_back(std::move(texts));
  }
  std::vector<size_t> widths(columns, 0);
  for (size_t c = 0; c < columns; ++c) {
    widths[c] = DisplayWidth(model.columns[c].caption);
    for (const auto& row : cells) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  }
  // The wide (key) column takes what the others leave, but never less than 12 columns.
  size_t fixed = columns > 0 ? 2 * (columns - 1) : 0;
  for (size_t c = 0; c < columns; ++c) {
    if (!model.columns[c].wide) fixed += widths[c];
  }
  for (size_t c = 0; c < columns; ++c) {
    if (!model.columns[c].wide) continue;
    const size_t room = static_cast<size_t>(std::max(layout.width, 0)) > fixed
                            ? static_cast<size_t>(layout.width) - fixed
                            : 0;
    widths[c] = std::min(widths[c], std::max<size_t>(room, 12));
  }
  auto line = [&](const std::vector<std::string>& texts) {
    std::string out;
    for (size_t c = 0; c < columns; ++c) {
      if (c > 0) out += "  ";
      std::string text = model.columns[c].wide ? Shortened(texts[c], widths[c]) : texts[c];
      out += Padded(text, widths[c], model.columns[c].align);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
  };
  std::string out;
  out += model.title + "\n";
  std::vector<std::string> captions;
  for (const ReportColumn& column : model.columns) captions.push_back(column.caption);
  out += line(captions) + "\n";
  for (size_t r = 0; r < cells.size(); ++r) {
    const ReportRow& row = model.rows[r];
    std::string text = line(cells[r]);
    if (layout.colour) {
      // Row backgrounds are pale tints for a page; on a terminal only bold and marks carry over.
      text += Mark(row.images[0]);
      if (row.bold) text = "\x1b[1m" + text + "\x1b[0m";
    }
    out += text + "\n";
  }
  if (model.rows.empty()) out += "(no rows)\n";
  return out;
}

std::string RenderCsv(const ReportModel& model) {
  std::string out;
  auto line = [&](const std::vector<std::string>& texts) {
    for (size_t c = 0; c < texts.size(); ++c) {
      if (c > 0) out += ',';
      out += CsvField(texts[c]);
    }
    out += "\r\n";
  };
  std::vector<std::string> captions;
  for (const ReportColumn& column : model.columns) captions.push_back(column.caption);
  line(captions);
  for (const ReportRow& row : model.rows) line(row.cells);
  return out;
}

std::string RenderBlockChart(const ChartData& chart, const TableLayout& layout) {
  double total = 0, largest = 0;
  size_t label_width = 0;
  std::vector<std::string> values;
  for (const ChartItem& item : chart.items) {
    const double value = std::isfinite(item.value) ? item.value : 0;
    total += value;
    largest = std::max(largest, value);
    label_width = std::max(label_width, DisplayWidth(Printable(item.label)));
    char text[64];
    std::snprintf(text, sizeof text, chart.whole_numbers ? "%.0f" : "%.2f", value);
    values.emplace_back(text);
  }
  size_t value_width = 0;
  for (const std::string& value : values) value_width = std::max(value_width, value.size());
  const size_t width = static_cast<size_t>(std::max(layout.width, 40));
  label_width = std::min(label_width, width / 3);
  constexpr size_t kShareWidth = 7;  // "100.00%" at most
  const size_t bar_width = std::max<size_t>(width - label_width - value_width - kShareWidth - 4, 8);

  std::string out = "\n" + Printable(chart.title) + "\n";
  for (size_t i = 0; i < chart.items.size(); ++i) {
    const ChartItem& item = chart.items[i];
    const double value = std::isfinite(item.value) ? item.value : 0;
    const int64_t eighths = largest > 0 && value > 0
                                ? std::llround(value / largest * static_cast<double>(bar_width * 8))
                                : 0;
    std::string bar = Blocks(eighths);
    const size_t bar_cells = static_cast<size_t>((eighths + 7) / 8);
    if (layout.colour) bar = Colour(item.colour) + bar + "\x1b[0m";
    std::string line =
        Padded(Shortened(Printable(item.label), label_width), label_width, CellAlign::kLeft) + " " +
        bar + std::string(bar_width - std::min(bar_cells, bar_width), ' ') + " " +
        Padded(values[i], value_width, CellAlign::kRight) + " " +
        Padded(ShareText(value, total), kShareWidth, CellAlign::kRight);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

}  // namespace velmora::cli
