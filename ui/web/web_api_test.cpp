// The page's API on a new workspace and on none: what each call answers for good and bad input.
#include "ui/web/web_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/parse_operation.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"
#include "workspace/tips.h"

namespace velmora::web {
namespace {

using nlohmann::json;

struct Call {
  const char* what;
  ApiReply (*call)(WebApi&);
  int status;
};

TEST(WebApiTest, AnswersEveryCallWithAStatusThePageActsOn) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  const Call calls[] = {
      {"state", [](WebApi& a) { return a.State(); }, 200},
      {"tree", [](WebApi& a) { return a.Tree(); }, 200},
      {"a report", [](WebApi& a) { return a.Report("pagesreq", 2, 1000); }, 200},
      {"the summary", [](WebApi& a) { return a.Report("traffic", 0, 0); }, 200},
      {"an unknown report", [](WebApi& a) { return a.Report("nosuch", 2, 0); }, 400},
      {"a period out of range", [](WebApi& a) { return a.Report("pagesreq", 5, 0); }, 400},
      {"a negative row count", [](WebApi& a) { return a.Report("pagesreq", 2, -1); }, 400},
      {"a chart of no rows", [](WebApi& a) { return a.Chart("pagesreq", 2, 768); }, 404},
      {"a chart too narrow", [](WebApi& a) { return a.Chart("pagesreq", 2, 1); }, 400},
      {"a day",
       [](WebApi& a) {
         return a.PickDay(json{{"day", "2026-11-05"}});
       },
       200},
      {"no such day",
       [](WebApi& a) {
         return a.PickDay(json{{"day", "2026-13-01"}});
       },
       400},
      {"a day that is no text",
       [](WebApi& a) {
         return a.PickDay(json{{"day", 5}});
       },
       400},
      {"the workspace's day again",
       [](WebApi& a) {
         return a.PickDay(json{{"day", nullptr}});
       },
       200},
      {"a body that is no object", [](WebApi& a) { return a.PickDay(json::array()); }, 400},
      {"a filter bar change",
       [](WebApi& a) {
         return a.ChangeFilters(json{{"filter-bar", {{"ip-filter", "10.0.0.1"}}}});
       },
       200},
      {"a setting beyond the filter bar",
       [](WebApi& a) {
         return a.ChangeFilters(json{{"ftp-password", "x"}});
       },
       400},
      {"a recent entry that is not there",
       [](WebApi& a) {
         return a.OpenRecent(json{{"index", 99}});
       },
       400},
      {"a recent entry by a negative number",
       [](WebApi& a) {
         return a.OpenRecent(json{{"index", -1}});
       },
       400},
      {"the most recent workspace",
       [](WebApi& a) {
         return a.OpenRecent(json{{"index", 0}});
       },
       200},
      {"the parsing log before any parse", [](WebApi& a) { return a.ParsingLog(); }, 404},
      {"removing data unasked", [](WebApi& a) { return a.RemoveAllData(json::object()); }, 400},
      {"removing data by a word",
       [](WebApi& a) {
         return a.RemoveAllData(json{{"confirmed", "yes"}});
       },
       400},
      {"an export of no report",
       [](WebApi& a) {
         return a.StartExport(json{{"id", "nosuch"}});
       },
       400},
      {"an export with a negative limit",
       [](WebApi& a) {
         return a.StartExport(json{{"id", "all"}, {"limit", -1}});
       },
       400},
      {"an export by no period",
       [](WebApi& a) {
         return a.StartExport(json{{"id", "all"}, {"sort", 5}});
       },
       400},
      {"an exported file that is not there", [](WebApi& a) { return a.ExportedFile("x.htm"); },
       404},
      {"the next tip", [](WebApi& a) { return a.NextTip(); }, 200},
      {"tips at startup on",
       [](WebApi& a) {
         return a.SetTipAtStartup(json{{"show", true}});
       },
       200},
      {"tips at startup by a word",
       [](WebApi& a) {
         return a.SetTipAtStartup(json{{"show", "yes"}});
       },
       400},
      {"tips at startup unsaid", [](WebApi& a) { return a.SetTipAtStartup(json::object()); }, 400},
  };
  WebApi api("", Preferences(prefs));
  for (const Call& c : calls) {
    const ApiReply reply = c.call(api);
    EXPECT_EQ(reply.status, c.status) << c.what << ": " << reply.body;
    if (reply.content_type == kJsonType) {
      EXPECT_FALSE(json::parse(reply.body, nullptr, false).is_discarded()) << c.what;
    }
  }
  const json state = json::parse(api.State().body);
  EXPECT_EQ(state["title"], "[site] - Velmora");
  EXPECT_EQ(state["filters"]["filter-bar"]["ip-filter"], "10.0.0.1");
  EXPECT_EQ(json::parse(api.Tree().body).size(), 146u);
}

TEST(WebApiTest, WithoutAWorkspaceSaysSo) {
  testing::TempDir dir;
  WebApi api("", Preferences(dir / "preferences.ini"));
  const json state = json::parse(api.State().body);
  EXPECT_EQ(state["title"], "[No Workspace Loaded] - Velmora");
  EXPECT_TRUE(state["workspace"].is_null());
  EXPECT_EQ(api.Report("pagesreq", 2, 0).status, 409);
  EXPECT_EQ(api.Chart("pagesreq", 2, 768).status, 409);
  EXPECT_EQ(api.ChangeFilters(json::object()).status, 409);
  EXPECT_EQ(api.ParsingLog().status, 409);
  EXPECT_EQ(api.RemoveAllData(json{{"confirmed", true}}).status, 409);
}

// A workspace with one parsed request, the most recent one in `prefs`.
void MakeParsedWorkspace(const testing::TempDir& dir, const std::string& prefs) {
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  const std::string folder = dir / "site";
  std::ofstream(folder + "/logs/access.log")
      << "192.0.2.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /index.html HTTP/1.1\" 200 512 \"-\" "
         "\"Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0\"\n";
  {
    Session parser(prompter, Preferences(prefs));
    NullProgressView view;
    ASSERT_TRUE(RunParse(parser, folder, view, nullptr).ok());
  }
}

TEST(WebApiTest, ShowsTheParsingLogAndRemovesAllParsedData) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  MakeParsedWorkspace(dir, prefs);
  WebApi api("", Preferences(prefs));
  EXPECT_TRUE(json::parse(api.State().body)["workspace"]["parsing_log"].get<bool>());
  const ApiReply log = api.ParsingLog();
  ASSERT_EQ(log.status, 200) << log.body;
  EXPECT_NE(json::parse(log.body)["text"].get<std::string>().find("access.log"), std::string::npos);

  const auto total = [&api] {
    return json::parse(api.Report("traffic", 4, 0).body)["rows"].dump();
  };
  const std::string parsed = total();
  const ApiReply removed = api.RemoveAllData(json{{"confirmed", true}});
  ASSERT_EQ(removed.status, 200) << removed.body;
  EXPECT_TRUE(json::parse(removed.body)["messages"].empty()) << "the page asked already";
  EXPECT_NE(total(), parsed) << "the summary counts nothing any more";
  EXPECT_EQ(api.Report("pagesreq", 4, 0).status, 200);
  EXPECT_TRUE(json::parse(api.Report("pagesreq", 4, 0).body)["rows"].empty());
}

TEST(WebApiTest, ExportsOnItsOwnThreadAndHandsOutThePage) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  MakeParsedWorkspace(dir, prefs);
  WebApi api("", Preferences(prefs));
  const auto finished = [&api] {
    json status = json::parse(api.ExportStatus().body);
    for (int i = 0; i < 3000 && status["running"].get<bool>(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      status = json::parse(api.ExportStatus().body);
    }
    return status;
  };
  ASSERT_EQ(api.StartExport(json{{"id", "all"}, {"limit", 1}, {"sort", 3}}).status, 200);
  const json all = finished();
  ASSERT_TRUE(all["outcome"].is_object()) << all.dump();
  EXPECT_EQ(all["outcome"]["file"], "All Reports.htm") << all.dump();
  EXPECT_GT(all["outcome"]["reports"].get<int>(), 100);
  EXPECT_FALSE(all["outcome"]["cancelled"].get<bool>());
  const ApiReply page = api.ExportedFile("All Reports.htm");
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.content_type, "text/html");
  EXPECT_NE(page.body.find("</HTML>"), std::string::npos);

  ASSERT_EQ(api.StartExport(json{{"id", "pagesreq"}}).status, 200);
  EXPECT_EQ(finished()["outcome"]["file"], "pagesreq.htm");
  EXPECT_EQ(api.ExportedFile("pagesreq.htm").status, 200);
  EXPECT_EQ(api.ExportedFile("../site.stw").status, 404);
  EXPECT_EQ(api.Report("pagesreq", 2, 0).status, 200) << "the workspace is free again";
}

// The tips go round whether a workspace is open or not, and both choices outlive the server.
TEST(WebApiTest, KeepsTheTipOfTheDayInThePreferences) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  {
    WebApi api("", Preferences(prefs));
    EXPECT_FALSE(json::parse(api.State().body)["show_tip_at_startup"].get<bool>());
    for (size_t expected : {0u, 1u, 2u, 3u, 4u, 5u, 0u}) {
      const json tip = json::parse(api.NextTip().body);
      EXPECT_EQ(tip["index"], expected);
      EXPECT_EQ(tip["text"], kTipsOfTheDay[expected]);
    }
    const json state = json::parse(api.SetTipAtStartup(json{{"show", true}}).body);
    EXPECT_TRUE(state["show_tip_at_startup"].get<bool>());
  }
  WebApi again("", Preferences(prefs));
  EXPECT_TRUE(json::parse(again.State().body)["show_tip_at_startup"].get<bool>());
  EXPECT_EQ(json::parse(again.NextTip().body)["index"], 1);
  again.SetTipAtStartup(json{{"show", false}});
  EXPECT_FALSE(ShowTipAtStartup(Preferences(prefs)));
}

}  // namespace
}  // namespace velmora::web
