// The command line's contract, seen from outside: help that lists the commands, the version, and
// exit status 2 for anything the command line does not know.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/help_text.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::RunProgram;
using testing::SubcommandsIn;

TEST(CliBasics, HelpAlsoWithoutArgumentsTeachesGlobalOptionsAndExamples) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {}}) {
    const auto r = RunProgram(VELMORA_BIN, args);
    EXPECT_EQ(r.status, 0);
    for (const char* needle :
         {"Usage: velmora", "--workspace", "--yes", "--version", "Examples:", "Exit status"}) {
      EXPECT_NE(r.out.find(needle), std::string::npos) << needle << " with " << args.size();
    }
  }
}

TEST(CliBasics, EveryHelpShowsExamplesOfItsOwnCommand) {
  std::vector<std::vector<std::string>> pending = {{}};
  int seen = 0;
  while (!pending.empty()) {
    std::vector<std::string> path = pending.back();
    pending.pop_back();
    std::vector<std::string> args = path;
    args.push_back("--help");
    const auto r = RunProgram(VELMORA_BIN, args);
    ASSERT_EQ(r.status, 0) << ::testing::PrintToString(path);
    ++seen;
    std::string command = "velmora";
    for (const std::string& word : path) command += " " + word;
    const size_t examples = r.out.find("Example");
    ASSERT_NE(examples, std::string::npos) << command;
    EXPECT_NE(r.out.find("  " + command, examples), std::string::npos)
        << command << " --help shows no example of itself:\n"
        << r.out;
    for (const std::string& sub : SubcommandsIn(r.out)) {
      std::vector<std::string> next = path;
      next.push_back(sub);
      pending.push_back(next);
    }
  }
  EXPECT_GT(seen, 30);
}

TEST(CliBasics, VersionNamesTheProgram) {
  const auto r = RunProgram(VELMORA_BIN, {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("velmora ", 0), 0u) << r.out;
}

TEST(CliBasics, UnknownCommandsAndOptionsAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"frobnicate"}, {"--frobnicate"}, {"-w"}, {"--yes", "--no-such-flag"}};
  for (const auto& args : cases) {
    const auto r = RunProgram(VELMORA_BIN, args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_FALSE(r.err.empty()) << args[0];
  }
}

}  // namespace
}  // namespace velmora
