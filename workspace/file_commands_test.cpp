#include "workspace/file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"
#include "workspace/recent_list.h"
#include "workspace/settings_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class FileCommandsTest : public ::testing::Test {
 protected:
  // A settings file that opens without touching a database (no switch to recent statistics).
  std::string MakeWorkspaceFile(const std::string& name) {
    const std::string folder = dir_ / name;
    fs::create_directories(folder);
    WorkspaceSettings s = NewWorkspaceSettings(name);
    s.block.switch_to_recent = 0;
    const std::string path = folder + "/" + name + ".stw";
    std::ofstream(path, std::ios::binary) << EncodeWorkspaceFile(s, 1);
    return path;
  }
  std::vector<std::string> Recent() { return RecentList::Load(prefs_).MostRecentFirst(); }

  TempDir dir_;
  Preferences prefs_{dir_ / "prefs/preferences.ini"};
  ScriptedPrompter prompter_{/*assume_yes=*/true};
  Workspace ws_{prompter_};
};

TEST_F(FileCommandsTest, OpeningListsTheWorkspaceOnceAsMostRecentUnlessItFails) {
  const std::string a = MakeWorkspaceFile("a");
  const std::string b = MakeWorkspaceFile("b");
  for (const std::string& path : {a, b, b, a}) {  // b again: the same database stays
    ASSERT_TRUE(OpenWorkspaceCommand(ws_, prefs_, path).ok());
  }
  EXPECT_EQ(Recent(), (std::vector<std::string>{a, b}));
  EXPECT_EQ(WorkspaceTitle(ws_), "[a] - Velmora");
  std::ofstream(dir_ / "bad.stw") << "not a workspace";
  EXPECT_FALSE(OpenWorkspaceCommand(ws_, prefs_, dir_ / "bad.stw").ok());
  EXPECT_EQ(Recent(), (std::vector<std::string>{a, b})) << "a failed open is not listed";
}

TEST_F(FileCommandsTest, VanishedRecentEntryIsReportedAndRemoved) {
  const std::string kept = MakeWorkspaceFile("kept");
  const std::string gone = MakeWorkspaceFile("gone");
  ASSERT_TRUE(OpenWorkspaceCommand(ws_, prefs_, kept).ok());
  ASSERT_TRUE(OpenWorkspaceCommand(ws_, prefs_, gone).ok());
  fs::remove(gone);
  prompter_.Clear();
  Status status = OpenRecentWorkspace(ws_, prefs_, gone);
  ASSERT_FALSE(status.ok());
  ASSERT_EQ(prompter_.messages().size(), 1u);
  EXPECT_EQ(prompter_.messages()[0].text, "Can't find Workspace");
  EXPECT_EQ(prompter_.messages()[0].caption, "Velmora");
  EXPECT_EQ(prompter_.messages()[0].icon, PromptIcon::kError);
  EXPECT_EQ(Recent(), std::vector<std::string>{kept});
}

TEST_F(FileCommandsTest, RecentEntryMovesUpEvenWhenItFailsToOpen) {
  const std::string a = MakeWorkspaceFile("a");
  const std::string b = MakeWorkspaceFile("b");
  ASSERT_TRUE(OpenWorkspaceCommand(ws_, prefs_, a).ok());
  ASSERT_TRUE(OpenWorkspaceCommand(ws_, prefs_, b).ok());
  std::ofstream(a, std::ios::trunc) << "damaged";
  EXPECT_FALSE(OpenRecentWorkspace(ws_, prefs_, a).ok());
  EXPECT_EQ(Recent(), (std::vector<std::string>{a, b}));
}

TEST_F(FileCommandsTest, StartOpensTheParameterOrTheMostRecent) {
  Status none = OpenStartWorkspace(ws_, prefs_, "");
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.error().message, "No Workspace Loaded");

  const std::string a = MakeWorkspaceFile("a");
  const std::string b = MakeWorkspaceFile("b");
  ASSERT_TRUE(OpenStartWorkspace(ws_, prefs_, b).ok());
  ASSERT_TRUE(OpenStartWorkspace(ws_, prefs_, dir_ / "a").ok());  // the folder will do
  EXPECT_EQ(Recent(), (std::vector<std::string>{a, b}));

  Workspace later(prompter_);
  ASSERT_TRUE(OpenStartWorkspace(later, prefs_, "").ok());
  EXPECT_EQ(later.file_path(), a);
}

}  // namespace
}  // namespace velmora
