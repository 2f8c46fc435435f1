// Exporting pages from the command line: the files a page brings, valid markup, and log lines
// written to attack a report page that run nothing when the page is opened in a browser.
#include <filesystem>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Each payload, if it ever ran, would mark the page's body; the mark's attribute form appears in
// a dump of the page only when a script set it.
const std::string kRun = "document.body.setAttribute('data-pwned','yes')";

std::string Line(const std::string& path, const std::string& referrer, const std::string& agent,
                 int status = 200) {
  return "10.0.0.7 - - [01/Mar/2024:10:00:00 +0000] \"GET " + path + " HTTP/1.1\" " +
         std::to_string(status) + " 500 \"" + referrer + "\" \"" + agent + "\"\n";
}

class ExportCommandsTest : public CliTest {
 protected:
  void SetUp() override {
    folder_ = NewWorkspace();
    std::ofstream log(folder_ + "logs/hostile.log");
    // Ordinary lines first, so that the layout is recognised before the hostile ones come.
    for (int i = 0; i < 10; ++i)
      log << Line("/page" + std::to_string(i) + ".html", "-", "Mozilla/5.0");
    log << Line("/<script>" + kRun + "</script>.html", "-", "Mozilla/5.0")
        << Line("/<svg/onload=" + kRun + ">.html", "javascript:" + kRun, "Mozilla/5.0")
        << Line("/x.html?q=<img/src=x/onerror=" + kRun + ">",
                "data:text/html,<script>" + kRun + "</script>",
                "<img src=x onerror=\"" + kRun + "\">")
        << Line("/quote.html", "http://evil.example/\"><script>" + kRun + "</script>",
                "Mozilla/5.0 \"onmouseover=x")
        << Line("/entity.html",
                "http://evil.example/?a=&#60;script&#62;" + kRun + "&#60;/script&#62;",
                "Mozilla/5.0")
        << Line("/missing.html", "http://evil.example/<script>" + kRun + "</script>", "Mozilla/5.0",
                404)
        << Line("/index.html",
                "https://www.google.com/search?q=%3Cscript%3E" + kRun + "%3C%2Fscript%3E",
                "Mozilla/5.0");
    log.close();
    ASSERT_EQ(Velmora({"-w", folder_, "parse"}).status, 0);
  }
  std::string folder_;
};

TEST_F(ExportCommandsTest, APageBringsItsIconsIsValidMarkupAndRunsNothingFromTheLog) {
  const auto r = Velmora({"-w", folder_, "export", "all", "--limit", "0"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string page = folder_ + "export/All Reports.htm";
  ASSERT_TRUE(fs::exists(page));
  for (int k = 0; k < 8; ++k) {
    EXPECT_TRUE(fs::exists(folder_ + "export/All Reports.files/" + std::to_string(k) + ".gif"))
        << k;
  }
  EXPECT_NE(r.out.find("Exported 136 reports to " + page), std::string::npos) << r.out;
  // tidy: 0 clean, 1 warnings (the fixed markup has some), 2 errors.
  const auto tidy = testing::RunProgram("/usr/bin/tidy", {"-q", "-e", page}, Environment());
  EXPECT_LT(tidy.status, 2) << tidy.err;

  const std::string html = ReadFile(page);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<svg"), std::string::npos);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_EQ(html.find("HREF=\"javascript:"), std::string::npos);
  EXPECT_EQ(html.find("HREF=\"data:"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;"), std::string::npos);  // the payloads are shown, as text

  const auto browser = testing::RunProgram(
      "/usr/bin/chromium",
      {"--headless=new", "--no-sandbox", "--disable-gpu", "--virtual-time-budget=3000",
       "--user-data-dir=" + home_ / "chromium", "--dump-dom", "file://" + page},
      Environment());
  ASSERT_EQ(browser.status, 0) << browser.err;
  ASSERT_NE(browser.out.find("Access Statistics for"), std::string::npos) << browser.err;
  EXPECT_EQ(browser.out.find("data-pwned=\"yes\""), std::string::npos);
}

TEST_F(ExportCommandsTest, TheLimitIsOnListsAndOneReportHasItsOwnPage) {
  // The limit is on the entries of lists; the summary and the days keep every row.
  ASSERT_EQ(
      Velmora({"-w", folder_, "export", "all", "--limit", "1", "-o", home_ / "l/a.htm"}).status, 0);
  const std::string limited = ReadFile(home_ / "l/a.htm");
  EXPECT_NE(limited.find("In.&nbsp;Traffic&nbsp;(Spider)/Total"), std::string::npos);
  const size_t pages = limited.find("<H2>Requested Pages</H2>");
  const std::string pages_body = limited.substr(pages, limited.find("<H2>", pages + 4) - pages);
  int rows = 0;
  for (size_t at = pages_body.find("<TR>"); at != std::string::npos;
       at = pages_body.find("<TR>", at + 1))
    ++rows;
  EXPECT_EQ(rows - 2, 1);  // less the frame and the header rows

  const auto single = Velmora({"-w", folder_, "export", "pagesreq", "-o", home_ / "one/p.htm"});
  ASSERT_EQ(single.status, 0) << single.err;
  EXPECT_TRUE(fs::exists(home_ / "one/p.files/1.gif"));
  EXPECT_EQ(Velmora({"-w", folder_, "export", "nope"}).status, 2);
  EXPECT_EQ(Velmora({"-w", folder_, "export", "all", "--sort", "month"}).status, 2);
}

}  // namespace
}  // namespace velmora
