// Single key presses from the terminal on standard input, for the command line's choosers:
// while a RawKeys lives, the terminal neither echoes nor waits for Enter; the previous mode
// comes back when it ends (also when the program leaves through an exception).
#pragma once

#include <cstdint>

namespace velmora {

enum class Key : uint8_t { kUp, kDown, kSpace, kEnter, kEscape, kCharacter, kEnd };

struct KeyPress {
  Key key = Key::kEnd;
  char character = 0;  // for kCharacter
};

class RawKeys {
 public:
  RawKeys();
  ~RawKeys();
  RawKeys(const RawKeys&) = delete;
  RawKeys& operator=(const RawKeys&) = delete;

  // False when standard input is no terminal: nothing can be read.
  bool active() const { return active_; }
  // The next key; kEnd when input ends or the terminal is gone.
  KeyPress Read();

 private:
  bool active_ = false;
  unsigned char saved_[64] = {};  // the terminal's settings before
};

}  // namespace velmora
