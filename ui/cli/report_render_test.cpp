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

}  // namespace
}  // namespace velmora::cli
