#include "ui/cli/report_render.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

ReportModel Model(std::vector<std::vector<std::string>> rows) {
  ReportModel model;
  model.title = "Requested Pages";
  model.columns = {{"File Name", CellAlign::kLeft, true}, {"Week", CellAlign::kRight, false}};
  for (auto& cells : rows) {
    ReportRow row;
    row.cells = std::move(cells);
    model.rows.push_back(std::move(row));
  }
  return model;
}

TEST(ReportRender, TablesFitTheTerminalAndKeepEscapesOut) {
  struct Case {
    std::vector<std::string> key;
    int width;
    std::string line;  // the first row as shown
  };
  const Case cases[] = {
      {{"/index.html", "12"}, 80, "/index.html    12"},
      {{"/a/very/long/path/to/some/page.html", "7"}, 24, "/a/very...age.html     7"},
      {{"/\x1b[31mred", "1"}, 80, "/?[31mred     1"},
      {{"/caf\xc3\xa9.html", "3"}, 80, "/caf\xc3\xa9.html     3"},  // é takes one column
  };
  for (const Case& c : cases) {
    const auto lines = [&] {
      std::vector<std::string> out;
      std::string text = RenderTable(Model({c.key}), {c.width, false});
      for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
        out.push_back(text.substr(at, end - at));
      }
      return out;
    }();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Requested Pages");
    EXPECT_EQ(lines[2], c.line);
  }
  EXPECT_NE(RenderTable(Model({}), {80, false}).find("(no rows)"), std::string::npos);
}

TEST(ReportRender, CsvQuotesWhatNeedsIt) {
  const std::string csv =
      RenderCsv(Model({{"/a,b", "1"}, {"say \"hi\"", "2"}, {"two\nlines", "3"}, {"plain", "4"}}));
  EXPECT_EQ(
      csv,
      "File Name,Week\r\n\"/a,b\",1\r\n\"say \"\"hi\"\"\",2\r\n\"two\nlines\",3\r\nplain,4\r\n");
}

TEST(ReportRender, BlockChartsScaleToTheLargestItem) {
  ChartData chart{kChartBar, "Requested Pages (Week)", {}, true};
  chart.items = {{"/index.html", 30, {144, 192, 240}, 0},
                 {"/\x1b[2Jabout.html", 15, {0, 160, 0}, 0},
                 {"Other 4", 15, {176, 128, 224}, 0}};
  const std::string plain = RenderBlockChart(chart, {60, false});
  EXPECT_EQ(plain.find('\x1b'), std::string::npos);  // neither colours nor the label's escape
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = plain.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(plain.substr(at, end - at));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "Requested Pages (Week)");
  const auto blocks = [](const std::string& line) {
    size_t n = 0;
    for (size_t at = 0; (at = line.find("\u2588", at)) != std::string::npos; at += 3) ++n;
    return n;
  };
  EXPECT_EQ(blocks(lines[2]), 2 * blocks(lines[3]));
  EXPECT_GT(blocks(lines[2]), 20u);
  EXPECT_TRUE(lines[2].ends_with(" 30  50.00%")) << lines[2];
  EXPECT_TRUE(lines[3].ends_with(" 15  25.00%")) << lines[3];
  EXPECT_EQ(lines[3].substr(0, 5), "/?[2J");

  const std::string coloured = RenderBlockChart(chart, {60, true});
  EXPECT_NE(coloured.find("\x1b[38;2;144;192;240m\u2588"), std::string::npos);
  EXPECT_NE(coloured.find("\x1b[38;2;176;128;224m\u2588"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
