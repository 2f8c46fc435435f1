#include "ui/cli/file_chooser.h"

#include <cstdio>

namespace velmora::cli {

ChooserState::ChooserState(const std::vector<LogCandidate>& candidates) : candidates_(candidates) {
  for (const LogCandidate& c : candidates_) ticked_.push_back(c.is_new);
}

ChooserState::Outcome ChooserState::Apply(const KeyPress& key) {
  const size_t count = candidates_.size();
  switch (key.key) {
    case Key::kUp:
      if (cursor_ > 0) --cursor_;
      return Outcome::kGoOn;
    case Key::kDown:
      if (cursor_ + 1 < count) ++cursor_;
      return Outcome::kGoOn;
    case Key::kSpace:
      if (cursor_ < count) ticked_[cursor_] = !ticked_[cursor_];
      return Outcome::kGoOn;
    case Key::kEnter:
      return Outcome::kImport;
    case Key::kEscape:
    case Key::kEnd:
      return Outcome::kCancel;
    case Key::kCharacter:
      break;
  }
  switch (key.character) {
    case 'a':
      ticked_.assign(count, true);
      break;
    case 'n':
      ticked_.assign(count, false);
      break;
    case 'i':
      ticked_.flip();
      break;
    case 'j':
      return Apply({Key::kDown});
    case 'k':
      return Apply({Key::kUp});
    case 'q':
      return Outcome::kCancel;
    default:
      break;
  }
  return Outcome::kGoOn;
}

std::vector<std::string> ChooserState::Lines() const {
  std::vector<std::string> lines;
  for (size_t i = 0; i < candidates_.size(); ++i) {
    lines.push_back(std::string(i == cursor_ ? "> " : "  ") + (ticked_[i] ? "[x] " : "[ ] ") +
                    candidates_[i].name + (candidates_[i].is_new ? "" : "  (stored)"));
  }
  return lines;
}

std::vector<std::string> ChooserState::Chosen() const {
  std::vector<std::string> chosen;
  for (size_t i = 0; i < candidates_.size(); ++i) {
    if (ticked_[i]) chosen.push_back(candidates_[i].name);
  }
  return chosen;
}

std::optional<std::vector<std::string>> ChooseOnTerminal(
    const std::string& title, const std::vector<LogCandidate>& candidates) {
  RawKeys keys;
  if (!keys.active()) return std::nullopt;
  ChooserState state(candidates);
  std::fprintf(stderr, "%s\n", title.c_str());
  std::fprintf(stderr, "space tick, a all, n none, i invert, Enter import, Esc cancel\n");
  size_t drawn = 0;
  for (;;) {
    if (drawn > 0) std::fprintf(stderr, "\x1b[%zuA", drawn);
    const std::vector<std::string> lines = state.Lines();
    for (const std::string& line : lines) {
      std::string shown = line;
      for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
      }
      std::fprintf(stderr, "\x1b[2K%s\n", shown.c_str());
    }
    drawn = lines.size();
    switch (state.Apply(keys.Read())) {
      case ChooserState::Outcome::kGoOn:
        break;
      case ChooserState::Outcome::kImport:
        return state.Chosen();
      case ChooserState::Outcome::kCancel:
        return std::nullopt;
    }
  }
}

}  // namespace velmora::cli
