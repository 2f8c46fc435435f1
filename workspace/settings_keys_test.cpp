#include "workspace/settings_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

// Every key in listing order reads its own field of a new workspace and is found by its exact
// name only.
TEST(SettingsKeys, NewWorkspaceValues) {
  const WorkspaceSettings s = NewWorkspaceSettings("Site");
  struct Case {
    const char* key;
    const char* value;
  } const cases[] = {
      {"workspace-name", "Site"},
      {"server-names", ""},
      {"default-file", "index.htm"},
      {"http-server", "www.example.com"},
      {"ftp-server", "ftp.example.com"},
      {"fetchlet-path", "/cgi-bin/fl.dll"},
      {"http-log-path", "/logs"},
      {"ftp-log-path", "/logs/"},
      {"ftp-port", "21"},
      {"passive-ftp", "1"},
      {"http-user", ""},
      {"ftp-login", ""},
      {"http-password", ""},
      {"ftp-password", ""},
      {"retrieval-options", "1"},
      {"fetchlet-gzip", "1"},
      {"http-files-to-keep", "91"},
      {"ftp-files-to-keep", "91"},
      {"retrieve-method", "2"},
      {"local-compression", "1"},
      {"log-format-mode", "1"},
      {"custom-format", ""},
      {"session-timeout", "30"},
      {"server-time-zone", "24"},
      {"your-time-zone", "24"},
      {"switch-to-recent", "1"},
      {"advanced-visit-detection", "1"},
      {"store-full-path", "1"},
      {"enable-filters", "0"},
      {"export-limit", "100"},
      {"combined-export-limit", "30"},
      {"open-exported-report", "1"},
      {"last-import-folder", ""},
  };
  ASSERT_EQ(SettingKeys().size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string_view name = cases[i].key;
    const SettingKey& key = SettingKeys()[i];
    EXPECT_EQ(key.name, name);
    EXPECT_EQ(FindSettingKey(key.name), &key);
    Result<std::string> got = GetSetting(s, name);
    ASSERT_TRUE(got.ok()) << name;
    EXPECT_EQ(got.value(), cases[i].value) << name;
  }
  EXPECT_EQ(FindSettingKey("Session-Timeout"), nullptr);
  EXPECT_FALSE(GetSetting(s, "bogus").ok());
}

// An accepted value reads back as given; a refused one names the setting and what it accepts,
// and changes nothing.
TEST(SettingsKeys, ValuesAreCheckedBeforeAnythingChanges) {
  const std::string must_be_port = "ftp-port must be a whole number from 1 to 65535";
  const std::string must_be_zone =
      "must be a zone number from 0 to 73, a UTC offset such as UTC+01:00 or -05:00, or a zone's "
      "name or a part of it such as London; the zones are:\n   0  (GMT-12:00) Eniwetok, Kwajalein"
      "\n   1  (GMT-11:00)";
  struct Case {
    const char* key;
    std::string value;
    std::string refusal;      // empty: accepted; else what the message starts with
    std::string stored = "";  // what reads back when not the value as given
  } const cases[] = {
      {"log-format-mode", "custom", "", "2"},
      {"retrieve-method", "LOCAL", "", "2"},
      {"retrieve-method", "fetchlet", "", "0"},
      {"local-compression", "none", "", "2"},
      {"enable-filters", "on", "", "1"},
      {"passive-ftp", "Off", "", "0"},
      {"server-time-zone", "UTC+01:00", "", "26"},
      {"your-time-zone", "Tokyo", "", "61"},
      {"your-time-zone", "-05:00", "", "11"},
      {"server-time-zone", "Atlantis", "server-time-zone " + must_be_zone},
      {"server-time-zone", "Time", "server-time-zone " + must_be_zone},
      {"log-format-mode", "apache", "log-format-mode must be w3c (0), auto (1) or custom (2)"},
      {"server-names", "", ""},
      {"default-file", std::string(259, 'd'), ""},
      {"custom-format", std::string(2047, 'c'), ""},
      {"ftp-port", "1", ""},
      {"ftp-port", "65535", ""},
      {"retrieval-options", "15", ""},
      {"http-files-to-keep", "9999", ""},
      {"ftp-files-to-keep", "0", ""},
      {"log-format-mode", "2", ""},
      {"session-timeout", "1", ""},
      {"server-time-zone", "0", ""},
      {"your-time-zone", "73", ""},
      {"export-limit", "0", ""},
      {"combined-export-limit", "2147483647", ""},
      {"last-import-folder", "/var/log/apache2/", ""},
      {"no-such-key", "1", "Unknown setting 'no-such-key'"},
      {"workspace-name", "Other", "workspace-name cannot be changed"},
      {"server-time-zone", "74", "server-time-zone " + must_be_zone},
      {"your-time-zone", "-1", "", "22"},
      {"your-time-zone", "-14", "your-time-zone " + must_be_zone},
      {"session-timeout", "0", "session-timeout must be a whole number from 1 to 2147483647"},
      {"session-timeout", "2147483648",
       "session-timeout must be a whole number from 1 to 2147483647"},
      {"export-limit", "-1", "export-limit must be a whole number from 0 to 2147483647"},
      {"ftp-port", "0", must_be_port},
      {"ftp-port", "65536", must_be_port},
      {"ftp-port", "", must_be_port},
      {"ftp-port", "21 ", must_be_port},
      {"ftp-port", "0x15", must_be_port},
      {"ftp-port", "twenty", must_be_port},
      {"passive-ftp", "2", "passive-ftp must be off (0) or on (1)"},
      {"enable-filters", "yes", "enable-filters must be off (0) or on (1)"},
      {"retrieve-method", "3", "retrieve-method must be fetchlet (0), ftp (1) or local (2)"},
      {"log-format-mode", "3", "log-format-mode must be w3c (0), auto (1) or custom (2)"},
      {"local-compression", "-1", "local-compression must be bzip2 (0), gzip (1) or none (2)"},
      {"retrieval-options", "16", "retrieval-options must be a whole number from 0 to 15"},
      {"http-files-to-keep", "0", "http-files-to-keep must be a whole number from 1 to 9999"},
      {"ftp-files-to-keep", "1000", "ftp-files-to-keep must be a whole number from 0 to 999"},
      {"server-names", std::string(260, 's'), "server-names must be at most 259 characters"},
      {"last-import-folder", std::string(260, '/'),
       "last-import-folder must be at most 259 characters"},
      {"custom-format", std::string(2048, 'c'), "custom-format must be at most 2047 characters"},
      {"http-user", std::string("a\0b", 3), "http-user must not contain a NUL character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    WorkspaceSettings s = NewWorkspaceSettings("Site");
    const WorkspaceSettings before = s;
    Status status = SetSetting(s, c.key, c.value);
    if (c.refusal.empty()) {
      ASSERT_TRUE(status.ok()) << status.error().message;
      EXPECT_EQ(GetSetting(s, c.key).value(), c.stored.empty() ? c.value : c.stored);
    } else {
      ASSERT_FALSE(status.ok());
      EXPECT_EQ(status.error().message.substr(0, c.refusal.size()), c.refusal);
      EXPECT_EQ(s, before);
    }
  }
}

TEST(SettingsKeys, SwitchesChangeOnlyTheirOwnFlagBit) {
  WorkspaceSettings s = NewWorkspaceSettings("Site");
  ASSERT_TRUE(SetSetting(s, "enable-filters", "1").ok());
  EXPECT_EQ(s.block.flags, 7u);
  ASSERT_TRUE(SetSetting(s, "advanced-visit-detection", "0").ok());
  EXPECT_EQ(s.block.flags, 6u);
  ASSERT_TRUE(SetSetting(s, "store-full-path", "0").ok());
  EXPECT_EQ(s.block.flags, 4u);
  s.block.flags |= 0x100;  // an unknown bit read from a file survives
  ASSERT_TRUE(SetSetting(s, "enable-filters", "0").ok());
  EXPECT_EQ(s.block.flags, 0x100u);
}

}  // namespace
}  // namespace velmora
