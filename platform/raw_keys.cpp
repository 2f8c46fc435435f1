#include "platform/raw_keys.h"

#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace velmora {

static_assert(sizeof(termios) <= 64, "the saved terminal settings must fit");

RawKeys::RawKeys() {
  termios mode{};
  if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &mode) != 0) return;
  std::memcpy(saved_, &mode, sizeof mode);
  mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  active_ = tcsetattr(STDIN_FILENO, TCSANOW, &mode) == 0;
}

RawKeys::~RawKeys() {
  if (!active_) return;
  termios mode{};
  std::memcpy(&mode, saved_, sizeof mode);
  tcsetattr(STDIN_FILENO, TCSANOW, &mode);
}

KeyPress RawKeys::Read() {
  if (!active_) return {};
  auto next = [](unsigned char& c) { return read(STDIN_FILENO, &c, 1) == 1; };
  unsigned char c = 0;
  if (!next(c)) return {};
  switch (c) {
    case ' ':
      return {Key::kSpace};
    case '\n':
    case '\r':
      return {Key::kEnter};
    case 0x1B: {
      // An arrow key arrives as ESC [ A or ESC [ B; a lone ESC is the Escape key.
      termios mode{};
      tcgetattr(STDIN_FILENO, &mode);
      termios quick = mode;
      quick.c_cc[VMIN] = 0;
      quick.c_cc[VTIME] = 1;
      tcsetattr(STDIN_FILENO, TCSANOW, &quick);
      unsigned char bracket = 0, code = 0;
      const bool arrow = next(bracket) && bracket == '[' && next(code);
      tcsetattr(STDIN_FILENO, TCSANOW, &mode);
      if (arrow && code == 'A') return {Key::kUp};
      if (arrow && code == 'B') return {Key::kDown};
      return {Key::kEscape};
    }
    default:
      return {Key::kCharacter, static_cast<char>(c)};
  }
}

}  // namespace velmora
