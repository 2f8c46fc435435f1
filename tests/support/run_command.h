// Runs the built `velmora` binary (or another program) as a user would, with its own environment
// additions, and captures the exit status, standard output and standard error. No shell is
// involved, so arguments reach the program exactly as written.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

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

// The same program started in the background, for tests of what runs at the same time. Its
// output goes to files until Wait collects it; a program still running when the object dies is
// killed.
class BackgroundProgram {
 public:
  BackgroundProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::string>& env = {}, const std::string& input = "");
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  int pid() const { return pid_; }
  bool Running();
  // What it has written to standard error so far.
  std::string ErrSoFar() const;
  CommandResult Wait();

 private:
  TempDir io_;
  int pid_ = -1;
  int wstatus_ = -1;  // -1 until the program has ended
  std::string start_error_;
};

}  // namespace velmora::testing
