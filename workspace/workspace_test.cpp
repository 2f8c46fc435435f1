#include "workspace/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/temp_dir.h"
#include "workspace/settings_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class WorkspaceTest : public ::testing::Test {
 protected:
  NewWorkspaceParams Params(std::string name = "My Site") {
    NewWorkspaceParams p;
    p.name = std::move(name);
    p.location = dir_.str();  // without the trailing '/'
    p.wizard.server_names = "example.org";
    return p;
  }

  TempDir dir_;
  ScriptedPrompter prompter_{/*assume_yes=*/true};
};

TEST_F(WorkspaceTest, NewWorkspaceMakesFolderDatabaseAndFile) {
  Workspace ws(prompter_);
  NewWorkspaceParams params = Params();
  params.wizard.session_timeout = 5;  // not a wizard field: the default wins
  ASSERT_TRUE(ws.NewWorkspace(params).ok());
  EXPECT_TRUE(prompter_.messages().empty()) << "nothing there to overwrite, nothing to ask";

  const std::string folder = dir_.str() + "/My Site/";
  EXPECT_EQ(ws.folder(), folder);
  EXPECT_EQ(ws.file_name(), "My Site.stw");
  EXPECT_TRUE(ws.loaded());
  EXPECT_EQ(ws.time_shift(), 0);
  EXPECT_TRUE(ws.reference_day().has_value());

  WorkspaceSettings expected = NewWorkspaceSettings("My Site");
  expected.block.server_names = "example.org";
  EXPECT_EQ(ws.settings(), expected);
  const std::string file = ReadAll(folder + "My Site.stw");
  const std::string reference = EncodeWorkspaceFile(expected, 0);
  ASSERT_EQ(file.size(), reference.size());
  // Byte for byte the same file, but for the random filler hidden in the scrambled passwords.
  EXPECT_EQ(file.substr(0, 2620), reference.substr(0, 2620));
  EXPECT_EQ(file.substr(3140), reference.substr(3140));
}

TEST_F(WorkspaceTest, RelativeLocationBecomesAFullPath) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir_.path());
  Workspace ws(prompter_);
  NewWorkspaceParams params = Params();
  params.location = "./sub/../here";
  const Status status = ws.NewWorkspace(params);
  fs::current_path(previous);
  ASSERT_TRUE(status.ok());
  EXPECT_EQ(ws.folder(), dir_.str() + "/here/My Site/");
}

TEST_F(WorkspaceTest, OpenReadsWhatWasSavedAndRecomputesTheTimeShift) {
  std::string path;
  {
    Workspace ws(prompter_);
    ASSERT_TRUE(ws.NewWorkspace(Params()).ok());
    WorkspaceSettings s = ws.settings();
    s.block.server_time_zone = 11;  // (GMT-05:00)
    s.block.your_time_zone = 26;    // (GMT+01:00)
    s.block.ftp_password = "pw";
    ASSERT_TRUE(ws.ChangeSettings(s).ok());
    EXPECT_EQ(ws.time_shift(), 21600);
    s.block.server_names = "example.net";  // a new scrambling key
    s.block.ftp_login = "me";
    ASSERT_TRUE(ws.ChangeSettings(s).ok());
    path = ws.file_path();
    ws.Close();
  }
  Workspace ws(prompter_);
  ASSERT_TRUE(ws.OpenWorkspace(path).ok());
  EXPECT_TRUE(ws.loaded());
  EXPECT_EQ(ws.time_shift(), 21600);
  EXPECT_EQ(ws.settings().block.ftp_password, "pw");
  EXPECT_EQ(ws.settings().block.server_names, "example.net");
  EXPECT_EQ(ws.folder(), dir_.str() + "/My Site/");
}

TEST_F(WorkspaceTest, NameCannotChangeThroughTheSettings) {
  Workspace ws(prompter_);
  ASSERT_TRUE(ws.NewWorkspace(Params()).ok());
  WorkspaceSettings s = ws.settings();
  s.block.workspace_name = "Renamed";
  EXPECT_FALSE(ws.ChangeSettings(s).ok());
  EXPECT_EQ(ws.settings().block.workspace_name, "My Site");
}

// A damaged file is refused, said so and never rewritten; one that cannot be read is the caller's
// to report. Either way the previous workspace stays current.
TEST_F(WorkspaceTest, OpenFailuresKeepThePreviousWorkspace) {
  Workspace ws(prompter_);
  ASSERT_TRUE(ws.NewWorkspace(Params()).ok());
  const std::string good = ReadAll(ws.file_path());
  const std::string damaged = dir_ / "bad.stw";
  WriteAll(damaged, good.substr(0, good.size() - 3));  // the lists cut short
  const struct {
    std::string path;
    std::vector<std::string> told;
  } cases[] = {
      {damaged, {"The file 'bad.stw'\nis not a valid Velmora workspace"}},
      {dir_ / "none.stw", {}},
      {dir_.str(), {}},  // a folder is not a settings file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    prompter_.Clear();
    const Status status = ws.OpenWorkspace(c.path);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind == ErrorKind::kShownToUser, !c.told.empty());
    EXPECT_EQ(prompter_.texts(), c.told);
    EXPECT_FALSE(ws.loaded());
    EXPECT_EQ(ws.file_name(), "My Site.stw");
  }
  ws.Close();
  EXPECT_EQ(ReadAll(damaged), good.substr(0, good.size() - 3));
}

TEST_F(WorkspaceTest, SaveFailures) {
  Workspace ws(prompter_);
  ASSERT_TRUE(ws.NewWorkspace(Params()).ok());
  const std::string path = ws.file_path();

  // The file's place is taken by a folder that cannot be replaced: the write fails.
  fs::remove(path);
  fs::create_directories(path + "/inside");
  prompter_.Clear();
  Status status = ws.SaveWorkspace();
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Can't save workspace"});
  EXPECT_FALSE(ws.loaded());
  size_t leftovers = 0;
  for (const auto& entry : fs::directory_iterator(ws.folder())) {
    leftovers += entry.path().filename().string().find(".tmp") != std::string::npos;
  }
  EXPECT_EQ(leftovers, 0u);

  // The folder is gone: the file cannot be created, and nobody is told.
  fs::remove_all(ws.folder());
  prompter_.Clear();
  status = ws.SaveWorkspace();
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.error().kind, ErrorKind::kShownToUser);
  EXPECT_TRUE(prompter_.messages().empty());
  EXPECT_FALSE(ws.loaded());
}

TEST_F(WorkspaceTest, FindWorkspaceFileAcceptsTheFileOrItsFolder) {
  Workspace ws(prompter_);
  ASSERT_TRUE(ws.NewWorkspace(Params()).ok());
  const std::string file = ws.file_path();
  EXPECT_EQ(FindWorkspaceFile(file).value(), file);
  EXPECT_EQ(FindWorkspaceFile(dir_.str() + "/My Site").value(), file);
  EXPECT_EQ(FindWorkspaceFile(dir_.str() + "/My Site/").value(), file);
  fs::rename(file, ws.folder() + "renamed.stw");
  EXPECT_EQ(FindWorkspaceFile(dir_.str() + "/My Site").value(), ws.folder() + "renamed.stw");
  WriteAll(ws.folder() + "second.stw", "x");
  EXPECT_FALSE(FindWorkspaceFile(dir_.str() + "/My Site").ok());
  EXPECT_FALSE(FindWorkspaceFile(dir_.str()).ok());
}

}  // namespace
}  // namespace velmora
