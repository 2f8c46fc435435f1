// Changing the filter bar and the saved report filters as a front end does: every change is
// checked as a whole, saved at once and read back by the next session.
#include "app/filter_bar_operation.h"

#include <gtest/gtest.h>

#include "app/session.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using nlohmann::json;

struct Change {
  const char* what;
  const char* document;
  bool ok;
};

TEST(FilterBarOperationTest, ChangesAreCheckedWhollyAndSavedAtOnce) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  const Change changes[] = {
      {"quick filter", R"({"filter-bar": {"filter-mode": 1, "quick-target": 9,
                           "quick-operation": 0, "quick-value": "Germany"}})",
       true},
      {"IP filter and the periods", R"({"filter-bar": {"ip-filter": "10.1.0.0/16",
                                       "time-interval": 3, "custom-weeks": 8}})",
       true},
      {"saved filters", R"({"report-filters": [
           {"name": "Germans", "match-mode": 0,
            "conditions": [{"target": 9, "operation": 0, "value": "Germany"}]},
           {"name": "Either", "match-mode": 1, "conditions": []}]})",
       true},
      {"nothing", "{}", true},
      {"a key beyond the filter bar", R"({"ftp-password": "x"})", false},
      {"not an object", "[1]", false},
      {"mode out of range", R"({"filter-bar": {"filter-mode": 3}})", false},
      {"days out of range", R"({"filter-bar": {"time-interval": 4}})", false},
      {"IP filter too long", R"({"filter-bar": {"ip-filter": "1234567890123456789012"}})", false},
      {"condition target out of range",
       R"({"report-filters": [{"name": "x", "conditions": [{"target": 10}]}]})", false},
      {"unnamed saved filter", R"({"report-filters": [{"name": ""}]})", false},
      {"repeated names", R"({"report-filters": [{"name": "a"}, {"name": "a"}]})", false},
  };
  Session session(prompter, Preferences(prefs));
  ASSERT_TRUE(session.Open("").ok());
  for (const Change& change : changes) {
    const WorkspaceSettings before = session.workspace().settings();
    const Status status = ChangeFilterBar(session.workspace(), json::parse(change.document));
    EXPECT_EQ(status.ok(), change.ok) << change.what;
    if (!status.ok()) {
      EXPECT_EQ(status.error().kind, ErrorKind::kBadRequest) << change.what;
      EXPECT_EQ(session.workspace().settings(), before) << change.what;
    }
  }

  Session again(prompter, Preferences(prefs));
  ASSERT_TRUE(again.Open("").ok());
  const json saved = FilterBarJson(again.workspace().settings());
  EXPECT_EQ(saved["filter-bar"]["filter-mode"], 1);
  EXPECT_EQ(saved["filter-bar"]["quick-value"], "Germany");
  EXPECT_EQ(saved["filter-bar"]["ip-filter"], "10.1.0.0/16");
  EXPECT_EQ(saved["filter-bar"]["time-interval"], 3);
  EXPECT_EQ(saved["filter-bar"]["custom-weeks"], 8);
  ASSERT_EQ(saved["report-filters"].size(), 2u);
  EXPECT_EQ(saved["report-filters"][0]["conditions"][0]["value"], "Germany");
  EXPECT_EQ(saved["report-filters"][1]["match-mode"], 1);
}

}  // namespace
}  // namespace velmora
