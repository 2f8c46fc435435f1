#include "platform/prompter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace velmora {
namespace {

using ::testing::ElementsAre;

TEST(PolicyAnswerTest, NobodyToAskMeansTheCautiousAnswer) {
  struct Case {
    PromptButtons buttons;
    bool assume_yes;
    PromptAnswer answer;
  };
  const Case cases[] = {
      {PromptButtons::kOk, false, PromptAnswer::kOk},
      {PromptButtons::kOk, true, PromptAnswer::kOk},
      {PromptButtons::kRetryCancel, false, PromptAnswer::kCancel},
      {PromptButtons::kRetryCancel, true, PromptAnswer::kCancel},
      {PromptButtons::kYesNo, false, PromptAnswer::kNo},
      {PromptButtons::kYesNo, true, PromptAnswer::kYes},
      {PromptButtons::kYesAllNoAllNo, false, PromptAnswer::kNoToAll},
      {PromptButtons::kYesAllNoAllNo, true, PromptAnswer::kYesToAll},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PolicyAnswer(c.buttons, c.assume_yes), c.answer)
        << static_cast<int>(c.buttons) << " assume_yes=" << c.assume_yes;
  }
}

TEST(ScriptedPrompterTest, AnswersFromTheQueueThenByPolicy) {
  ScriptedPrompter prompter;
  prompter.QueueAnswer(PromptAnswer::kRetry);
  prompter.QueueAnswer(PromptAnswer::kYes);

  EXPECT_EQ(prompter.Ask("C", "one", PromptButtons::kRetryCancel, PromptIcon::kError),
            PromptAnswer::kRetry);
  EXPECT_EQ(prompter.Ask("C", "two", PromptButtons::kYesNo, PromptIcon::kQuestion),
            PromptAnswer::kYes);
  EXPECT_EQ(prompter.Ask("C", "three", PromptButtons::kRetryCancel, PromptIcon::kError),
            PromptAnswer::kCancel);
  EXPECT_EQ(prompter.Ask("C", "four", PromptButtons::kYesNo, PromptIcon::kQuestion),
            PromptAnswer::kNo);

  ASSERT_EQ(prompter.messages().size(), 4u);
  EXPECT_EQ(prompter.messages()[0].answer, PromptAnswer::kRetry);
  EXPECT_EQ(prompter.messages()[3].answer, PromptAnswer::kNo);
  EXPECT_THAT(prompter.texts(), ElementsAre("one", "two", "three", "four"));

  prompter.Clear();
  EXPECT_TRUE(prompter.texts().empty());
}

TEST(ScriptedPrompterTest, AQueuedAnswerThatDoesNotFitIsReplacedByPolicy) {
  ScriptedPrompter prompter(/*assume_yes=*/true);
  prompter.QueueAnswer(PromptAnswer::kRetry);
  prompter.QueueAnswer(PromptAnswer::kNoToAll);
  EXPECT_EQ(prompter.Ask("C", "q", PromptButtons::kYesNo, PromptIcon::kQuestion),
            PromptAnswer::kYes);
  EXPECT_EQ(prompter.Ask("C", "q", PromptButtons::kYesAllNoAllNo, PromptIcon::kQuestion),
            PromptAnswer::kNoToAll);
  EXPECT_EQ(prompter.Ask("C", "q", PromptButtons::kYesAllNoAllNo, PromptIcon::kQuestion),
            PromptAnswer::kYesToAll);
}

TEST(ScriptedPrompterTest, WorkersMayAskConcurrently) {
  ScriptedPrompter prompter;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&prompter] {
      for (int i = 0; i < 250; ++i) {
        prompter.Ask("C", "q", PromptButtons::kRetryCancel, PromptIcon::kWarning);
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(prompter.texts().size(), 1000u);
}

}  // namespace
}  // namespace velmora
