#include "platform/desktop.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace velmora {
namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string CurrentFolder() {
  std::error_code ec;
  std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? std::string(".") : cwd.string();
}

// The executable `name` found along $PATH, or "" when it is nowhere.
std::string FindInPath(std::string_view name) {
  const std::string path = EnvOrEmpty("PATH");
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(start, end - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + std::string(name);
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

}  // namespace

std::string HomeFolder() {
  std::string home = EnvOrEmpty("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    home = found->pw_dir;
  }
  return home;
}

std::string DocumentsFolder() {
  std::string documents = EnvOrEmpty("XDG_DOCUMENTS_DIR");
  if (!documents.empty()) return documents;
  const std::string home = HomeFolder();
  return home.empty() ? CurrentFolder() : home + "/Documents";
}

std::string ConfigFolder() {
  // The base directory rules ignore a relative XDG_CONFIG_HOME.
  const std::string config = EnvOrEmpty("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return config + "/velmora";
  const std::string home = HomeFolder();
  return (home.empty() ? CurrentFolder() : home) + "/.config/velmora";
}

std::string PreferencesPath() { return ConfigFolder() + "/preferences.ini"; }

bool OpenWithDesktop(const std::string& target) {
  if (target.empty()) return false;
  if (EnvOrEmpty("DISPLAY").empty() && EnvOrEmpty("WAYLAND_DISPLAY").empty()) return false;
  const std::string opener = FindInPath("xdg-open");
  if (opener.empty()) return false;

  // Passed as one argument, never through a shell; a leading '-' would read as an option.
  std::string argument = target;
  if (argument.front() == '-') argument = "./" + argument;
  std::string program = opener;
  char* argv[] = {program.data(), argument.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
#ifdef POSIX_SPAWN_SETSID
  // Its own session, so Ctrl+C on our terminal does not reach the opened application.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
#endif
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, opener.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  // Reap it in the background so it never lingers as a zombie.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace velmora
