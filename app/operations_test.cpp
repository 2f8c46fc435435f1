// The application layer's operations as a front end drives them: opening a workspace with the
// kinds of failure a front end decides on, a parse run with everything wired, and the reset.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "app/database_operations.h"
#include "app/inspection_setup.h"
#include "app/parse_operation.h"
#include "app/session.h"
#include "core/workspace_layout.h"
#include "platform/mapped_file.h"
#include "storage/database_catalogue.h"
#include "storage/heap_table_files.h"
#include "storage/table_file_name.h"
#include "storage/table_test_support.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLine =
    "10.0.0.1 - - [10/Oct/2024:13:55:36 +0000] \"GET /index.html HTTP/1.1\" 200 2326 "
    "\"-\" \"Mozilla/5.0 (X11; Linux x86_64) Firefox/128.0\"\n";

// `lines` requests of as many visitors, pages and browsers, so that the tables grow several
// times while they are parsed.
std::string VariedLog(int lines) {
  std::string log;
  for (int i = 0; i < lines; ++i) {
    log += "10." + std::to_string(i / 250) + "." + std::to_string(i % 250) +
           ".1 - - [10/Oct/2024:" + std::to_string(10 + i / 3600 % 10) + ":" +
           std::to_string(10 + i / 60 % 50) + ":" + std::to_string(10 + i % 50) +
           " +0000] \"GET /page" + std::to_string(i) + ".html HTTP/1.1\" 200 " +
           std::to_string(1000 + i) + " \"http://ref" + std::to_string(i % 97) +
           ".example.org/\" \"Agent/" + std::to_string(i % 211) + "\"\n";
  }
  return log;
}

// Every table file of `folder`'s database with its bytes.
std::map<std::string, std::string> Tables(const std::string& folder) {
  std::map<std::string, std::string> tables;
  for (const auto& entry : fs::directory_iterator(WorkspacePath(folder, kDatabaseFolder))) {
    std::ifstream in(entry.path(), std::ios::binary);
    tables[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return tables;
}

// A table growing while the run writes: from the run's first write to its end the undo copy is
// there. Tables are also resized when they open: before the run, and ParsedLogs for each lookup;
// a failure there is an open failure, tested elsewhere.
bool GrowsWhileTheRunWrites(const std::string& folder, const std::string& path) {
  const std::string parsed_logs =
      WorkspacePath(WorkspacePath(folder, kDatabaseFolder), table_name::kParsedLogs);
  for (const uint32_t file : {0u, 1u, 2u}) {
    if (path == HashedTableFileName(parsed_logs, HeapTableFileId(0) + file)) return false;
  }
  return fs::exists(WorkspacePath(folder, kRunUndoFolder));
}

class OperationsTest : public ::testing::Test {
 protected:
  // A new workspace "site" in the temporary folder, listed as the most recent one.
  std::string MakeWorkspace(const std::string& name = "site") {
    testing::MakeTestWorkspace(prompter_, prefs_path_, dir_.str(), name);
    return dir_ / (name + "/");
  }
  Session NewSession() { return Session(prompter_, Preferences(prefs_path_)); }

  testing::TempDir dir_;
  std::string prefs_path_ = dir_ / "prefs/preferences.ini";
  ScriptedPrompter prompter_{/*assume_yes=*/true};
};

TEST_F(OperationsTest, OpenFailuresCarryTheKindAFrontEndDecidesOn) {
  fs::create_directories(dir_.path() / "alien");
  std::ofstream(dir_ / "alien/alien.stw") << "not a workspace";
  struct Case {
    std::string path;
    ErrorKind kind;
    bool prompter_told;
  } cases[] = {
      {"", ErrorKind::kNoWorkspace, false},             // nothing named, nothing recent
      {dir_ / "missing", ErrorKind::kFailed, false},    // nobody has said why yet
      {dir_ / "alien", ErrorKind::kShownToUser, true},  // "...is not a valid workspace"
  };
  for (const Case& c : cases) {
    prompter_.Clear();
    Session session(prompter_, Preferences(prefs_path_));
    const Status opened = session.Open(c.path);
    ASSERT_FALSE(opened.ok()) << c.path;
    EXPECT_EQ(opened.error().kind, c.kind) << c.path;
    EXPECT_EQ(!prompter_.messages().empty(), c.prompter_told) << c.path;
  }
}

TEST_F(OperationsTest, ParseRunsOnTheMostRecentWorkspaceAndMakesCachedReportsStale) {
  const std::string folder = MakeWorkspace();
  std::ofstream(WorkspacePath(folder, "logs/access.log")) << kLine << kLine;
  fs::create_directories(WorkspacePath(folder, kReportsFolder));
  std::ofstream(WorkspacePath(folder, "reports/visits_hd")) << "cached";

  Session session = NewSession();
  NullProgressView view;
  int unshown_failures = 0;
  const Result<ParseRunSummary> run =
      RunParse(session, "", view, [&](const Error&) { ++unshown_failures; });
  ASSERT_TRUE(run.ok()) << run.error().message;
  EXPECT_EQ(run->parsed_files, 1);
  EXPECT_EQ(run->total_lines, 2);
  EXPECT_EQ(unshown_failures, 0);
  EXPECT_FALSE(fs::exists(WorkspacePath(folder, "reports/visits_hd")));
  EXPECT_TRUE(fs::exists(WorkspacePath(folder, kParseLogName)));
  EXPECT_FALSE(session.workspace().settings().block.custom_format.empty())
      << "the detected format is saved with the workspace";
}

TEST_F(OperationsTest, AWriteFailureAtAnyGrowthStepUndoesTheRunAndTheNextRunCatchesUp) {
  const std::string log = VariedLog(12000);
  auto parse = [&](const std::string& folder) {
    Session session = NewSession();
    NullProgressView view;
    return RunParse(session, folder, view, nullptr);
  };
  const std::string reference = MakeWorkspace("reference");
  std::ofstream(WorkspacePath(reference, "logs/access.log")) << log;
  std::atomic<int> growths{0};
  {
    testing::ScopedFaultHook count([&](MappedFileStep step, const std::string& path) {
      if (step == MappedFileStep::kResize && GrowsWhileTheRunWrites(reference, path)) ++growths;
      return 0;
    });
    ASSERT_TRUE(parse(reference).ok());
  }
  const auto expected = Tables(reference);
  ASSERT_GE(growths.load(), 8) << "the log must make the tables grow";

  for (int fail_at = 1; fail_at <= growths.load(); ++fail_at) {
    SCOPED_TRACE("growth " + std::to_string(fail_at) + " of " + std::to_string(growths.load()));
    const std::string folder = MakeWorkspace("full" + std::to_string(fail_at));
    std::ofstream(WorkspacePath(folder, "logs/access.log")) << log;
    const auto before = Tables(folder);
    std::atomic<int> step{0};
    Result<ParseRunSummary> failed = Error{};
    {
      testing::ScopedFaultHook full([&](MappedFileStep s, const std::string& path) {
        const bool growth = s == MappedFileStep::kResize && GrowsWhileTheRunWrites(folder, path);
        return growth && ++step == fail_at ? ENOSPC : 0;
      });
      failed = parse(folder);
    }
    ASSERT_TRUE(failed.ok());
    EXPECT_TRUE(failed->write_failed);
    EXPECT_TRUE(failed->undone);
    EXPECT_FALSE(failed->failure.empty());
    EXPECT_TRUE(Tables(folder) == before) << "the run is undone";
    ASSERT_TRUE(parse(folder).ok());
    EXPECT_TRUE(Tables(folder) == expected) << "the next run gives the same tables";
  }
}

TEST_F(OperationsTest, RemovingParsedDataAsksFirst) {
  const std::string folder = MakeWorkspace();
  std::ofstream(WorkspacePath(folder, "logs/access.log")) << kLine;
  {
    Session session = NewSession();
    NullProgressView view;
    ASSERT_TRUE(RunParse(session, folder, view, nullptr).ok());
  }
  fs::create_directories(WorkspacePath(folder, kReportsFolder));
  std::ofstream(WorkspacePath(folder, "reports/visits_hd")) << "cached";
  for (const PromptAnswer answer : {PromptAnswer::kNo, PromptAnswer::kYes}) {
    Session session = NewSession();
    prompter_.QueueAnswer(answer);
    const Status removed = RemoveAllParsedData(session, folder);
    const bool yes = answer == PromptAnswer::kYes;
    EXPECT_EQ(removed.ok(), yes);
    if (!yes) {
      EXPECT_EQ(removed.error().kind, ErrorKind::kFailed) << "nobody has told the user why yet";
      EXPECT_EQ(removed.error().message,
                "nothing was removed: the answer to \"Remove all collected data from the "
                "workspace?\" was No");
    }
    EXPECT_EQ(fs::exists(WorkspacePath(folder, "reports/visits_hd")), !yes);
    EXPECT_EQ(session.workspace().database()->IsLogParsed("access.log"), !yes);
  }
}

TEST_F(OperationsTest, InspectionTakesTheWorkspaceOrDefaultsWhenNoneIsNeeded) {
  {
    Session session = NewSession();
    EXPECT_TRUE(SetUpInspection(session, "", /*needs_workspace=*/false).ok());
    const Result<InspectionSetup> needed = SetUpInspection(session, "", true);
    ASSERT_FALSE(needed.ok());
    EXPECT_EQ(needed.error().kind, ErrorKind::kNoWorkspace);
    EXPECT_FALSE(SetUpInspection(session, dir_ / "missing", false).ok())
        << "a named workspace that does not open is never replaced by defaults";
  }
  MakeWorkspace();
  Session session = NewSession();
  const Result<InspectionSetup> setup = SetUpInspection(session, "", true);
  ASSERT_TRUE(setup.ok());
  EXPECT_EQ(setup->server_names, session.workspace().settings().block.server_names);
}

}  // namespace
}  // namespace velmora
