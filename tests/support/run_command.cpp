#include "tests/support/run_command.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace velmora::testing {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

CommandResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env, const std::string& input) {
  return BackgroundProgram(program, args, env, input).Wait();
}

BackgroundProgram::BackgroundProgram(const std::string& program,
                                     const std::vector<std::string>& args,
                                     const std::vector<std::string>& env,
                                     const std::string& input) {
  const std::string in_path = io_ / "stdin", out_path = io_ / "stdout", err_path = io_ / "stderr";
  std::ofstream(in_path, std::ios::binary) << input;

  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& add : env) replaced |= add.substr(0, add.find('=')) == name;
    if (!replaced) env_strings.push_back(entry);
  }
  for (const auto& add : env) env_strings.push_back(add);

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    start_error_ = std::string("cannot start ") + program + ": " + std::strerror(rc);
    return;
  }
  pid_ = pid;
}

BackgroundProgram::~BackgroundProgram() {
  if (Running()) {
    kill(pid_, SIGKILL);
    Wait();
  }
}

bool BackgroundProgram::Running() {
  if (pid_ <= 0 || wstatus_ != -1) return false;
  int wstatus = 0;
  if (waitpid(pid_, &wstatus, WNOHANG) != pid_) return true;
  wstatus_ = wstatus;
  return false;
}

std::string BackgroundProgram::ErrSoFar() const { return ReadAll(io_ / "stderr"); }

CommandResult BackgroundProgram::Wait() {
  CommandResult result;
  if (pid_ <= 0) {
    result.err = start_error_;
    return result;
  }
  while (wstatus_ == -1) {
    int wstatus = 0;
    if (waitpid(pid_, &wstatus, 0) == pid_) wstatus_ = wstatus;
  }
  result.status = WIFEXITED(wstatus_) ? WEXITSTATUS(wstatus_) : 128 + WTERMSIG(wstatus_);
  result.out = ReadAll(io_ / "stdout");
  result.err = ReadAll(io_ / "stderr");
  return result;
}

}  // namespace velmora::testing
