#include "workspace/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
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
  EXPECT_TRUE(fs::is_directory(folder + "logs"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder + "database"), fs::directory_iterator()),
            57);

  WorkspaceSettings expected = NewWorkspaceSettings("My Site");
  expected.block.server_names = "example.org";
  EXPECT_EQ(ws.settings(), expected);
  const std::string file = ReadAll(folder + "My Site.stw");
  const std::string reference = EncodeWorkspaceFile(expected, 0);
  ASSERT_EQ(file.size(), reference.size());
  // Byte for byte the same file, but for the random filler hidden in the scrambled passwords.
  EXPECT_EQ(file.substr(0, 2620), reference.substr(0, 2620));
  EXPECT_EQ(file.substr(3140), reference.substr(3140));
  Result<WorkspaceSettings> back = DecodeWorkspaceFile(Bytes(file));
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value(), expected);
}

TEST_F(WorkspaceTest, InvalidNamesAreRefusedBeforeAnythingIsMade) {
  const std::string names[] = {"",    "a:b",  "caf\xE9", "a*b", "a+b",  "a/b",
                               "a?b", "a\\b", ".",       "..",  "\x1F", std::string(260, 'n')};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    prompter_.Clear();
    Workspace ws(prompter_);
    Status status = ws.NewWorkspace(Params(name));
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().kind, ErrorKind::kShownToUser);
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"The workspace name is invalid"});
    EXPECT_EQ(prompter_.messages()[0].icon, PromptIcon::kError);
    EXPECT_FALSE(ws.has_workspace());
  }
  EXPECT_TRUE(fs::is_empty(dir_.path()));
  // Blanks and other punctuation are fine.
  for (const std::string name : {" Blank Site ", "a~b!#(x)", "x.y"}) {
    Workspace ws(prompter_);
    EXPECT_TRUE(ws.NewWorkspace(Params(name)).ok()) << name;
    EXPECT_TRUE(fs::exists(dir_.str() + "/" + name + "/" + name + ".stw")) << name;
  }
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

TEST_F(WorkspaceTest, OnlyAFolderWithFilesInItAsksBeforeOverwriting) {
  const std::string question =
      "This action will overwrite some files in the\n" + dir_.str() + "/My Site";
  struct Case {
    const char* what;
    const char* existing;  // made inside the workspace folder first; "" makes the folder alone
    std::optional<PromptAnswer> answer;  // the question's answer; nullopt: not asked
    bool created;
  };
  const Case cases[] = {
      {"an empty folder", "", std::nullopt, true},
      {"a file, Yes", "notes.txt", PromptAnswer::kYes, true},
      {"a file, No", "notes.txt", PromptAnswer::kNo, false},
      {"an old workspace, No", "My Site.stw", PromptAnswer::kNo, false},
  };
  const std::string folder = dir_ / "My Site";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (*c.existing != '\0') WriteAll(folder + "/" + c.existing, "kept");
    ScriptedPrompter prompter;
    if (c.answer) prompter.QueueAnswer(*c.answer);
    Workspace ws(prompter);
    EXPECT_EQ(ws.NewWorkspace(Params()).ok(), c.created);
    if (c.answer) {
      ASSERT_EQ(prompter.messages().size(), 1u);
      const ScriptedPrompter::Message& q = prompter.messages()[0];
      EXPECT_EQ(q.caption, "Velmora");
      EXPECT_EQ(q.text, question);
      EXPECT_EQ(q.buttons, PromptButtons::kYesNo);
      EXPECT_EQ(q.icon, PromptIcon::kWarning);
    } else {
      EXPECT_TRUE(prompter.messages().empty());
    }
    EXPECT_EQ(fs::exists(folder + "/My Site.stw"),
              c.created || std::string_view(c.existing) == "My Site.stw");
    EXPECT_EQ(fs::exists(folder + "/database"), c.created);
    // What was there is never lost to a declined question; a Yes keeps files of other names.
    if (*c.existing != '\0') {
      EXPECT_EQ(ReadAll(folder + "/" + c.existing), "kept");
    }
  }
}

TEST_F(WorkspaceTest, UnusableLocationIsReported) {
  WriteAll(dir_ / "plain-file", "x");
  Workspace ws(prompter_);
  NewWorkspaceParams params = Params();
  params.location = dir_ / "plain-file";
  ASSERT_FALSE(ws.NewWorkspace(params).ok());
  EXPECT_EQ(prompter_.texts().back(), "Failed to create workspace.\nThe specified path is invalid");
  EXPECT_FALSE(ws.has_workspace());
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

TEST_F(WorkspaceTest, DamagedFilesAreRefusedAndNeverRewritten) {
  Workspace ws(prompter_);
  ASSERT_TRUE(ws.NewWorkspace(Params()).ok());
  const std::string good = ReadAll(ws.file_path());
  struct Case {
    const char* what;
    std::string bytes;
  } const cases[] = {
      {"not STP", "XYZ" + good.substr(3)},
      {"lists cut short", good.substr(0, good.size() - 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir_ / "bad.stw";
    WriteAll(path, c.bytes);
    prompter_.Clear();
    Status status = ws.OpenWorkspace(path);
    ASSERT_FALSE(status.ok());
    ASSERT_EQ(prompter_.messages().size(), 1u);
    EXPECT_EQ(prompter_.messages()[0].text, "The file 'bad.stw'\nis not a valid Velmora workspace");
    EXPECT_EQ(prompter_.messages()[0].caption, "Velmora");
    EXPECT_EQ(prompter_.messages()[0].icon, PromptIcon::kError);
    EXPECT_FALSE(ws.loaded());
    EXPECT_EQ(ws.file_name(), "My Site.stw");  // the previous workspace stays current
    ws.Close();
    EXPECT_EQ(ReadAll(path), c.bytes);
  }
}

TEST_F(WorkspaceTest, MissingFileFailsWithoutAMessage) {
  Workspace ws(prompter_);
  Status status = ws.OpenWorkspace(dir_ / "none.stw");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.error().kind, ErrorKind::kShownToUser);
  EXPECT_TRUE(prompter_.messages().empty());
  EXPECT_FALSE(ws.OpenWorkspace(dir_.str()).ok());  // a folder is not a settings file
  EXPECT_TRUE(prompter_.messages().empty());
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
