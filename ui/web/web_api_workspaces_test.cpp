// The File menu's calls in the order the page makes them: the wizard's refusals, the question
// before files are overwritten, the workspace opened once made, and the folder browser's limits.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "ui/web/web_api.h"

namespace velmora::web {
namespace {

using nlohmann::json;

TEST(WebApiWorkspacesTest, MakesOpensAndBrowsesOnlyWhereThePageMay) {
  testing::TempDir dir;
  const std::string home = std::filesystem::canonical(dir.path()).string();
  testing::ScopedEnv env;
  env.Set("HOME", home);
  env.Set("XDG_DOCUMENTS_DIR", std::nullopt);
  WebApi api("", Preferences(dir / "preferences.ini"));
  const std::string ws = home + "/ws";
  const json ftp = {{"retrieve-method", "ftp"}, {"ftp-password", "s3cret-pass"}};
  struct Step {
    const char* what;
    json body;
    int status;
    json expected;  // members the reply has, with their values
  };
  const Step steps[] = {
      {"a refused name",
       {{"name", "a:b"}, {"location", ws}},
       200,
       {{"created", false}, {"retry", true}}},
      {"a place outside", {{"name", "site"}, {"location", "/etc"}}, 403, json::object()},
      {"a value refused",
       {{"name", "site"}, {"location", ws}, {"settings", {{"ftp-port", "0"}}}},
       400,
       json::object()},
      {"a setting of another kind",
       {{"name", "site"}, {"settings", {{"ftp-port", json::array()}}}},
       400,
       json::object()},
      {"a fresh place",
       {{"name", "site"}, {"location", "~/ws"}, {"settings", ftp}},
       200,
       {{"created", true}, {"title", "[site] - Velmora"}}},
      {"files there",
       {{"name", "site"}, {"location", ws}},
       200,
       {{"question", "This action will overwrite some files in the\n" + ws + "/site"}}},
      {"files there, asked",
       {{"name", "site"}, {"location", ws}, {"confirmed", true}},
       200,
       {{"created", true}}},
  };
  for (const Step& step : steps) {
    const ApiReply reply = api.NewWorkspace(step.body);
    EXPECT_EQ(reply.status, step.status) << step.what << ": " << reply.body;
    EXPECT_EQ(reply.body.find("s3cret"), std::string::npos) << step.what;
    const json body = json::parse(reply.body);
    for (const auto& [key, value] : step.expected.items()) {
      EXPECT_EQ(body[key], value) << step.what << ": " << key;
    }
    if (step.status == 200 && body.value("created", true) == false) {
      EXPECT_EQ(body["messages"][0]["text"], "The workspace name is invalid") << step.what;
    }
  }
  EXPECT_FALSE(std::filesystem::exists("/etc/site"));

  const json defaults = json::parse(api.NewWorkspaceDefaults().body);
  EXPECT_EQ(defaults["location"], home + "/Documents/Velmora Workspaces/");
  EXPECT_EQ(defaults["settings"]["ftp-port"], "21");
  EXPECT_EQ(defaults["settings"]["ftp-password"], "");

  EXPECT_EQ(json::parse(api.Browse("", false).body)["path"], home);
  EXPECT_EQ(json::parse(api.Browse(ws, true).body)["entries"][0]["name"], "site");
  EXPECT_EQ(api.Browse("/etc", false).status, 403);
  EXPECT_EQ(api.Browse(home + "/none", false).status, 404);
  EXPECT_EQ(api.OpenFile({{"path", "/etc/passwd"}}).status, 403);
  EXPECT_EQ(api.OpenFile({{"path", 5}}).status, 400);
  EXPECT_EQ(api.OpenFile(json::array()).status, 400);
  const ApiReply opened = api.OpenFile({{"path", ws + "/site/site.stw"}});
  EXPECT_EQ(opened.status, 200);
  EXPECT_EQ(json::parse(opened.body)["title"], "[site] - Velmora");
}

}  // namespace
}  // namespace velmora::web
