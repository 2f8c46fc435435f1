#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace velmora {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

int StderrColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace velmora
