// The settings and log-file calls of the page's API: their statuses for good and bad input, with
// and without a workspace, and no password in any reply.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"
#include "ui/web/web_api.h"

namespace velmora::web {
namespace {

using nlohmann::json;

constexpr const char* kSecret = "Pa55-w0rd-of-the-test";

struct Call {
  const char* what;
  ApiReply (*call)(WebApi&);
  int status;
  const char* field = "";  // the setting a refusal names
};

TEST(WebApiSettingsTest, AnswersTheDialogsCallsAndNeverSendsAPassword) {
  // Without a desktop, so that nothing opens on the screen of whoever runs the tests.
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  const Call calls[] = {
      {"a password typed",
       [](WebApi& a) {
         return a.ChangeSettings(json{{"ftp-password", kSecret}});
       },
       200},
      {"the settings", [](WebApi& a) { return a.Settings(); }, 200},
      {"a good value",
       [](WebApi& a) {
         return a.ChangeSettings(json{{"ftp-port", 2121}});
       },
       200},
      {"a bad value",
       [](WebApi& a) {
         return a.ChangeSettings(json{{"ftp-port", 0}});
       },
       400, "ftp-port"},
      {"no object", [](WebApi& a) { return a.ChangeSettings(json::array()); }, 400},
      {"the log files", [](WebApi& a) { return a.LogFiles(); }, 200},
      {"the folder without a desktop", [](WebApi& a) { return a.OpenLogsFolder(); }, 409},
  };
  WebApi api("", Preferences(prefs));
  for (const Call& call : calls) {
    const ApiReply reply = call.call(api);
    EXPECT_EQ(reply.status, call.status) << call.what << ": " << reply.body;
    EXPECT_EQ(reply.body.find(kSecret), std::string::npos) << call.what;
    const json body = json::parse(reply.body);
    if (*call.field != '\0') {
      EXPECT_EQ(body["field"], call.field) << call.what;
    }
  }
  const json settings = json::parse(api.Settings().body);
  EXPECT_EQ(settings["ftp-password-set"], true);
  EXPECT_EQ(settings["ftp-port"], 2121);
  EXPECT_TRUE(json::parse(api.LogFiles().body)["files"].empty());

  testing::TempDir empty;
  WebApi none("", Preferences(empty / "preferences.ini"));
  for (const Call& call : calls) EXPECT_EQ(call.call(none).status, 409) << call.what;
}

}  // namespace
}  // namespace velmora::web
