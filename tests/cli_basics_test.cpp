// The command line's contract, seen from outside: help that lists the commands, the version, and
// exit status 2 for anything the command line does not know.
#include <gtest/gtest.h>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::RunProgram;

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
