// A parse run killed with SIGKILL in the middle of a big log: the next command that uses the
// database says the run did not finish, keeps the data when the user declines, and with the
// user's consent removes all parsed data so that parsing again counts every line once.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/cli_fixture.h"

extern char** environ;

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUnfinished =
    "Velmora: The last parse run did not finish; the database may hold partial data";
constexpr int kLinesPerFile = 100000;
constexpr int kFiles = 3;

class InterruptedRunTest : public CliTest {
 protected:
  void Generate(const std::string& path, int lines, int seed) {
    const auto r =
        testing::RunProgram(LOGGEN_BIN, {"--format", "combined", "--lines", std::to_string(lines),
                                         "--seed", std::to_string(seed), "-o", path});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  // Starts `velmora -w ws parse` in the background with the fixture's environment.
  pid_t StartParse(const std::string& ws) {
    std::vector<std::string> strings;
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      if (!entry.starts_with("HOME=") && !entry.starts_with("XDG_")) strings.push_back(entry);
    }
    strings.push_back("HOME=" + home_.str());
    strings.push_back("XDG_CONFIG_HOME=" + home_ / "config");
    std::vector<char*> envp;
    for (std::string& s : strings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{VELMORA_BIN, "-w", ws, "parse"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, VELMORA_BIN, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
  }

  static long long HourlyHits(const std::string& dump) {
    long long hits = 0;
    for (const std::string& line : Lines(dump)) {
      const size_t at = line.find("\"hits\":");
      if (at != std::string::npos) hits += std::stoll(line.substr(at + 7));
    }
    return hits;
  }
};

TEST_F(InterruptedRunTest, KilledRunIsReportedAndResetOnConsent) {
  const std::string ws = NewWorkspace();
  for (int i = 0; i < kFiles; ++i) {
    Generate(ws + "logs/access" + std::to_string(i) + ".log", kLinesPerFile, 11 + i);
  }
  const std::string marker = ws + "parse-run.active";

  // Kill the run in the middle of its second file: the first is complete and recorded, the
  // second half in the tables and not recorded.
  const pid_t pid = StartParse(ws);
  ASSERT_GT(pid, 0);
  const auto start = std::chrono::steady_clock::now();
  while (ReadFile(ws + "parsing.log").find("Parsing file 2 of") == std::string::npos &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(120)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int wstatus = 0;
  const bool still_running = waitpid(pid, &wstatus, WNOHANG) == 0;
  kill(pid, SIGKILL);
  waitpid(pid, &wstatus, 0);
  ASSERT_TRUE(still_running) << "the run ended before it could be killed; make the logs bigger";
  ASSERT_TRUE(fs::exists(marker));

  // Declined (no terminal, no --yes): the data stays, and so does the warning.
  const auto dump = Velmora({"-w", ws, "dump", "Hourly"});
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_NE(dump.err.find(kUnfinished), std::string::npos) << dump.err;
  EXPECT_GT(HourlyHits(dump.out), kLinesPerFile);
  EXPECT_LT(HourlyHits(dump.out), kFiles * kLinesPerFile);
  EXPECT_TRUE(fs::exists(marker));
  // Lists still held by the dead run's caches read as no list.
  for (const std::string& line : Lines(Velmora({"-w", ws, "dump", "Sessions"}).out)) {
    for (const char* field : {"\"page_path\":", "\"downloads\":", "\"images\":", "\"errors\":"}) {
      const size_t at = line.find(field);
      ASSERT_NE(at, std::string::npos) << line;
      EXPECT_GE(std::stoll(line.substr(at + std::string(field).size())), -1) << line;
    }
  }

  // Agreed: all parsed data goes and the run parses every file again, each line once.
  const auto again = Velmora({"--yes", "-w", ws, "parse"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.err.find(kUnfinished), std::string::npos) << again.err;
  EXPECT_NE(again.out.find("new: " + std::to_string(kFiles)), std::string::npos) << again.out;
  EXPECT_FALSE(fs::exists(marker));
  const auto after = Velmora({"-w", ws, "dump", "Hourly"});
  EXPECT_EQ(after.err.find(kUnfinished), std::string::npos) << after.err;
  EXPECT_EQ(HourlyHits(after.out), kFiles * kLinesPerFile);
}

TEST_F(InterruptedRunTest, CleanRunLeavesNoMark) {
  const std::string ws = NewWorkspace();
  Generate(ws + "logs/a.log", 2000, 5);
  const auto r = Velmora({"-w", ws, "parse"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(ws + "parse-run.active"));
  EXPECT_EQ(Velmora({"-w", ws, "dump", "Hourly"}).err.find(kUnfinished), std::string::npos);
}

TEST_F(InterruptedRunTest, ResetCommandClearsTheMark) {
  const std::string ws = NewWorkspace();
  std::ofstream(ws + "parse-run.active") << "999999999 not-this-boot\n";
  const auto reset = Velmora({"--yes", "-w", ws, "reset"});
  EXPECT_EQ(reset.status, 0) << reset.err;
  EXPECT_FALSE(fs::exists(ws + "parse-run.active"));
  EXPECT_EQ(Velmora({"-w", ws, "dump", "Hourly"}).err.find(kUnfinished), std::string::npos);
}

}  // namespace
}  // namespace velmora
