// A parse run killed with SIGKILL at random moments: the next command puts the database back as
// it was before the run, and parsing again gives the very tables one uninterrupted run gives. A
// mark left by a run that kept no undo copy still asks before anything is parsed on top of it.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUnfinished =
    "Velmora: The last parse run did not finish; the database may hold partial data";
constexpr std::string_view kPutBack = "Velmora: The last parse run did not finish. The database";
constexpr int kLinesPerFile = 40000;
constexpr int kFiles = 3;

class InterruptedRunTest : public CliTest {
 protected:
  // Every file of the workspace's database/ with its bytes.
  static std::map<std::string, std::string> Tables(const std::string& ws) {
    std::map<std::string, std::string> tables;
    for (const auto& entry : fs::directory_iterator(ws + "database")) {
      tables[entry.path().filename().string()] = ReadFile(entry.path().string());
    }
    return tables;
  }

  // A workspace holding the same logs as every other this test makes.
  std::string WorkspaceWithLogs(const std::string& name) {
    const std::string ws = NewWorkspace(name);
    for (int i = 0; i < kFiles; ++i) {
      fs::copy_file(home_ / ("logs/access" + std::to_string(i) + ".log"),
                    ws + "logs/access" + std::to_string(i) + ".log");
    }
    return ws;
  }
};

TEST_F(InterruptedRunTest, KilledRunsAreUndoneAndParsedAgainToTheSameTables) {
  fs::create_directories(home_.path() / "logs");
  for (int i = 0; i < kFiles; ++i) {
    GenerateLog(home_ / ("logs/access" + std::to_string(i) + ".log"), kLinesPerFile, 11 + i);
  }
  const std::string reference = WorkspaceWithLogs("reference");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Velmora({"-w", reference, "parse"}).status, 0);
  const auto whole_run = std::chrono::steady_clock::now() - start;
  const auto expected = Tables(reference);

  std::mt19937 random(20261207);
  for (int round = 0; round < 6; ++round) {
    const std::string ws = WorkspaceWithLogs("killed" + std::to_string(round));
    const auto delay = std::chrono::duration_cast<std::chrono::microseconds>(whole_run) *
                       static_cast<int>(random() % 1000) / 1000;
    SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
    const auto run = StartVelmora({"-w", ws, "parse"});
    std::this_thread::sleep_for(delay);
    kill(run->pid(), SIGKILL);
    run->Wait();

    const auto again = Velmora({"-w", ws, "parse"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err.find(kUnfinished), std::string::npos) << "nothing to ask: " << again.err;
    EXPECT_FALSE(fs::exists(ws + "parse-run.active"));
    EXPECT_FALSE(fs::exists(ws + "database.undo"));
    EXPECT_TRUE(Tables(ws) == expected) << "the tables differ from one uninterrupted run";
    EXPECT_EQ(HourlyHits(ws), kFiles * kLinesPerFile);
  }
}

TEST_F(InterruptedRunTest, AKilledRunIsUndoneBeforeAnyCommandReadsIt) {
  const std::string ws = NewWorkspace();
  for (int i = 0; i < kFiles; ++i) {
    GenerateLog(ws + "logs/access" + std::to_string(i) + ".log", kLinesPerFile, 11 + i);
  }
  const auto run = StartVelmora({"-w", ws, "parse"});
  const auto start = std::chrono::steady_clock::now();
  while (ReadFile(ws + "parsing.log").find("Parsing file 2 of") == std::string::npos &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(120)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const bool still_running = run->Running();
  kill(run->pid(), SIGKILL);
  run->Wait();
  ASSERT_TRUE(still_running) << "the run ended before it could be killed; make the logs bigger";
  ASSERT_TRUE(fs::exists(ws + "database.undo"));

  const auto dump = Velmora({"-w", ws, "dump", "Hourly"});
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.err.find(kPutBack), std::string::npos) << dump.err;
  EXPECT_EQ(HitsIn(dump.out), 0) << "the first file went with the rest of the run";
  EXPECT_FALSE(fs::exists(ws + "database.undo"));
  EXPECT_FALSE(fs::exists(ws + "parse-run.active"));
}

TEST_F(InterruptedRunTest, APartialRunWithoutUndoCopyAsksAndNoParsesNothing) {
  const std::string ws = NewWorkspace();
  GenerateLog(ws + "logs/a.log", 2000, 5);
  std::ofstream(ws + "parse-run.active") << "999999999 not-this-boot\n";

  const auto declined = Velmora({"-w", ws, "parse"});
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.err.find(kUnfinished), std::string::npos) << declined.err;
  EXPECT_NE(declined.err.find("velmora --yes parse"), std::string::npos) << declined.err;
  EXPECT_FALSE(fs::exists(ws + "parsing.log")) << "nothing was parsed";

  // Yes, or a reset, clears the mark.
  for (const char* command : {"reset", "parse"}) {
    std::ofstream(ws + "parse-run.active") << "999999999 not-this-boot\n";
    const auto agreed = Velmora({"--yes", "-w", ws, command});
    EXPECT_EQ(agreed.status, 0) << command << ": " << agreed.err;
    EXPECT_FALSE(fs::exists(ws + "parse-run.active")) << command;
    EXPECT_EQ(VelmoraIn(ws, {"dump", "Hourly"}).err.find(kUnfinished), std::string::npos);
  }
  EXPECT_EQ(HourlyHits(ws), 2000);
}

}  // namespace
}  // namespace velmora
