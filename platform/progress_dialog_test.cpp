#include "platform/progress_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

using std::chrono::milliseconds;

// Records what a view would show; the user cancels when the scripted test says so.
class ScriptedView : public ProgressView {
 public:
  struct Shown {
    ProgressState state;
    uint32_t parts;
  };

  void Show(const ProgressState& state, uint32_t parts) override {
    shows.push_back({state, parts});
    if (cancel_when && cancel_when(state)) cancel_ = true;
  }
  bool CancelPressed() override { return std::exchange(cancel_, false); }
  void ShowWaitNotice(bool shown) override { notices.push_back(shown); }
  void Close(ProgressResult result) override { closed.push_back(result); }

  std::vector<std::string> statuses() const {
    std::vector<std::string> out;
    for (const Shown& s : shows) {
      if (s.parts & kProgressStatus) out.push_back(s.state.status);
    }
    return out;
  }

  std::function<bool(const ProgressState&)> cancel_when;
  std::vector<Shown> shows;
  std::vector<bool> notices;
  std::vector<ProgressResult> closed;

 private:
  bool cancel_ = false;
};

// Answers questions by a script that may act (release the worker) as it answers.
class ActingPrompter : public Prompter {
 public:
  PromptAnswer Ask(std::string_view caption, std::string_view text, PromptButtons buttons,
                   PromptIcon icon) override {
    asked.push_back({std::string(caption), std::string(text), buttons, icon});
    if (buttons == PromptButtons::kOk) return PromptAnswer::kOk;
    return on_question ? on_question(questions++) : PromptAnswer::kNo;
  }
  struct Asked {
    std::string caption, text;
    PromptButtons buttons;
    PromptIcon icon;
  };
  std::function<PromptAnswer(int)> on_question;
  int questions = 0;
  std::vector<Asked> asked;
};

ProgressDialog::Options ShortWaits(std::function<void()> force_exit = [] {}) {
  return {milliseconds(50), std::move(force_exit)};
}

TEST(ProgressDialogTest, PositionsMoveOnlyForwardOrBackToZero) {
  ProgressDialog dialog("t", [](ProgressDialog&) { return 0; });
  const struct {
    std::optional<std::string_view> text;
    int32_t position;
    const char* status_after;
    int32_t position_after;
  } steps[] = {
      {"one", 3, "one", 3},          {std::nullopt, 5, "one", 5}, {"two", -1, "two", 5},
      {std::nullopt, 4, "two", 5},   {"three", 0, "three", 0},    {std::nullopt, -7, "three", 0},
      {std::nullopt, 1, "three", 1},
  };
  for (const auto& step : steps) {
    dialog.SetStatus(step.text, step.position);
    dialog.SetDetail(step.text, step.position);
    ProgressState state = dialog.state();
    EXPECT_EQ(state.status, step.status_after);
    EXPECT_EQ(state.overall_position, step.position_after);
    EXPECT_EQ(state.detail, step.status_after);
    EXPECT_EQ(state.file_position, step.position_after);
  }
}

// A worker moving the file bar as fast as it can must not wake the front end each time, yet the
// view still shows where the bar ended.
TEST(ProgressDialogTest, BarMovesWakeTheWindowAFewTimesASecond) {
  int32_t last = 0;
  ProgressDialog dialog("t", [&last](ProgressDialog& d) {
    const auto end = std::chrono::steady_clock::now() + milliseconds(300);
    while (std::chrono::steady_clock::now() < end) d.SetDetail(std::nullopt, ++last);
    d.PostOk();
    return 0;
  });
  ScriptedView view;
  ActingPrompter prompter;
  EXPECT_EQ(dialog.RunModal(view, prompter), ProgressResult::kOk);
  EXPECT_GT(last, 1000);
  EXPECT_LT(view.shows.size(), 30u);
  ASSERT_FALSE(view.shows.empty());
  EXPECT_EQ(view.shows.back().state.file_position, last);
}

// Bars start hidden; ranges set before RunModal are shown at once, with every part. Later
// refreshes coalesce, but the last state is always shown and no part is shown unasked.
TEST(ProgressDialogTest, WorkerUpdatesReachTheViewWithTheirDirtyParts) {
  ProgressDialog dialog("Parsing files", [](ProgressDialog& d) {
    d.SetFileCount(3);
    for (int i = 0; i < 3; ++i) {
      d.SetStatus("Parsing file " + std::to_string(i + 1) + " of 3", i);
      d.ResetFileBar(10'000);
      d.SetDetail("f.log", 5'000);
    }
    d.PostOk();
    return 0;
  });
  EXPECT_EQ(dialog.state().overall_range, -1);
  EXPECT_EQ(dialog.state().file_range, -1);
  dialog.SetFileCount(7);
  dialog.SetFileRange(0);
  ScriptedView view;
  ActingPrompter prompter;
  EXPECT_EQ(dialog.RunModal(view, prompter), ProgressResult::kOk);
  ASSERT_FALSE(view.shows.empty());
  const ScriptedView::Shown& first = view.shows.front();
  EXPECT_EQ(first.parts, static_cast<uint32_t>(kProgressAllParts));
  EXPECT_EQ(first.state.title, "Parsing files");
  EXPECT_EQ(first.state.overall_range, 7);
  EXPECT_EQ(first.state.file_range, 0);
  const ScriptedView::Shown& last = view.shows.back();
  EXPECT_EQ(last.state.status, "Parsing file 3 of 3");
  EXPECT_EQ(last.state.overall_range, 3);
  EXPECT_EQ(last.state.overall_position, 2);
  EXPECT_EQ(last.state.file_range, 10'000);
  EXPECT_EQ(last.state.file_position, 5'000);
  for (size_t i = 1; i < view.shows.size(); ++i) {
    EXPECT_EQ(view.shows[i].parts & kProgressTitle, 0u) << "the title never changed";
  }
  EXPECT_THAT(view.closed, ::testing::ElementsAre(ProgressResult::kOk));
  EXPECT_TRUE(prompter.asked.empty());
}

TEST(ProgressDialogTest, CancelReachesTheWorkerAndItsLastWordsAreShown) {
  ProgressDialog dialog("t", [&](ProgressDialog& d) {
    d.SetStatus("file 1", 0);
    // The worker looks at the request only where it asks; here it asks until told to stop.
    for (int i = 0; i < 10'000 && d.KeepGoing(); ++i) std::this_thread::sleep_for(milliseconds(1));
    if (!d.KeepGoing()) d.SetStatus("Cancelling...", -1);
    return 0;
  });
  ScriptedView view;
  view.cancel_when = [&](const ProgressState& s) { return s.status == "file 1"; };
  ActingPrompter prompter;
  EXPECT_EQ(dialog.RunModal(view, prompter), ProgressResult::kCancel);
  EXPECT_FALSE(dialog.KeepGoing()) << "asking does not use the request up";
  dialog.PressCancel();
  EXPECT_FALSE(dialog.KeepGoing()) << "a second Cancel does not resume the run";
  EXPECT_EQ(view.statuses().back(), "Cancelling...");
  EXPECT_TRUE(prompter.asked.empty()) << "a worker that stops in time is not questioned";
  EXPECT_THAT(view.notices, ::testing::ElementsAre(true, false));
  EXPECT_THAT(view.closed, ::testing::ElementsAre(ProgressResult::kCancel));
}

TEST(ProgressDialogTest, WorkerEndingWithoutOkEndsTheDialog) {
  ProgressDialog dialog("t", [](ProgressDialog& d) {
    d.SetStatus("failed early", 0);
    return 0;
  });
  ScriptedView view;
  ActingPrompter prompter;
  EXPECT_EQ(dialog.RunModal(view, prompter), ProgressResult::kCancel);
  EXPECT_EQ(view.statuses().back(), "failed early");
}

// A worker stuck after Cancel is questioned at the end of each wait: No waits again and asks
// again, Yes warns and ends the process.
TEST(ProgressDialogTest, StuckWorkerIsQuestioned) {
  const std::string question =
      "Terminate processing thread?\nThis can lead to a data corruption!\nPress 'No' to wait for "
      "another 5 seconds";
  for (const PromptAnswer answer : {PromptAnswer::kNo, PromptAnswer::kYes}) {
    const bool yes = answer == PromptAnswer::kYes;
    SCOPED_TRACE(yes ? "Yes" : "No");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    int exits = 0;
    ProgressDialog dialog(
        "t",
        [&](ProgressDialog& d) {
          while (d.KeepGoing()) std::this_thread::sleep_for(milliseconds(1));
          released.wait();  // a worker stuck in a long step
          return 0;
        },
        ShortWaits([&] {
          ++exits;
          if (yes) release.set_value();  // the test's stand-in for the end of the process
        }));
    ScriptedView view;
    view.cancel_when = [](const ProgressState&) { return true; };
    ActingPrompter prompter;
    prompter.on_question = [&](int n) {
      if (!yes && n == 1) release.set_value();  // the second No: the worker gets unstuck meanwhile
      return answer;
    };
    EXPECT_EQ(dialog.RunModal(view, prompter), ProgressResult::kCancel);
    EXPECT_EQ(exits, yes ? 1 : 0);
    ASSERT_EQ(prompter.asked.size(), 2u);
    for (const auto& asked : prompter.asked) EXPECT_EQ(asked.caption, "Velmora");
    EXPECT_EQ(prompter.asked[0].text, question);
    EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::kYesNo);
    if (yes) {
      EXPECT_EQ(prompter.asked[1].text,
                "Termination of the processing thread has been forced.\nPlease restart Velmora "
                "and rebuild the database");
      EXPECT_EQ(prompter.asked[1].icon, PromptIcon::kWarning);
    } else {
      EXPECT_EQ(prompter.asked[1].text, question);
      EXPECT_EQ(prompter.asked[1].buttons, PromptButtons::kYesNo);
      EXPECT_GE(view.notices.size(), 4u) << "the notice is shown again after each No";
    }
  }
}

}  // namespace
}  // namespace velmora
