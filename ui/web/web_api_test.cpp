// The page's API on a new workspace and on none: what each call answers for good and bad input.
#include "ui/web/web_api.h"

#include <gtest/gtest.h>

#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"

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
}

}  // namespace
}  // namespace velmora::web
