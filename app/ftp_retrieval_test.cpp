// The chooser's list from a server listing: hostile names never reach logs/ or the terminal, and
// files already stored are not new. A retrieval against a real local FTP server where a file
// vanishes between listing and download.
#include "app/ftp_retrieval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/session.h"
#include "tests/support/ftp_server.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

TEST(FtpCandidatesTest, KeepsPlainNamesOnlyAndTellsWhichAreNew) {
  testing::TempDir logs;
  std::ofstream(logs / "access.log.gz") << "stored";
  struct Case {
    const char* listing;
    std::vector<std::pair<std::string, bool>> expected;  // name, new
  } cases[] = {
      {"", {}},
      {"\n \r\n\t\n", {}},
      {" error.log \r\nAccess.log.1\n", {{"error.log", true}, {"Access.log.1", false}}},
      {"access.log\nother.log\naccess.log.bz2\n",
       {{"other.log", true}, {"access.log.bz2", false}, {"access.log", false}}},
      {"../../etc/passwd\nsub\\win.log\n/logs/a.log\n",
       {{"win.log", true}, {"passwd", true}, {"a.log", true}}},
      {"..\n.\nlogs/..\nbad\x1b[2J.log\nbell\x07\nok.log\nok.log\n", {{"ok.log", true}}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<std::string, bool>> got;
    for (const LogCandidate& candidate : FtpCandidates(c.listing, logs.str())) {
      got.emplace_back(candidate.name, candidate.is_new);
    }
    EXPECT_EQ(got, c.expected) << c.listing;
  }
}

TEST(FtpCandidatesTest, ALongHostileListStaysLinear) {
  testing::TempDir logs;
  for (int i = 0; i < 100; ++i) std::ofstream(logs / ("f" + std::to_string(i) + ".log.gz")) << "x";
  std::string listing;
  for (int i = 0; i < 50000; ++i) listing += "f" + std::to_string(i) + ".log\nF0.LOG\n";
  const auto start = std::chrono::steady_clock::now();
  const std::vector<LogCandidate> candidates = FtpCandidates(listing, logs.str());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ASSERT_EQ(candidates.size(), 50001u);
  EXPECT_EQ(std::count_if(candidates.begin(), candidates.end(),
                          [](const LogCandidate& c) { return !c.is_new; }),
            101)
      << "f0.log to f99.log, and F0.LOG beside f0.log.gz";
}

TEST(RetrieveFtpTest, AFileGoneBeforeItsDownloadIsReportedAndTheRunGoesOn) {
  namespace fs = std::filesystem;
  testing::TempDir dir, root;
  fs::create_directories(root / "logs");
  std::ofstream(root / "logs/a.log") << "first line of a log\n";
  std::ofstream(root / "logs/b.log") << "first line of b log\n";
  testing::FtpTestServer server(root.str());
  ASSERT_NE(server.port(), 0) << server.why_not();

  ScriptedPrompter prompter(/*assume_yes=*/true);
  testing::MakeTestWorkspace(prompter, dir / "prefs.ini", dir.str());
  Session session(prompter, Preferences(dir / "prefs.ini"));
  const std::string folder = dir / "site/";
  ASSERT_TRUE(session.Open(folder, DatabaseAccess::kWrite).ok());
  WorkspaceSettings settings = session.workspace().settings();
  settings.block.retrieve_method = RetrieveMethod::kFtp;
  settings.block.ftp_server = "ftp://127.0.0.1";
  settings.block.ftp_port = server.port();
  settings.block.ftp_login = "alice";
  settings.block.ftp_password = "secret";
  ASSERT_TRUE(session.workspace().ChangeSettings(settings).ok());

  ImportRequest request;
  request.remove_from_server = true;
  request.parse = false;
  std::string title;
  const ImportChooser chooser = [&](const std::string& heading,
                                    const std::vector<LogCandidate>& candidates) {
    title = heading;
    EXPECT_EQ(candidates.size(), 2u);
    fs::remove(root / "logs/b.log");
    return std::optional<std::vector<std::string>>({"b.log", "a.log"});
  };
  const ImportProgress progress = [](const std::string&, const std::string&) { return true; };
  const Result<ImportResult> result = RetrieveFtp(session, folder, request, chooser, progress);
  ASSERT_TRUE(result.ok()) << result.error().message;
  EXPECT_EQ(title, "Files on server");
  EXPECT_EQ(result->stored, 1);
  EXPECT_EQ(result->failed, 1);
  EXPECT_FALSE(fs::exists(root / "logs/a.log")) << "removed once stored";
  const std::vector<std::string> texts = prompter.texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "File \"/logs/b.log\" was not found"),
            texts.end());
  EXPECT_EQ(session.workspace().settings().block.retrieval_options & kRetrieveRemoveFromServer,
            kRetrieveRemoveFromServer);
}

}  // namespace
}  // namespace velmora
