// The chooser's list from a server listing: hostile names never reach logs/ or the terminal, and
// files already stored are not new.
#include "app/ftp_retrieval.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace velmora
