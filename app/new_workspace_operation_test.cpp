// The new-workspace operation as both front ends drive it: the wizard's values checked before
// anything is made, the name rule, and the question before files are overwritten.
#include "app/new_workspace_operation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/temp_dir.h"
#include "workspace/recent_list.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CheckNewWorkspace, RefusesWhatTheSettingsRefuseAndKeepsTheRest) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> settings;
    std::string refusal;  // a part of the message; empty when the values are taken
  };
  const std::vector<Case> cases = {
      {{{"retrieve-method", "ftp"}, {"ftp-port", "2121"}, {"passive-ftp", "0"}}, ""},
      {{{"log-format-mode", "custom"}, {"custom-format", "%S %j %u"}}, ""},
      {{{"retrieve-method", "fetchlet"}, {"http-files-to-keep", "9999"}}, ""},
      {{{"ftp-port", "0"}}, "ftp-port must be a whole number from 1 to 65535"},
      {{{"log-format-mode", "custom"}}, "custom-format"},
      {{{"session-timeout", "5"}}, "session-timeout is not set when a workspace is made"},
      {{{"workspace-name", "other"}}, "workspace-name is not set"},
  };
  for (const Case& c : cases) {
    const Result<NewWorkspaceParams> params = CheckNewWorkspace({"site", "/tmp", c.settings});
    std::string what;
    for (const auto& [key, value] : c.settings) what += key + "=" + value.substr(0, 20) + " ";
    if (c.refusal.empty()) {
      ASSERT_TRUE(params.ok()) << what << params.error().message;
      EXPECT_EQ(params->name, "site");
      EXPECT_EQ(params->location, "/tmp");
    } else {
      ASSERT_FALSE(params.ok()) << what;
      EXPECT_EQ(params.error().kind, ErrorKind::kBadRequest) << what;
      EXPECT_NE(params.error().message.find(c.refusal), std::string::npos)
          << what << params.error().message;
    }
  }
  const Result<NewWorkspaceParams> ftp =
      CheckNewWorkspace({"site", "", {{"retrieve-method", "1"}, {"ftp-port", "2121"}}});
  ASSERT_TRUE(ftp.ok());
  EXPECT_EQ(ftp->wizard.retrieve_method, RetrieveMethod::kFtp);
  EXPECT_EQ(ftp->wizard.ftp_port, 2121);
  EXPECT_EQ(ftp->wizard.default_file, "index.htm") << "a key left out keeps its default";
}

class CreateWorkspaceTest : public ::testing::Test {
 protected:
  Result<NewWorkspaceMade> Create(const std::string& name) {
    Preferences preferences(dir_ / "preferences.ini");
    return CreateWorkspace(prompter_, preferences, Params(name));
  }
  NewWorkspaceParams Params(const std::string& name) {
    return CheckNewWorkspace({name, dir_.str(), {}}).value();
  }
  std::vector<std::string> Recent() {
    return RecentList::Load(Preferences(dir_ / "preferences.ini")).MostRecentFirst();
  }

  testing::TempDir dir_;
  ScriptedPrompter prompter_;
};

TEST_F(CreateWorkspaceTest, KeepsToTheNameRule) {
  const struct {
    std::string name;
    bool valid;
  } cases[] = {
      {"my site", true},
      {"a-b_c.d (2)", true},
      {"...", true},
      {"", false},
      {"a:b", false},
      {"a/b", false},
      {"a\\b", false},
      {"a*b", false},
      {"a+b", false},
      {"a?b", false},
      {"..", false},
      {".", false},
      {"caf\xC3\xA9", false},
      {"tab\there", false},
      {std::string(260, 'n'), false},
  };
  for (const auto& c : cases) {
    prompter_.Clear();
    const Result<NewWorkspaceMade> made = Create(c.name);
    EXPECT_EQ(made.ok(), c.valid) << c.name;
    if (c.valid) {
      ASSERT_TRUE(made.ok());
      EXPECT_EQ(made->folder, dir_.str() + "/" + c.name + "/");
      EXPECT_TRUE(fs::is_regular_file(made->file)) << made->file;
      EXPECT_TRUE(fs::is_directory(made->folder + "logs"));
      EXPECT_EQ(Recent().front(), made->file) << "listed as the most recent";
    } else {
      EXPECT_EQ(made.error().kind, ErrorKind::kShownToUser) << c.name;
      EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"The workspace name is invalid"});
      EXPECT_EQ(prompter_.messages()[0].icon, PromptIcon::kError);
    }
  }
  // Nothing but the valid workspaces' folders (and the preferences) was made.
  size_t folders = 0;
  for (const auto& entry : fs::directory_iterator(dir_.path())) folders += entry.is_directory();
  EXPECT_EQ(folders, 3u);
}

TEST_F(CreateWorkspaceTest, AsksBeforeOverwritingAndKeepsTheFilesOnNo) {
  EXPECT_EQ(OverwriteQuestion(Params("site")), "") << "a fresh place needs no question";
  fs::create_directories(dir_ / "empty");
  EXPECT_EQ(OverwriteQuestion(Params("empty")), "") << "nor does an empty folder";
  ASSERT_TRUE(Create("empty").ok());
  ASSERT_TRUE(Create("site").ok());
  const std::string file = dir_ / "site/site.stw";
  const std::string before = ReadFile(file);
  const std::string question =
      "This action will overwrite some files in the\n" + dir_.str() + "/site";
  EXPECT_EQ(OverwriteQuestion(Params("site")), question);
  EXPECT_EQ(OverwriteQuestion(Params("a:b")), "") << "an invalid name is refused, not asked";

  prompter_.Clear();
  prompter_.QueueAnswer(PromptAnswer::kNo);
  const Result<NewWorkspaceMade> declined = Create("site");
  ASSERT_FALSE(declined.ok());
  EXPECT_EQ(declined.error().kind, ErrorKind::kShownToUser);
  ASSERT_EQ(prompter_.messages().size(), 1u);
  EXPECT_EQ(prompter_.messages()[0].text, question);
  EXPECT_EQ(prompter_.messages()[0].icon, PromptIcon::kWarning);
  EXPECT_EQ(prompter_.messages()[0].buttons, PromptButtons::kYesNo);
  EXPECT_EQ(ReadFile(file), before);

  std::ofstream(dir_ / "site/notes.txt") << "kept";
  prompter_.QueueAnswer(PromptAnswer::kYes);
  EXPECT_TRUE(Create("site").ok());
  EXPECT_EQ(ReadFile(dir_ / "site/notes.txt"), "kept") << "a Yes keeps files of other names";
  EXPECT_EQ(Recent().size(), 2u) << "each listed once";
}

TEST_F(CreateWorkspaceTest, SaysWhenThePathCannotBeMade) {
  std::ofstream(dir_ / "file") << "a file where a folder should go";
  Preferences preferences(dir_ / "preferences.ini");
  NewWorkspaceParams params = Params("site");
  params.location = dir_ / "file";
  const Result<NewWorkspaceMade> made = CreateWorkspace(prompter_, preferences, params);
  ASSERT_FALSE(made.ok());
  EXPECT_EQ(prompter_.texts(),
            std::vector<std::string>{"Failed to create workspace.\nThe specified path is invalid"});
  EXPECT_TRUE(Recent().empty());
}

}  // namespace
}  // namespace velmora
