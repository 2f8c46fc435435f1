// Crafted log files parsed by the parse run into a real workspace database, with the program's
// own classifiers: the visits, lists, errors, spider hits and hourly counts that come out.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "analysis/visits/request_processor.h"
#include "analysis/visits/standard_classifiers.h"
#include "parsing/run/parse_command.h"
#include "storage/database_keys.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

constexpr char kCombined[] =
    "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b \"%f\" \"%B\"";
constexpr char kFirefox[] = "Mozilla/5.0 (Windows NT 10.0; rv:120.0) Gecko/20100101 Firefox/120.0";
constexpr char kChrome[] =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 "
    "Safari/537.36";
constexpr char kGooglebot[] =
    "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)";
constexpr char kCurl[] = "curl/8.5.0";
constexpr char kSearch[] = "http://www.google.com/search?q=log+analyzer";
constexpr char kOwnPage[] = "http://www.example.com/index.html";
constexpr char kBlog[] = "http://blog.example.org/post";

std::string Line(std::string_view host, std::string_view hh_mm_ss, std::string_view request,
                 int status, int bytes, std::string_view referrer, std::string_view agent) {
  return std::string(host) + " - - [05/Mar/2024:" + std::string(hh_mm_ss) + " +0000] \"" +
         std::string(request) + " HTTP/1.1\" " + std::to_string(status) + " " +
         std::to_string(bytes) + " \"" + std::string(referrer) + "\" \"" + std::string(agent) +
         "\"\n";
}

Ticks At(std::string_view hh_mm) {
  CalendarTime c{2024, 3, 0, 5, 0, 0, 0, 0};
  c.hour = static_cast<uint16_t>(std::stoi(std::string(hh_mm.substr(0, 2))));
  c.minute = static_cast<uint16_t>(std::stoi(std::string(hh_mm.substr(3, 2))));
  return *CalendarToTicks(c);
}

class ParseToTablesTest : public ::testing::Test {
 protected:
  ParseToTablesTest() : db_(prompter_, dir_.str()) {}

  void SetUp() override {
    fs::create_directories(dir_.path() / "logs");
    ASSERT_TRUE(db_.Create());
    db_.Release();
    settings_.workspace_folder = dir_.str();
    settings_.workspace_name = "Example";
    settings_.log_format_mode = LogFormatMode::kCustom;
    settings_.stored_format = kCombined;
    settings_.options.default_file = "index.html";
    analysis_.server_names = "www.example.com, example.com";
  }
  void TearDown() override { db_.CloseNow(); }

  void WriteLog(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / ("logs/" + name), std::ios::binary) << text;
  }
  ParseRunSummary Parse() {
    RequestProcessor processor(db_, analysis_, classifiers_);
    NullProgressView view;
    ParseCommandResult result = RunParseCommand(settings_, db_, processor, prompter_, view);
    // Reading needs a use of its own, as the report side takes.
    EXPECT_TRUE(db_.Open());
    return result.summary;
  }
  void DoneReading() { db_.Release(); }

  std::string Url(int32_t resource) { return std::string(db_.resources().Get(resource)); }
  std::vector<std::string> Urls(SequenceTable& table, int32_t handle) {
    std::vector<std::string> urls;
    if (handle < 0) return urls;
    const std::vector<int32_t> list = table.Get(handle).ToVector();
    EXPECT_EQ(list.at(0) + 1, static_cast<int32_t>(list.size()));
    for (size_t i = 1; i < list.size(); ++i) urls.push_back(Url(list[i]));
    return urls;
  }
  std::string Referrer(int32_t id) { return std::string(db_.referer_strings().Get(id)); }
  std::string Agent(int32_t id) { return std::string(db_.user_agent_strings().Get(id)); }

  testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_;
  ParseSettings settings_;
  RequestProcessorSettings analysis_;
  StandardClassifiers classifiers_;
};

TEST_F(ParseToTablesTest, TwoRunsFillVisitsListsErrorsSpidersAndHours) {
  WriteLog("a.log",
           Line("10.0.0.1", "10:00:00", "GET /index.html", 200, 1000, kSearch, kFirefox) +
               Line("10.0.0.1", "10:05:00", "GET /about.html", 200, 500, kOwnPage, kFirefox) +
               Line("10.0.0.1", "10:06:00", "GET /files/tool.zip", 200, 5000, kOwnPage, kFirefox) +
               Line("10.0.0.1", "10:07:00", "GET /pics/logo.gif", 200, 300, kOwnPage, kFirefox) +
               Line("10.0.0.1", "10:08:00", "GET /missing.html", 404, 0, kOwnPage, kFirefox) +
               Line("66.249.66.1", "10:10:00", "GET /robots.txt", 200, 50, "-", kGooglebot) +
               Line("10.0.0.2", "10:20:00", "GET /", 200, 1000, "-", kChrome) +
               Line("10.0.0.1", "10:50:00", "GET /index.html", 200, 1000, "-", kFirefox) +
               Line("10.0.0.3", "11:00:00", "GET /cgi/run.cgi?x=1", 500, 10, "-", kCurl) +
               Line("10.0.0.3", "11:01:00", "GET /scripts/root.exe", 404, 20, "-", kCurl) +
               "this line is no request\n");
  // The second file of the run brings a request from before the first visit began.
  WriteLog("b.log", Line("10.0.0.1", "09:50:00", "GET /start.html", 200, 100, "-", kFirefox));
  const ParseRunSummary first = Parse();
  EXPECT_EQ(first.parsed_files, 2);
  EXPECT_EQ(first.total_lines, 12);
  EXPECT_EQ(first.total_errors, 1);

  // Sessions: 10.0.0.1 twice (10:08 to 10:50 is beyond the timeout), 10.0.0.2 and 10.0.0.3;
  // the spider opened none.
  ASSERT_EQ(db_.sessions().Count(), 4);
  const SessionRecord v0 = db_.sessions().Get(0);
  EXPECT_EQ(v0.visitor_address, 0x0A000001u);
  EXPECT_EQ(v0.first_request_time.value(), At("09:50"));
  EXPECT_EQ(v0.last_request_time.value(), At("10:08"));
  EXPECT_EQ(Referrer(v0.referrer), kSearch);  // the search engine stays over later referrers
  EXPECT_EQ(Agent(v0.page_user_agent), kFirefox);
  const SessionDetailRecord d0 = db_.session_details().Get(0);
  EXPECT_EQ(d0.flag, 1u);
  EXPECT_THAT(Urls(db_.pages(), d0.page_path),
              ElementsAre("/index.html", "/about.html", "/missing.html", "/start.html"));
  EXPECT_THAT(Urls(db_.downloads(), d0.downloads), ElementsAre("/files/tool.zip"));
  EXPECT_EQ(d0.images, -1);  // logo.gif is undefined and non-visit under the default rules
  EXPECT_EQ(d0.download_bytes, 5000u);
  EXPECT_EQ(d0.bytes_sent, 1000u + 500 + 5000 + 300 + 0 + 100);
  ASSERT_GE(d0.errors, 0);
  const std::vector<int32_t> errors0 = db_.errors().Get(d0.errors).ToVector();
  ASSERT_THAT(errors0, ElementsAre(1, ::testing::_));
  const ErrorRecord e404 = db_.error_records().Get(errors0[1]);
  EXPECT_EQ(e404.status, 404);
  EXPECT_EQ(Url(e404.resource), "/missing.html");
  EXPECT_EQ(Referrer(e404.referrer), kOwnPage);

  const SessionDetailRecord d1 = db_.session_details().Get(1);
  EXPECT_THAT(Urls(db_.pages(), d1.page_path), ElementsAre("/index.html"));
  EXPECT_EQ(Referrer(db_.sessions().Get(1).referrer), "-");
  // Visit 2 has the same single page as visit 1: one stored sequence serves both.
  EXPECT_EQ(db_.session_details().Get(2).page_path, d1.page_path);
  const SessionDetailRecord d3 = db_.session_details().Get(3);
  // A server error is filed, and listed, per query.
  EXPECT_THAT(Urls(db_.pages(), d3.page_path), ElementsAre("/cgi/run.cgi?x=1"));

  // Spiders: the robot's request, which joined no visit.
  ASSERT_EQ(db_.spiders().Count(), 1);
  const SpiderHitRecord hit = db_.spiders().Get(0);
  // Stored as completion leaves it, every '+' a space.
  EXPECT_EQ(Agent(hit.user_agent),
            "Mozilla/5.0 (compatible; Googlebot/2.1;  http://www.google.com/bot.html)");
  EXPECT_EQ(Url(hit.resource), "/robots.txt");
  EXPECT_EQ(hit.time.value(), At("10:10"));
  EXPECT_GE(db_.user_agents().Get(hit.user_agent).spider, 0);

  DoneReading();

  // A later run: 10.0.0.2 comes back within the timeout from another site, so its stored list
  // is extended and its referrer of kind "none" upgraded.
  WriteLog("c.log", Line("10.0.0.2", "10:40:00", "GET /about.html", 200, 500, kBlog, kChrome));
  EXPECT_EQ(Parse().parsed_files, 1);
  EXPECT_EQ(db_.sessions().Count(), 4);
  EXPECT_EQ(db_.sessions().Get(1).last_request_time.value(), At("10:40"));
  EXPECT_EQ(Referrer(db_.sessions().Get(1).referrer), kBlog);
  EXPECT_THAT(Urls(db_.pages(), db_.session_details().Get(1).page_path),
              ElementsAre("/index.html", "/about.html"));
  EXPECT_THAT(Urls(db_.pages(), db_.session_details().Get(2).page_path),
              ElementsAre("/index.html"));  // the shared sequence did not change
  DoneReading();
}

TEST_F(ParseToTablesTest, HostNameClientsAndNonVisitRequests) {
  analysis_.advanced_visit_detection = false;
  WriteLog("a.log",
           Line("abc", "10:00:00", "GET /pics/a.gif", 200, 10, "-", kFirefox) +
               Line("abc", "10:01:00", "GET /favicon.ico", 200, 10, "-", kFirefox) +
               Line("proxy.example.de", "10:02:00", "GET /index.html", 200, 10, "-", kFirefox) +
               Line("abc", "10:03:00", "GET /index.html", 200, 10, "-", kFirefox));
  Parse();
  ASSERT_EQ(db_.sessions().Count(), 2);
  EXPECT_EQ(db_.sessions().Get(0).visitor_address, 0x8CBB73u);
  const SessionDetailRecord named = db_.session_details().Get(0);
  EXPECT_EQ(named.flag, 1u);  // non-visit until /index.html at 10:03
  EXPECT_THAT(Urls(db_.images(), named.images), ElementsAre("/favicon.ico"));
  const SessionDetailRecord german = db_.session_details().Get(1);
  EXPECT_EQ(german.country, SharedCountryTable().CountryOfHostName("proxy.example.de"));
  EXPECT_NE(german.country, 0u);
  DoneReading();
}

}  // namespace
}  // namespace velmora
