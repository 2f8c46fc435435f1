// Exported pages: escaping and links, the side-by-side blocks, cell colours and icons, and the
// files a page brings along.
#include "reports/export/html_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "reports/export/chart_cache.h"
#include "reports/export/export_icons.h"
#include "reports/export/page_writer.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(HtmlPage, TextsAreEscapedForWhereTheyGo) {
  const std::string long_path = "/a/very/long/path/that/goes/on/and/on/and/on/to/page.html";
  const struct {
    std::string text;
    std::string html;
  } cases[] = {
      {"a<b", "a&lt;b"},
      {"Tom & Jerry", "Tom&nbsp;&amp;&nbsp;Jerry"},
      {"/a -> /b", "/a -&gt; /b"},
      {"http://example.com/?q=\"x\"",
       "<A HREF=\"http://example.com/?q=&quot;x&quot;\" rel=\"noopener "
       "noreferrer\">http://example.com/?q=&quot;x&quot;</A>"},
      {"HTTPS://EXAMPLE.COM/",
       "<A HREF=\"HTTPS://EXAMPLE.COM/\" rel=\"noopener noreferrer\">HTTPS://EXAMPLE.COM/</A>"},
      {"javascript:alert(1)", "javascript:alert(1)"},
      {"data:text/html,<script>x</script>", "data:text/html,&lt;script&gt;x&lt;/script&gt;"},
      {"/p\"onerror=\"x", "/p&quot;onerror=&quot;x"},
      {"/&#60;script", "/&amp;#60;script"},
      {"tab\there", "tab?here"},
      {long_path, "<A HREF=\"#\" TITLE=\"" + long_path +
                      "\">/a/very/long/path/th.../and/on/and/on/to/page.html</A>"},
  };
  for (const auto& c : cases) EXPECT_EQ(CellHtml(c.text), c.html) << c.text;
  // A long text is cut between characters, never inside one.
  std::string accents;
  for (int i = 0; i < 60; ++i) accents += "\xc3\xa9";
  const std::string cut = CellHtml(accents);
  EXPECT_NE(cut.find(">" + accents.substr(0, 40) + "..."), std::string::npos) << cut;
}

ReportModel Model(size_t columns, size_t rows) {
  ReportModel model;
  model.id = "r";
  model.title = "Report <1>";
  for (size_t c = 0; c < columns; ++c) {
    model.columns.push_back({c == 0 ? "Key" : "V" + std::to_string(c),
                             c == 0 ? CellAlign::kLeft : CellAlign::kRight, c == 0});
  }
  for (size_t r = 0; r < rows; ++r) {
    ReportRow row;
    for (size_t c = 0; c < columns; ++c)
      row.cells.push_back(c == 0 ? "row" + std::to_string(r) : std::to_string(r));
    model.rows.push_back(row);
  }
  return model;
}

TEST(HtmlPage, BlocksSideBySide) {
  const struct {
    size_t columns, rows;
    std::optional<int32_t> limit;
    int lines;        // table rows written
    int empty_cells;  // positions past the last row
    int block_gaps;   // white cells between blocks
  } cases[] = {
      {2, 7, std::nullopt, 3, 4, 6},  // 3 blocks: 3, 3 and 1 rows
      {3, 5, std::nullopt, 3, 3, 3},  // 2 blocks: 3 and 2 rows
      {6, 5, std::nullopt, 5, 0, 0}, {6, 5, 2, 2, 0, 0}, {6, 5, 0, 5, 0, 0},  // 0: every row
  };
  for (const auto& c : cases) {
    const std::string body =
        ReportBody(Model(c.columns, c.rows), {"p.files/", std::nullopt, 768, c.limit});
    SCOPED_TRACE(std::to_string(c.columns) + " columns");
    EXPECT_EQ(Count(body, "<TR>") - 2, c.lines);  // less the frame and the header rows
    EXPECT_EQ(Count(body, "<TD>&nbsp;</TD>"), c.empty_cells);
    EXPECT_EQ(Count(body, "<TD BGCOLOR=white>&nbsp;</TD>"), c.block_gaps);
    EXPECT_NE(body.find("<H2>Report &lt;1&gt;</H2>"), std::string::npos);
  }
  const std::string three_blocks = ReportBody(Model(2, 7), {"p.files/", std::nullopt, 768, {}});
  EXPECT_LT(three_blocks.find("row3"), three_blocks.find("row1"));  // rows fill block by block
}

TEST(HtmlPage, CellsCarryColoursMarksAndTheirOwnFolder) {
  ReportModel model = Model(6, 2);
  model.sort_column = 3;
  model.rows[0].colour = {255, 255, 240};
  model.rows[0].bold = true;
  model.rows[0].images = {0, -1};
  model.rows[1].images = {-1, 1};
  const std::string body = ReportBody(model, {"All Reports.files/", "r_graph.png", 768, {}});
  EXPECT_NE(body.find("<IMG SRC=\"All%20Reports.files/r_graph.png\">"), std::string::npos);
  EXPECT_NE(body.find("BGCOLOR=#F7F7E8>"), std::string::npos);  // the sort column, 8 darker
  EXPECT_NE(body.find("<BIG><B>&nbsp;row0&nbsp;</B></BIG>"), std::string::npos);
  EXPECT_NE(body.find("<IMG SRC=\"All%20Reports.files/1.gif\">"), std::string::npos);
  EXPECT_NE(body.find("<IMG HEIGHT=16 WIDTH=12 SRC=\"All%20Reports.files/0.gif\"><IMG "
                      "SRC=\"All%20Reports.files/2.gif\">"),
            std::string::npos);
  EXPECT_NE(body.find("<TABLE WIDTH=\"768\" ALIGN=\"center\""), std::string::npos);
}

TEST(HtmlPage, HeaderAndFooter) {
  CalendarTime t;
  t.year = 2002;
  t.month = 10;
  t.day = 5;
  const std::string head = PageHeader({"www.example.com<x>", "All Reports", *CalendarToTicks(t)});
  EXPECT_EQ(head.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">\r\n", 0),
            0u);
  EXPECT_NE(
      head.find("<TITLE>Access Statistics for www.example.com&lt;x&gt; : All Reports</TITLE>"),
      std::string::npos);
  EXPECT_NE(head.find("<H3>Report generated for Saturday, October 5, 2002</H3>"),
            std::string::npos);
  EXPECT_NE(head.find("h2 { color: black; }\r\n</STYLE></HEAD>\r\n<BODY BGCOLOR=\"white\">\r\n"),
            std::string::npos);
  EXPECT_EQ(PageFooter().substr(PageFooter().size() - 16), "</BODY>\r\n</HTML>");
}

TEST(PageWriter, WritesIconsChartsAndOverwritesThem) {
  velmora::testing::TempDir dir;
  int charts = 0;
  ChartWriter writer = [&](const ChartData&, const std::string& path, int width) {
    ++charts;
    EXPECT_EQ(width, 768);
    return static_cast<bool>(std::ofstream(path) << "png");
  };
  ReportModel model = Model(6, 3);
  model.chart = ChartData{kChartBar, "t", {{"a", 1, {}, 0}}, true};
  for (int round = 0; round < 2; ++round) {
    PageWriter page(dir / "out/page.htm", 768, writer);
    ASSERT_TRUE(page.Begin({"site", "All Reports", 0}).ok());
    ASSERT_TRUE(page.Add(model, 0).ok());
    ASSERT_TRUE(page.Finish().ok());
  }
  EXPECT_EQ(charts, 2);
  for (int k = 0; k < kExportIconCount; ++k) {
    const auto size =
        std::filesystem::file_size(dir / ("out/page.files/" + std::to_string(k) + ".gif"));
    EXPECT_EQ(size, ExportIcon(k).size());
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "out/page.files/r_graph.png"));
  // A page that cannot be made says so.
  PageWriter bad("/proc/no/such/page.htm", 768, writer);
  const Status failed = bad.Begin({"site", "x", 0});
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message.rfind("Can't save report", 0), 0u);
}

// The icons as an independent reader (Debian's python3-pil) sees them: sizes and the white
// transparency.
TEST(ExportIcons, DecodeToTheDescribedPictures) {
  velmora::testing::TempDir dir;
  for (int k = 0; k < kExportIconCount; ++k) {
    std::ofstream(dir / (std::to_string(k) + ".gif"), std::ios::binary)
        .write(reinterpret_cast<const char*>(ExportIcon(k).data()),
               static_cast<std::streamsize>(ExportIcon(k).size()));
  }
  const std::string script =
      "import sys\nfrom PIL import Image\n"
      "for k in range(8):\n"
      "  im = Image.open(sys.argv[1] + '/%d.gif' % k); im.load()\n"
      "  pal = im.getpalette()[:3 * len(im.getcolors())]\n"
      "  t = im.info.get('transparency')\n"
      "  print(k, im.size[0], im.size[1], tuple(im.getpalette()[3 * t:3 * t + 3]), "
      "len(set(im.getdata())) >= 1)\n";
  std::ofstream(dir / "check.py") << script;
  const std::string command = "/usr/bin/python3 " + (dir / "check.py") + " " + dir.str() + " > " +
                              (dir / "out.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << std::ifstream(dir / "out.txt").rdbuf();
  std::ifstream out(dir / "out.txt");
  std::stringstream text;
  text << out.rdbuf();
  EXPECT_EQ(
      text.str(),
      "0 1 1 (255, 255, 255) True\n1 12 16 (255, 255, 255) True\n2 12 16 (255, 255, 255) True\n"
      "3 12 16 (255, 255, 255) True\n4 12 16 (255, 255, 255) True\n5 24 16 (255, 255, 255) True\n"
      "6 24 16 (255, 255, 255) True\n7 24 16 (255, 255, 255) True\n");
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

TEST(ChartCache, DrawsEachPictureOnceAndCopiesItAfterwards) {
  velmora::testing::TempDir dir;
  int drawn = 0;
  ChartWriter draw = [&](const ChartData& chart, const std::string& path, int width) {
    ++drawn;
    return static_cast<bool>(std::ofstream(path) << chart.title << width);
  };
  const ChartWriter cached = CachingChartWriter(dir / "cache", draw);
  ChartData chart{kChartBar, "Pages", {{"/a", 3, {1, 2, 3}, 0}}, true};
  ASSERT_TRUE(cached(chart, dir / "one.png", 768));
  ASSERT_TRUE(cached(chart, dir / "two.png", 768));
  EXPECT_EQ(drawn, 1);
  std::ifstream copy(dir / "two.png");
  std::string text;
  copy >> text;
  EXPECT_EQ(text, "Pages768");
  // Anything the picture is drawn from makes another picture.
  const uint64_t base = ChartDigest(chart, 768);
  EXPECT_NE(ChartDigest(chart, 600), base);
  ChartData other = chart;
  other.items[0].value = 4;
  EXPECT_NE(ChartDigest(other, 768), base);
  other = chart;
  other.items[0].label = "/b";
  EXPECT_NE(ChartDigest(other, 768), base);
  ASSERT_TRUE(cached(other, dir / "three.png", 768));
  EXPECT_EQ(drawn, 2);
  // A picture that cannot be drawn into the cache is drawn where it is wanted.
  int direct = 0;
  const ChartWriter no_cache = CachingChartWriter(
      "/proc/no-such-folder", [&](const ChartData&, const std::string& path, int) {
        ++direct;
        return path.rfind("/proc", 0) != 0 && static_cast<bool>(std::ofstream(path) << "x");
      });
  EXPECT_TRUE(no_cache(chart, dir / "four.png", 768));
  EXPECT_EQ(direct, 2);
}

}  // namespace
}  // namespace velmora
