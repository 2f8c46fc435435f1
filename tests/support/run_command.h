// Runs the built `velmora` binary (or another program) as a user would, with its own environment
// additions, and captures the exit status, standard output and standard error. No shell is
// involved, so arguments reach the program exactly as written.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velmora::testing {

struct CommandResult {
  int status = -1;  // exit status; 128 + signal number when killed by a signal
  std::string out;
  std::string err;
};

// `env` entries are "NAME=value" added to (or replacing in) the test's own environment.
// `input` is written to the program's standard input.
CommandResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {}, const std::string& input = "");

}  // namespace velmora::testing
