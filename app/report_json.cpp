#include "app/report_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/cell_actions.h"
#include "app/record_json.h"
#include "reports/frame/report_catalogue.h"

namespace velmora {
namespace {

std::string_view AlignText(CellAlign align) {
  switch (align) {
    case CellAlign::kLeft:
      return "left";
    case CellAlign::kCenter:
      return "center";
    case CellAlign::kRight:
      break;
  }
  return "right";
}

std::string_view CacheText(CacheUse use) {
  switch (use) {
    case CacheUse::kBuilt:
      return "built";
    case CacheUse::kReused:
      return "reused";
    case CacheUse::kNone:
      break;
  }
  return "none";
}

// Appends JSON text as the document dump would write it: the keys of an object in sorted
// order (the document's objects are sorted maps), numbers and strings spelled as it spells them.
// Only the common cases are written here; a string with anything but printable ASCII and a
// number that is not a modest whole one go through the library, which decides escapes,
// replacement of bad UTF-8 and the digits of a fraction.
class JsonText {
 public:
  explicit JsonText(std::string& out) : out_(out) {}
  void Key(std::string_view key) {
    String(key);
    out_ += ':';
    fresh_ = true;  // the value that follows needs no comma
  }
  void Open(char bracket) {
    Comma();
    out_ += bracket;
    fresh_ = true;
  }
  void Close(char bracket) {
    out_ += bracket;
    fresh_ = false;
  }
  void String(std::string_view text) {
    Comma();
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
      return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    });
    if (plain) {
      out_ += '"';
      out_ += text;
      out_ += '"';
    } else {
      out_ += JsonLine(nlohmann::json(std::string(text)));
    }
  }
  template <class Int>
  void Integer(Int value) {
    Comma();
    char digits[24];
    out_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  }
  void Number(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15 &&
        !(value == 0 && std::signbit(value))) {
      Integer(static_cast<int64_t>(value));
      out_ += ".0";  // the document marks a floating-point number so
    } else {
      Comma();
      out_ += JsonLine(nlohmann::json(value));
    }
  }
  void Bool(bool value) {
    Comma();
    out_ += value ? "true" : "false";
  }
  void Null() {
    Comma();
    out_ += "null";
  }
  void Raw(const std::string& json) {
    Comma();
    out_ += json;
  }

 private:
  void Comma() {
    if (!fresh_) out_ += ',';
    fresh_ = false;
  }
  std::string& out_;
  bool fresh_ = true;
};

void RowText(JsonText& j, const ReportRow& row, bool cell_actions) {
  j.Open('{');
  if (cell_actions) {
    j.Key("actions");
    j.Open('[');
    for (const std::string& cell : row.cells) j.Raw(JsonLine(nlohmann::json(CellActions(cell))));
    j.Close(']');
  }
  j.Key("bold");
  j.Bool(row.bold);
  j.Key("cells");
  j.Open('[');
  for (const std::string& cell : row.cells) j.String(cell);
  j.Close(']');
  j.Key("colour");
  j.String(ColourText(row.colour));
  j.Key("images");
  j.Open('[');
  j.Integer(row.images[0]);
  j.Integer(row.images[1]);
  j.Close(']');
  j.Key("values");
  j.Open('[');
  for (const std::optional<double>& value : row.values) {
    if (value) {
      j.Number(*value);
    } else {
      j.Null();
    }
  }
  j.Close(']');
  j.Close('}');
}

void ChartText(JsonText& j, const std::optional<ChartData>& chart) {
  if (!chart) {
    j.Null();
    return;
  }
  j.Open('{');
  j.Key("items");
  j.Open('[');
  for (const ChartItem& item : chart->items) {
    j.Open('{');
    j.Key("colour");
    j.String(ColourText(item.colour));
    j.Key("label");
    j.String(item.label);
    j.Key("value");
    j.Number(item.value);
    j.Key("x");
    j.Integer(item.x);
    j.Close('}');
  }
  j.Close(']');
  j.Key("kind");
  j.Integer(chart->kind);
  j.Key("title");
  j.String(chart->title);
  j.Key("whole_numbers");
  j.Bool(chart->whole_numbers);
  j.Close('}');
}

}  // namespace

std::string DayText(Ticks day) {
  const CalendarTime t = TicksToCalendar(day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

std::string ReportJsonText(const ReportModel& model) {
  std::string out;
  out.reserve(256 + model.rows.size() * 160);
  JsonText j(out);
  j.Open('{');
  j.Key("cache");
  j.String(CacheText(model.cache_use));
  j.Key("chart");
  ChartText(j, model.chart);
  j.Key("columns");
  j.Open('[');
  for (const ReportColumn& column : model.columns) {
    j.Open('{');
    j.Key("align");
    j.String(AlignText(column.align));
    j.Key("caption");
    j.String(column.caption);
    j.Key("wide");
    j.Bool(column.wide);
    j.Close('}');
  }
  j.Close(']');
  j.Key("generation_ms");
  j.Integer(model.generation_ms);
  j.Key("id");
  j.String(model.id);
  j.Key("reference_day");
  j.String(DayText(model.reference_day));
  j.Key("rows");
  j.Open('[');
  for (const ReportRow& row : model.rows) RowText(j, row, model.cell_actions);
  j.Close(']');
  j.Key("sort_column");
  j.Integer(model.sort_column);
  j.Key("title");
  j.String(model.title);
  j.Close('}');
  return out;
}

std::string ColourText(Rgb colour) {
  // Written for every row of every list, so without the formatting machinery.
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const uint8_t part : {colour.red, colour.green, colour.blue}) {
    text += kHex[part >> 4];
    text += kHex[part & 0xF];
  }
  return text;
}

nlohmann::json ReportTreeJson() {
  nlohmann::json tree = nlohmann::json::array();
  for (const ReportDef& def : ReportTree()) {
    const bool group = def.kind == ReportKind::kGroup;
    tree.push_back(
        {{"title", def.title},
         {"id", group ? nlohmann::json(nullptr) : nlohmann::json(def.id)},
         {"level", def.level},
         {"icon", def.icon},
         {"engine_filter", def.engine_filter},
         {"kind", group ? "group" : (def.kind == ReportKind::kCachedList ? "list" : "report")},
         {"cache",
          def.cache.empty() ? nlohmann::json(nullptr) : nlohmann::json(std::string(def.cache))}});
  }
  return tree;
}

}  // namespace velmora
