#include "ui/cli/report_render.h"

#include <algorithm>
#include <cstdio>

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

}  // namespace velmora::cli
