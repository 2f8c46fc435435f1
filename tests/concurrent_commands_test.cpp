// Commands on a workspace while a parse run writes it: a second writer (parse, reset) is refused
// at once, naming the run, and leaves the run alone; a dump waits for the run's commit and prints
// what it committed.
#include <chrono>
#include <thread>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

// Enough that the run outlasts the other commands; a sanitized build parses many times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kLines = 200000;
#else
constexpr int kLines = 1000000;
#endif

using Clock = std::chrono::steady_clock;

template <class Condition>
bool WaitFor(Condition condition) {
  const auto start = Clock::now();
  while (!condition()) {
    if (Clock::now() - start > std::chrono::seconds(120)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TEST_F(CliTest, SecondWriterIsRefusedAndReaderWaitsForTheCommit) {
  const std::string ws = NewWorkspace();
  GenerateLog(ws + "logs/access.log", kLines, 1);

  const auto run = StartVelmora({"-w", ws, "parse"});
  const std::string log_path = ws + "parsing.log";
  ASSERT_TRUE(
      WaitFor([&] { return ReadFile(log_path).find("Parsing file 1 of") != std::string::npos; }));
  const std::string log_so_far = ReadFile(log_path);
  const std::string process = "(process " + std::to_string(run->pid()) + ")";

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-w", ws, "parse"}, {"--yes", "-w", ws, "reset"}}) {
    const auto start = Clock::now();
    const auto refused = Velmora(args);
    const auto took = Clock::now() - start;
    EXPECT_EQ(refused.status, 1) << args.back();
    EXPECT_EQ(refused.err, "velmora: Another parse run is using this workspace " + process + "\n");
    EXPECT_EQ(refused.out, "");
    EXPECT_LT(took, std::chrono::seconds(1)) << args.back();
  }

  const auto dump = StartVelmora({"-w", ws, "dump", "Hourly"});
  const std::string waiting = "Waiting for the parse run " + process + " to finish...\n";
  ASSERT_TRUE(WaitFor([&] { return dump->ErrSoFar() == waiting || !dump->Running(); }));
  ASSERT_TRUE(run->Running()) << "the run ended before the others started; make the log bigger";

  const auto ran = run->Wait();
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_NE(ran.out.find("Lines processed: " + std::to_string(kLines) + ", errors: 0"),
            std::string::npos)
      << ran.out;
  const std::string log = ReadFile(log_path);
  EXPECT_EQ(log.substr(0, log_so_far.size()), log_so_far) << "parsing.log was rewritten";
  EXPECT_EQ(log.find("Parsing file 1 of"), log.rfind("Parsing file 1 of")) << log;

  const auto dumped = dump->Wait();
  EXPECT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(dumped.err, waiting);
  EXPECT_EQ(HitsIn(dumped.out), kLines);
  EXPECT_EQ(dumped.out, Velmora({"-w", ws, "dump", "Hourly"}).out);
}

}  // namespace
}  // namespace velmora
