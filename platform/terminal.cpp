#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace velmora {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

namespace {

int Columns(int fd) {
  struct winsize size {};
  if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

int StderrColumns() { return Columns(STDERR_FILENO); }

bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

int StdoutColumns() { return Columns(STDOUT_FILENO); }

bool StdoutShowsColour() {
  const char* term = std::getenv("TERM");
  return StdoutIsTerminal() && std::getenv("NO_COLOR") == nullptr && term != nullptr &&
         std::string_view(term) != "dumb";
}

}  // namespace velmora
