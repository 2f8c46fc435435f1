// Dumping and resetting the database from the command line, and what a damaged table does.
#include <filesystem>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST_F(CliTest, DumpWorksOnEveryTableOfANewWorkspace) {
  const std::string folder = NewWorkspace();
  const std::vector<std::string> tables = {"Sessions",
                                           "Hourly",
                                           "FileTraffic",
                                           "Resources",
                                           "Spiders",
                                           "UserAgents",
                                           "Referers",
                                           "Downloads",
                                           "Images",
                                           "Pages",
                                           "Errors",
                                           "Browsers",
                                           "Oses",
                                           "RefDomains",
                                           "SearchFrases",
                                           "SearchWords",
                                           "SearchFrasesExact",
                                           "ParsedLogs"};
  for (const std::string& table : tables) {
    const auto r = Velmora({"-w", folder, "dump", table});
    EXPECT_EQ(r.status, 0) << table << ": " << r.err;
    EXPECT_EQ(r.out, "") << table;
    EXPECT_EQ(Velmora({"-w", folder, "dump", table, "--index", "1"}).status, 0) << table;
  }
  EXPECT_EQ(Velmora({"-w", folder, "dump", "Sessions", "--index", "2"}).status, 0);
  EXPECT_EQ(Velmora({"-w", folder, "dump", "Resources", "--errors"}).status, 0);
}

TEST_F(CliTest, DumpRefusesUnknownTablesAndIndexes) {
  const std::string folder = NewWorkspace();
  const auto unknown = Velmora({"-w", folder, "dump", "Visits"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("SearchFrasesExact"), std::string::npos) << unknown.err;
  EXPECT_EQ(Velmora({"-w", folder, "dump", "Hourly", "--index", "2"}).status, 2);
  EXPECT_EQ(Velmora({"-w", folder, "dump", "Hourly", "--errors"}).status, 2);
}

TEST_F(CliTest, DamagedTableIsReportedAndNothingIsTouched) {
  const std::string folder = NewWorkspace();
  // Every table file is 65536 bytes; spoil the signature of all of them so the first one opened
  // is certainly damaged, whatever its hashed name.
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder + "database")) files.push_back(entry);
  for (const auto& file : files) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.write("XXXX", 4);
  }
  const auto r = Velmora({"-w", folder, "dump", "Sessions"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("ZEQ Engine 2.0: Can't open table: Bad Signature"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Velmora: Cannot open database"), std::string::npos) << r.err;
  for (const auto& file : files) {
    EXPECT_EQ(ReadFile(file.string()).substr(0, 4), "XXXX") << file;
  }
}

TEST_F(CliTest, ResetAsksAndEmptiesReportsFolder) {
  const std::string folder = NewWorkspace();
  fs::create_directories(folder + "reports");
  std::ofstream(folder + "reports/cached") << "x";

  const auto declined = Velmora({"-w", folder, "reset"});
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.err.find("Remove all collected data from the workspace?"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder + "reports/cached"));

  EXPECT_EQ(Velmora({"--yes", "-w", folder, "reset"}).status, 0);
  EXPECT_FALSE(fs::exists(folder + "reports/cached"));
  EXPECT_TRUE(fs::is_directory(folder + "reports"));
}

}  // namespace
}  // namespace velmora
