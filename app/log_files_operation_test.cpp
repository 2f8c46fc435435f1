// The logs/ folder as "Manage Imported Log Files" lists it: sizes, the compression found from the
// content whatever the name says, the parse run's own record of what it read, and the names of
// a hostile folder kept as they are.
#include "app/log_files_operation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/parse_operation.h"
#include "app/session.h"
#include "core/workspace_layout.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// One request of a combined log, ending with its line end.
constexpr std::string_view kLine =
    "192.0.2.7 - - [01/Mar/2025:08:00:00 +0000] \"GET /a.html HTTP/1.0\" 200 10 \"-\" \"t\"\n";

struct Expected {
  const char* name;
  uint64_t size;
  LogReaderKind compression;
  bool parsed;
  bool grown = false;
};

TEST(LogFilesOperationTest, ListsSizesCompressionAndWhatTheParseRunRead) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  const std::string logs = WorkspacePath(dir / "site", kLogsFolder);
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(WorkspacePath(logs, name), std::ios::binary) << bytes;
  };
  write("b-access.log", std::string(kLine) + std::string(kLine));
  write("d-growing.log", std::string(kLine));
  {
    Session session(prompter, Preferences(prefs));
    NullProgressView view;
    ASSERT_TRUE(RunParse(session, "", view, nullptr).ok());
  }
  std::ofstream(WorkspacePath(logs, "d-growing.log"), std::ios::app) << kLine;
  // Added after the run: none of these was read.
  write("A-later.log.gz", std::string("\x1f\x8b\x08\x00", 4) + "rest");
  write("c.log.bz2", "BZh91AY&SY");
  write("gz-by-name-only.gz", "plain text");
  write("<img src=x onerror=alert(1)>.log", "x");
  write("empty.log", "");
  fs::create_directories(WorkspacePath(logs, "a-folder"));

  Session session(prompter, Preferences(prefs));
  ASSERT_TRUE(session.OpenForDatabase("", DatabaseAccess::kRead).ok());
  const Result<std::vector<ImportedLogFile>> listed = ListImportedLogFiles(session.workspace());
  ASSERT_TRUE(listed.ok()) << listed.error().message;

  const Expected expected[] = {
      {"<img src=x onerror=alert(1)>.log", 1, LogReaderKind::kPlain, false},
      {"A-later.log.gz", 8, LogReaderKind::kGzip, false},
      {"b-access.log", 2 * kLine.size(), LogReaderKind::kPlain, true},
      {"c.log.bz2", 10, LogReaderKind::kBzip2, false},
      {"d-growing.log", 2 * kLine.size(), LogReaderKind::kPlain, true, true},
      {"empty.log", 0, LogReaderKind::kPlain, false},
      {"gz-by-name-only.gz", 10, LogReaderKind::kPlain, false},
  };
  ASSERT_EQ(listed->size(), std::size(expected)) << "files only, no folders";
  for (size_t i = 0; i < std::size(expected); ++i) {
    const ImportedLogFile& file = (*listed)[i];
    EXPECT_EQ(file.name, expected[i].name) << i << ": in the parse run's order";
    EXPECT_EQ(file.size, expected[i].size) << file.name;
    EXPECT_EQ(file.compression, expected[i].compression) << file.name;
    EXPECT_EQ(file.parsed, expected[i].parsed) << file.name;
    EXPECT_EQ(file.grown, expected[i].grown) << file.name;
  }
  EXPECT_EQ(LogCompressionName(LogReaderKind::kBzip2), "bzip2");
}

TEST(LogFilesOperationTest, AWorkspaceWithoutALogsFolderListsNothing) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  fs::remove_all(WorkspacePath(dir / "site", kLogsFolder));
  Session session(prompter, Preferences(prefs));
  ASSERT_TRUE(session.Open("").ok());
  const Result<std::vector<ImportedLogFile>> listed = ListImportedLogFiles(session.workspace());
  ASSERT_TRUE(listed.ok());
  EXPECT_TRUE(listed->empty());
}

}  // namespace
}  // namespace velmora
