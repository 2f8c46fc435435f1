#include "app/report_json.h"

#include <cstdio>

#include "app/cell_actions.h"
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

}  // namespace

std::string DayText(Ticks day) {
  const CalendarTime t = TicksToCalendar(day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

std::string ColourText(Rgb colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.red, colour.green, colour.blue);
  return text;
}

nlohmann::json ReportJson(const ReportModel& model) {
  nlohmann::json columns = nlohmann::json::array();
  for (const ReportColumn& column : model.columns) {
    columns.push_back(
        {{"caption", column.caption}, {"align", AlignText(column.align)}, {"wide", column.wide}});
  }
  nlohmann::json rows = nlohmann::json::array();
  for (const ReportRow& row : model.rows) {
    nlohmann::json values = nlohmann::json::array();
    for (const std::optional<double>& value : row.values) {
      values.push_back(value ? nlohmann::json(*value) : nlohmann::json(nullptr));
    }
    nlohmann::json out = {{"cells", row.cells},
                          {"values", std::move(values)},
                          {"colour", ColourText(row.colour)},
                          {"bold", row.bold},
                          {"images", {row.images[0], row.images[1]}}};
    if (model.cell_actions) {
      nlohmann::json actions = nlohmann::json::array();
      for (const std::string& cell : row.cells) actions.push_back(CellActions(cell));
      out["actions"] = std::move(actions);
    }
    rows.push_back(std::move(out));
  }
  nlohmann::json chart = nullptr;
  if (model.chart) {
    nlohmann::json items = nlohmann::json::array();
    for (const ChartItem& item : model.chart->items) {
      items.push_back({{"label", item.label},
                       {"value", item.value},
                       {"colour", ColourText(item.colour)},
                       {"x", item.x}});
    }
    chart = {{"kind", model.chart->kind},
             {"title", model.chart->title},
             {"whole_numbers", model.chart->whole_numbers},
             {"items", std::move(items)}};
  }
  return {{"id", model.id},
          {"title", model.title},
          {"reference_day", DayText(model.reference_day)},
          {"columns", std::move(columns)},
          {"rows", std::move(rows)},
          {"sort_column", model.sort_column},
          {"chart", std::move(chart)},
          {"generation_ms", model.generation_ms},
          {"cache", CacheText(model.cache_use)}};
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
