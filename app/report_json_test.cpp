#include "app/report_json.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/cell_actions.h"
#include "app/record_json.h"

namespace velmora {
namespace {

// The report as a document, the way the JSON was first made: the oracle the direct writer must
// match byte for byte once dumped.
nlohmann::json ReportJson(const ReportModel& model) {
  auto align = [](CellAlign a) {
    return a == CellAlign::kLeft ? "left" : a == CellAlign::kCenter ? "center" : "right";
  };
  auto cache = [](CacheUse u) {
    return u == CacheUse::kBuilt ? "built" : u == CacheUse::kReused ? "reused" : "none";
  };
  nlohmann::json columns = nlohmann::json::array();
  for (const ReportColumn& column : model.columns) {
    columns.push_back(
        {{"caption", column.caption}, {"align", align(column.align)}, {"wide", column.wide}});
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
          {"cache", cache(model.cache_use)}};
}

ReportModel Model(std::vector<std::string> cells, std::vector<std::optional<double>> values) {
  ReportModel model;
  model.id = "pagesreq";
  model.title = "Requested Pages";
  model.reference_day = 0x08DD'0000'0000'0000;
  model.columns = {{"File Name", CellAlign::kLeft, true}, {"Week", CellAlign::kRight, false}};
  ReportRow row;
  row.cells = std::move(cells);
  row.values = std::move(values);
  model.rows.push_back(row);
  return model;
}

// The direct writer must spell every report exactly as the document dump does, or scripts that
// compare outputs across versions would see changes that are not there.
TEST(ReportJsonText, SpellsEveryReportAsTheDocumentDoes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    std::string_view what;
    ReportModel model;
  } cases[] = {
      {"empty model", ReportModel{}},
      {"plain row", Model({"/index.html", "12"}, {std::nullopt, 12})},
      {"quotes and backslashes", Model({"/a\"b\\c", "1"}, {std::nullopt, 1})},
      {"control bytes and DEL",
       Model({std::string("a\x01\tb\n\x1f\x7f", 7), "0"}, {std::nullopt, 0})},
      {"valid UTF-8", Model({"/caf\xc3\xa9/\xe2\x82\xac", "3"}, {std::nullopt, 3})},
      {"broken UTF-8", Model({"/\xff\xfe/\xc3", "\xe2\x82"}, {std::nullopt, 3})},
      {"markup", Model({"<script>alert(1)</script>", "&amp;"}, {std::nullopt, 1})},
      {"fractions and signs", Model({"x", "y", "z", "w"}, {0.25, -0.0, -17.0, 1.0 / 3.0})},
      {"large and odd numbers",
       Model({"a", "b", "c", "d", "e", "f"}, {1e14, 1e15, 1e16, 123456789012345.0, nan, inf})},
      {"traffic", Model({"MB", "1.25 Mb"}, {std::nullopt, 1310720})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReportJsonText(c.model), JsonLine(ReportJson(c.model))) << c.what;
  }

  ReportModel full = Model({"81.2.69.160", "http://example.com/?q=1"}, {std::nullopt, 2});
  full.cell_actions = true;
  full.cache_use = CacheUse::kReused;
  full.sort_column = 2;
  full.generation_ms = 1234567;
  full.rows[0].bold = true;
  full.rows[0].images = {3, -1};
  full.rows[0].colour = {0xE0, 0x10, 0xAB};
  full.rows.push_back(full.rows[0]);
  full.chart = ChartData{};
  full.chart->kind = kChartBar;
  full.chart->title = "Requested \"Pages\" (Week)";
  full.chart->whole_numbers = false;
  full.chart->items = {{"/\xc3\xa9", 2.5, {1, 2, 3}, 42}, {"Other 3", 7, {4, 5, 6}, ~Ticks{0}}};
  EXPECT_EQ(ReportJsonText(full), JsonLine(ReportJson(full)));
  full.chart->items.clear();
  EXPECT_EQ(ReportJsonText(full), JsonLine(ReportJson(full)));
}

}  // namespace
}  // namespace velmora
