#include "workspace/settings_json.h"

#include <gtest/gtest.h>

#include "workspace/settings_keys.h"

namespace velmora {
namespace {

WorkspaceSettings RichSettings() {
  WorkspaceSettings s = NewWorkspaceSettings("Source");
  s.block.server_names = "example.org";
  s.block.http_password = "secret";
  s.block.session_timeout = 20;
  s.block.flags = 7;
  s.block.log_format_mode = LogFormatMode::kCustom;
  s.block.custom_format = "%S %j %u";
  s.last_import_folder = "/srv/logs/";
  s.resource_masks.push_back({"*.pdf", 0x102, 5});
  LogFilter f;
  f.name = "No bots";
  f.user_agent_operation = 3;
  f.user_agent_text = "bot";
  f.status = -1;
  f.address = 0xFFFFFFFF;
  f.logging_action = 3;
  s.log_filters = {f, LogFilter{}};
  s.filter_bar = {1, 3, 13, "Germany only", 0, 1, 9, "10.0.0.0/8", "germany"};
  s.report_filters = {{"Germany only", 1, {{9, 0, "Germany"}, {6, 1, "/index.htm"}}},
                      {"Nothing", 0, {}}};
  return s;
}

TEST(SettingsJson, RoundTripCarriesEverythingButTheName) {
  const WorkspaceSettings source = RichSettings();
  const std::string text = SettingsToJsonText(source);
  WorkspaceSettings target = NewWorkspaceSettings("Target");
  Status status = ImportSettingsJsonText(target, text);
  ASSERT_TRUE(status.ok()) << status.error().message;
  WorkspaceSettings expected = source;
  expected.block.workspace_name = "Target";
  EXPECT_EQ(target, expected);
}

TEST(SettingsJson, DocumentShape) {
  const nlohmann::json doc = SettingsToJson(RichSettings());
  for (const SettingKey& k : SettingKeys()) {
    ASSERT_TRUE(doc.contains(std::string(k.name))) << k.name;
    const nlohmann::json& v = doc[std::string(k.name)];
    EXPECT_EQ(v.is_string(), k.kind == SettingKind::kText) << k.name;
    EXPECT_EQ(v.is_number_integer(), k.kind == SettingKind::kNumber) << k.name;
  }
  EXPECT_EQ(doc["session-timeout"], 20);
  EXPECT_EQ(doc["enable-filters"], 1);
  EXPECT_EQ(doc["http-password"], "secret");
  EXPECT_EQ(doc["resource-masks"].size(), 16u);
  EXPECT_EQ(doc["resource-masks"][3],
            (nlohmann::json{{"mask", "*.asp"}, {"request-class", 0x101}, {"group", 1}}));
  EXPECT_EQ(doc["log-filters"][1]["address-text"], "127.0.0.1");
  EXPECT_EQ(doc["log-filters"][0]["status"], -1);
  EXPECT_EQ(doc["log-filters"][0]["address"], 0xFFFFFFFFu);
  EXPECT_EQ(doc["filter-bar"]["ip-filter"], "10.0.0.0/8");
  EXPECT_EQ(doc["report-filters"][0]["conditions"][1]["value"], "/index.htm");
}

TEST(SettingsJson, BytesThatAreNotUtf8AreShownAsLatin1) {
  WorkspaceSettings s = NewWorkspaceSettings("Site");
  s.block.server_names = "caf\xE9";
  s.last_import_folder = "/home/\xC3\xA9t\xC3\xA9/";  // UTF-8 passes unchanged
  const nlohmann::json doc = SettingsToJson(s);
  EXPECT_EQ(doc["server-names"], "caf\xC3\xA9");
  EXPECT_EQ(doc["last-import-folder"], "/home/\xC3\xA9t\xC3\xA9/");
  EXPECT_FALSE(SettingsToJsonText(s).empty());
}

TEST(SettingsJson, PartialDocumentsChangeOnlyWhatTheyName) {
  WorkspaceSettings s = RichSettings();
  ASSERT_TRUE(ImportSettingsJsonText(s, R"({"session-timeout": 45, "workspace-name": "X",
                                            "log-format-mode": "w3c",
                                            "your-time-zone": "UTC+01:00"})")
                  .ok());
  WorkspaceSettings expected = RichSettings();
  expected.block.session_timeout = 45;
  expected.block.log_format_mode = LogFormatMode::kW3cExtended;  // choices, zones by name
  expected.block.your_time_zone = 26;
  EXPECT_EQ(s, expected);

  ASSERT_TRUE(ImportSettingsJsonText(s, R"({"log-filters": [{"name": "Only a name"}],
                                            "filter-bar": {"ip-filter": ""}})")
                  .ok());
  ASSERT_EQ(s.log_filters.size(), 1u);
  LogFilter new_filter;
  new_filter.name = "Only a name";
  EXPECT_EQ(s.log_filters[0], new_filter);
  EXPECT_EQ(s.filter_bar.ip_filter, "");
  EXPECT_EQ(s.filter_bar.quick_value, "germany");  // the rest of the bar is kept
}

TEST(SettingsJson, RefusedDocumentsChangeNothing) {
  struct Case {
    const char* document;
    const char* message;
  } const cases[] = {
      {"{", "The settings document is not valid JSON"},
      {"[1, 2]", "The settings document must be a JSON object"},
      {R"({"colour": "red"})", "Unknown setting 'colour'"},
      {R"({"default-file": "a.htm", "session-timeout": 0})",
       "session-timeout must be a whole number from 1 to 2147483647"},
      {R"({"server-time-zone": true})",
       "server-time-zone must be a zone number from 0 to 73, a UTC offset such as UTC+01:00 or "
       "-05:00, or a zone's name or a part of it such as London"},
      {R"({"log-format-mode": "sometimes"})",
       "log-format-mode must be w3c (0), auto (1) or custom (2)"},
      {R"({"passive-ftp": 2})", "passive-ftp must be off (0) or on (1)"},
      {R"({"export-limit": 1.5})", "export-limit must be a whole number from 0 to 2147483647"},
      {R"({"ftp-port": 18446744073709551615})", "ftp-port must be a whole number from 1 to 65535"},
      {R"({"server-names": 5})", "server-names must be a text"},
      {R"({"resource-masks": {}})", "resource-masks must be a list"},
      {R"({"resource-masks": [{"mask": "*.x", "request-class": 772}]})",
       "resource-masks[0].request-class must be a whole number from 0 to 767"},
      {R"({"resource-masks": [{"mask": "*.x", "request-class": 4}]})",
       "resource-masks[0].request-class must be a resource type 0..3 plus 0, 0x100 or 0x200"},
      {R"({"log-filters": [{}, {"colour": 1}]})", "Unknown field 'colour' in log-filters[1]"},
      {R"({"log-filters": [{"method-operation": 3}]})",
       "log-filters[0].method-operation must be a whole number from 0 to 2"},
      {R"({"log-filters": [{"continue": -1}]})", "log-filters[0].continue must be 0 or 1"},
      {R"({"log-filters": [{"address": 4294967296}]})",
       "log-filters[0].address must be a whole number from 0 to 4294967295"},
      {R"({"log-filters": [5]})", "log-filters[0] must be an object"},
      {R"({"filter-bar": {"ip-filter": "123456789012345678901"}})",
       "filter-bar.ip-filter must be at most 20 characters"},
      {R"({"filter-bar": {"time-interval": 0}})",
       "filter-bar.time-interval must be a whole number from 1 to 3"},
      {R"({"report-filters": [{"name": "a", "conditions": [{"target": 10}]}]})",
       "report-filters[0].conditions[0].target must be a whole number from 0 to 9"},
      {R"({"report-filters": [{"conditions": [{"value": "a\u0000b"}]}]})",
       "report-filters[0].conditions[0].value must not contain a NUL character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    WorkspaceSettings s = RichSettings();
    Status status = ImportSettingsJsonText(s, c.document);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().message, c.message);
    EXPECT_EQ(s, RichSettings());
  }
}

}  // namespace
}  // namespace velmora
