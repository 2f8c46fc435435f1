// The settings dialog's change as the page sends it: every page's values pass the checks of
// `velmora settings set`, a refusal names its field and changes nothing on disk or in memory, and
// the passwords stay unless a new one is sent.
#include "app/settings_operation.h"

#include <gtest/gtest.h>

#include "app/session.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using nlohmann::json;

struct Change {
  const char* page;
  const char* document;
  const char* refused_field;  // nullptr: accepted
  bool parsing_changed = false;
};

class SettingsOperationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::MakeTestWorkspace(prompter_, prefs_, dir_.str());
    ASSERT_TRUE(session_.Open("").ok());
  }
  WorkspaceSettings Saved() {
    Session again(prompter_, Preferences(prefs_));
    EXPECT_TRUE(again.Open("").ok());
    return again.workspace().settings();
  }

  testing::TempDir dir_;
  std::string prefs_ = dir_ / "preferences.ini";
  ScriptedPrompter prompter_{true};
  Session session_{prompter_, Preferences(prefs_)};
};

TEST_F(SettingsOperationTest, EveryPageIsCheckedAsTheCommandLineChecksIt) {
  const Change changes[] = {
      {"General", R"({"server-names": "www.a.example,a.example", "default-file": "index.html",
                     "session-timeout": 20, "advanced-visit-detection": 0})",
       nullptr, true},
      {"General", R"({"session-timeout": 0})", "session-timeout"},
      {"General", R"({"workspace-name": "other"})", "workspace-name"},
      {"Log Files",
       R"({"log-format-mode": 2, "custom-format": "%S %j %u [%d/%M/%Y:%h:%n:%o%j] \"%e %r %j\" %c %b",
                       "retrieve-method": 1, "local-compression": 0})",
       nullptr, true},
      {"Log Files", R"({"local-compression": "zip"})", "local-compression"},
      {"HTTP Settings", R"({"http-server": "logs.example", "fetchlet-path": "/logs/fl.php",
                           "http-log-path": "/l", "http-user": "me", "fetchlet-gzip": 0,
                           "http-files-to-keep": 9999})",
       nullptr},
      {"HTTP Settings", R"({"http-files-to-keep": 10000})", "http-files-to-keep"},
      {"FTP Settings", R"({"ftp-server": "ftp.a.example", "ftp-port": 2121, "ftp-login": "anon",
                          "passive-ftp": 0, "ftp-log-path": "/var/log/"})",
       nullptr},
      {"FTP Settings", R"({"ftp-port": "21x"})", "ftp-port"},
      {"FTP Settings", R"({"ftp-port": true})", "ftp-port"},
      {"File Types", R"({"resource-masks": [{"mask": "*.htm", "request-class": 257, "group": 0},
                                            {"mask": "*", "request-class": 512, "group": 1}]})",
       nullptr, true},
      {"File Types", R"({"resource-masks": [{"mask": "*.x", "request-class": 772, "group": 0}]})",
       "resource-masks"},
      {"Time Settings", R"({"server-time-zone": 20, "your-time-zone": 30, "switch-to-recent": 0})",
       nullptr, true},
      {"Export", R"({"export-limit": 0, "combined-export-limit": 50, "open-exported-report": 0})",
       nullptr},
      {"Filters", R"({"enable-filters": 1, "log-filters": [{"name": "Local",
                     "address-operation": 3, "address-text": "10.0.0.0/8"}]})",
       nullptr, true},
      {"Filters", R"({"log-filters": [{"name": "Bad", "address-operation": 1,
                     "address-text": "not an address"}]})",
       "log-filters"},
      {"Filters", R"({"log-filters": [{"name": "Bad", "type-action": 5}]})", "log-filters"},
      {"no page", R"({"filter-bar": {"filter-mode": 1}})", "filter-bar"},
      {"no page", R"({"no-such-setting": 1})", "no-such-setting"},
      {"nothing", "{}", nullptr},
  };
  for (const Change& change : changes) {
    const WorkspaceSettings before = session_.workspace().settings();
    const WorkspaceSettings saved_before = Saved();
    const SettingsChangeOutcome outcome =
        ChangeWorkspaceSettings(session_.workspace(), json::parse(change.document));
    const std::string what = std::string(change.page) + ": " + change.document;
    if (change.refused_field == nullptr) {
      EXPECT_TRUE(outcome.status.ok()) << what << ": " << outcome.status.error().message;
      EXPECT_EQ(outcome.parsing_changed, change.parsing_changed) << what;
      EXPECT_EQ(Saved(), session_.workspace().settings()) << what << ": saved at once";
    } else {
      ASSERT_FALSE(outcome.status.ok()) << what;
      EXPECT_EQ(outcome.status.error().kind, ErrorKind::kBadRequest) << what;
      EXPECT_EQ(outcome.field, change.refused_field) << what;
      EXPECT_FALSE(outcome.status.error().message.empty()) << what;
      EXPECT_EQ(session_.workspace().settings(), before) << what;
      EXPECT_EQ(Saved(), saved_before) << what << ": nothing written";
    }
  }
  const WorkspaceSettings saved = Saved();
  EXPECT_EQ(saved.block.session_timeout, 20);
  EXPECT_EQ(saved.block.ftp_port, 2121);
  EXPECT_EQ(saved.block.http_files_to_keep, 9999);
  EXPECT_EQ(saved.log_filters.at(0).address, 0x0A000000u) << "the network is read from its text";
  EXPECT_EQ(saved.log_filters.at(0).address_mask, 0xFF000000u);
}

TEST_F(SettingsOperationTest, RefusedMessagesReadBesideTheirField) {
  const SettingsChangeOutcome outcome =
      ChangeWorkspaceSettings(session_.workspace(), json{{"ftp-port", 0}});
  EXPECT_EQ(outcome.status.error().message, "Must be a whole number from 1 to 65535");
  const SettingsChangeOutcome zone =
      ChangeWorkspaceSettings(session_.workspace(), json{{"server-time-zone", 99}});
  EXPECT_EQ(zone.status.error().message.find("the zones are"), std::string::npos)
      << "the page lists the zones itself";
}

TEST_F(SettingsOperationTest, PasswordsStayUnlessANewOneIsSentAndNeverTravel) {
  ASSERT_TRUE(ChangeWorkspaceSettings(session_.workspace(),
                                      json{{"ftp-password", "s3cret"}, {"http-password", "h1dden"}})
                  .status.ok());
  const json shown = SettingsDialogJson(session_.workspace().settings());
  EXPECT_FALSE(shown.contains("ftp-password"));
  EXPECT_FALSE(shown.contains("http-password"));
  EXPECT_EQ(shown["ftp-password-set"], true);
  EXPECT_EQ(shown["http-password-set"], true);
  EXPECT_EQ(shown.dump().find("s3cret"), std::string::npos);
  EXPECT_EQ(shown.dump().find("h1dden"), std::string::npos);
  EXPECT_EQ(shown["time-zones"].size(), 74u);

  // The server names and user names key the scrambling: the passwords survive their change.
  ASSERT_TRUE(ChangeWorkspaceSettings(session_.workspace(),
                                      json{{"server-names", "new.example"}, {"ftp-login", "x"}})
                  .status.ok());
  EXPECT_EQ(Saved().block.ftp_password, "s3cret");
  EXPECT_EQ(Saved().block.http_password, "h1dden");

  ASSERT_TRUE(
      ChangeWorkspaceSettings(session_.workspace(), json{{"ftp-password", ""}}).status.ok());
  EXPECT_EQ(Saved().block.ftp_password, "") << "an empty text typed clears it";
  EXPECT_EQ(Saved().block.http_password, "h1dden");
  EXPECT_EQ(SettingsDialogJson(Saved())["ftp-password-set"], false);
}

}  // namespace
}  // namespace velmora
