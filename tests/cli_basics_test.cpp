// The command line's contract, seen from outside: help that teaches the global options, the
// version, and exit status 2 with a reason for anything the command line does not know.
#include "tests/cli_fixture.h"

namespace velmora {
namespace {

TEST_F(CliTest, HelpVersionAndWhatTheCommandLineRefuses) {
  const std::string ws = NewWorkspace();
  const std::vector<std::string> help = {"Usage: velmora", "--workspace", "--yes",
                                         "--version",      "Examples:",   "Exit status"};
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> says;  // on stdout when it worked, else on stderr
  } cases[] = {
      {{"--help"}, 0, help},
      {{}, 0, help},
      {{"--version"}, 0, {"velmora "}},
      {{"frobnicate"}, 2, {}},
      {{"--frobnicate"}, 2, {}},
      {{"-w"}, 2, {}},
      {{"--yes", "--no-such-flag"}, 2, {}},
      {{"completion", "zsh"}, 2, {"bash"}},
      {{"-w", ws, "log"}, 1, {"velmora parse"}},  // before any run: what to do
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const auto r = Velmora(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_FALSE((c.status == 0 ? r.out : r.err).empty());
    for (const std::string& text : c.says) {
      EXPECT_NE((c.status == 0 ? r.out : r.err).find(text), std::string::npos) << r.out << r.err;
    }
  }
}

}  // namespace
}  // namespace velmora
