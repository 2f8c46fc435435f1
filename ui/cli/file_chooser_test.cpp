#include "ui/cli/file_chooser.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

TEST(FileChooser, KeysTickAndChoose) {
  const std::vector<LogCandidate> list = {{"c.log", true}, {"b.log", false}, {"a.log", true}};
  KeyPress space{Key::kSpace}, down{Key::kDown}, up{Key::kUp}, enter{Key::kEnter};
  auto ch = [](char c) { return KeyPress{Key::kCharacter, c}; };
  const struct {
    std::vector<KeyPress> keys;
    ChooserState::Outcome outcome;
    std::vector<std::string> chosen;
  } cases[] = {
      {{enter}, ChooserState::Outcome::kImport, {"c.log", "a.log"}},  // the new ones, as ticked
      {{space, enter}, ChooserState::Outcome::kImport, {"a.log"}},
      {{down, space, enter}, ChooserState::Outcome::kImport, {"c.log", "b.log", "a.log"}},
      {{down, down, down, up, ch('j'), space, enter}, ChooserState::Outcome::kImport, {"c.log"}},
      {{ch('n'), enter}, ChooserState::Outcome::kImport, {}},
      {{ch('a'), enter}, ChooserState::Outcome::kImport, {"c.log", "b.log", "a.log"}},
      {{ch('i'), enter}, ChooserState::Outcome::kImport, {"b.log"}},
      {{space, KeyPress{Key::kEscape}}, ChooserState::Outcome::kCancel, {"a.log"}},
      {{ch('q')}, ChooserState::Outcome::kCancel, {"c.log", "a.log"}},
      {{KeyPress{Key::kEnd}}, ChooserState::Outcome::kCancel, {"c.log", "a.log"}},
  };
  for (const auto& c : cases) {
    ChooserState state(list);
    ChooserState::Outcome outcome = ChooserState::Outcome::kGoOn;
    for (const KeyPress& key : c.keys) outcome = state.Apply(key);
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(state.Chosen(), c.chosen);
  }
  ChooserState state(list);
  EXPECT_EQ(state.Lines(),
            (std::vector<std::string>{"> [x] c.log", "  [ ] b.log  (stored)", "  [x] a.log"}));
}

}  // namespace
}  // namespace velmora::cli
