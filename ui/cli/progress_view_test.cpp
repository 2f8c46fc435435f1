#include "ui/cli/progress_view.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace velmora::cli {
namespace {

using ::testing::ElementsAre;

ProgressState Sample() {
  ProgressState s;
  s.title = "Parsing files";
  s.status = "Parsing file 2 of 4";
  s.overall_range = 4;
  s.overall_position = 1;
  s.detail = "access.log";
  s.file_range = 10'000;
  s.file_position = 4'500;
  return s;
}

TEST(RenderProgressLinesTest, TextsBarsAndHiddenBars) {
  EXPECT_THAT(
      RenderProgressLines(Sample(), false, 40),
      ElementsAre("Parsing files", "Parsing file 2 of 4", "[########.........................] 1/4",
                  "access.log", "[##############...................] 45%", ""));
  ProgressState hidden = Sample();
  hidden.overall_range = 0;
  hidden.file_range = -1;
  EXPECT_THAT(RenderProgressLines(hidden, true, 40),
              ElementsAre("Parsing files", "Parsing file 2 of 4", "", "access.log", "",
                          "Please wait for 5 seconds..."));
  ProgressState odd = Sample();
  odd.status = std::string(200, 's');
  odd.overall_position = 9;  // past the range: drawn full
  odd.file_position = -3;    // before it: drawn empty
  std::vector<std::string> lines = RenderProgressLines(odd, false, 30);
  EXPECT_EQ(lines[1], std::string(29, 's')) << "long texts are cut to the terminal";
  EXPECT_EQ(lines[2], "[" + std::string(23, '#') + "] 4/4");
  EXPECT_EQ(lines[4], "[" + std::string(24, '.') + "] 0%");
}

struct Harness {
  Harness(bool draw = true) {
    TerminalProgressView::Options options;
    options.out = draw ? &out : nullptr;
    options.columns = 40;
    options.now = [this] { return SteadyClock::time_point(std::chrono::milliseconds(now_ms)); };
    options.take_interrupts = [this] { return std::exchange(presses, 0); };
    view = std::make_unique<TerminalProgressView>(options);
  }
  // How many times the block was drawn (each draw writes the title line once).
  int draws() const {
    int n = 0;
    for (size_t at = 0; (at = out.str().find("\x1b[2KParsing files", at)) != std::string::npos;
         ++at) {
      ++n;
    }
    return n;
  }
  std::ostringstream out;
  int64_t now_ms = 0;
  int presses = 0;
  std::unique_ptr<TerminalProgressView> view;
};

TEST(TerminalProgressViewTest, RedrawsAtMostTenTimesASecond) {
  Harness h;
  ProgressState s = Sample();
  h.view->Show(s, kProgressAllParts);
  EXPECT_EQ(h.draws(), 1);
  for (int i = 0; i < 50; ++i) {
    h.now_ms += 1;
    s.file_position = 100 * i;
    h.view->Show(s, kProgressFileBar);
  }
  EXPECT_EQ(h.draws(), 1) << "100 ms have not passed";
  h.now_ms = 150;
  h.view->Idle();
  EXPECT_EQ(h.draws(), 2) << "the pending change is drawn once the time has come";
  EXPECT_NE(h.out.str().find("\x1b[6A"), std::string::npos) << "redrawn in place";
  h.now_ms = 400;
  h.view->Idle();
  EXPECT_EQ(h.draws(), 2) << "nothing changed, nothing drawn";
  // A wait that is over at once, as at the end of every run, shows no notice.
  h.view->ShowWaitNotice(true);
  h.now_ms = 450;
  h.view->Idle();
  h.view->ShowWaitNotice(false);
  EXPECT_EQ(h.draws(), 2);
  EXPECT_EQ(h.out.str().find("Please wait"), std::string::npos);
  // One that lasts shows it while it lasts.
  h.now_ms = 1000;
  h.view->ShowWaitNotice(true);
  h.now_ms = 1200;
  h.view->Idle();
  EXPECT_EQ(h.draws(), 2) << "not yet";
  h.now_ms = 1300;
  h.view->Idle();
  EXPECT_EQ(h.draws(), 3);
  EXPECT_NE(h.out.str().find("Please wait for 5 seconds..."), std::string::npos);
  h.view->ShowWaitNotice(false);
  EXPECT_EQ(h.draws(), 4) << "and takes it away when the wait is over";
  h.view->Close(ProgressResult::kOk);
  EXPECT_TRUE(h.out.str().ends_with("\x1b[6A\r\x1b[J")) << "the block is erased";
}

TEST(TerminalProgressViewTest, WithoutATerminalDrawsNothingButStillCancels) {
  Harness h(/*draw=*/false);
  h.view->Show(Sample(), kProgressAllParts);
  h.view->ShowWaitNotice(true);
  h.view->Close(ProgressResult::kCancel);
  EXPECT_EQ(h.out.str(), "");
  EXPECT_FALSE(h.view->CancelPressed());
  h.presses = 1;
  EXPECT_TRUE(h.view->CancelPressed());
  EXPECT_FALSE(h.view->CancelPressed()) << "a press is taken once";
}

}  // namespace
}  // namespace velmora::cli
