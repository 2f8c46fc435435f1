// Runs for the page: questions put to the page and answered (or not) from another thread, one job
// at a time with its progress dialog published, and the page's session letting go of the
// workspace when idle and for a run.
#include "ui/web/work_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/workspace_lock.h"
#include "tests/support/new_workspace.h"
#include "tests/support/temp_dir.h"
#include "ui/web/web_api.h"

namespace velmora::web {
namespace {

using nlohmann::json;
using std::chrono::milliseconds;

// Polls `what` until it gives a non-null value (or ten seconds pass).
json Await(const std::function<json()>& what) {
  for (int i = 0; i < 2000; ++i) {
    json value = what();
    if (!value.is_null()) return value;
    std::this_thread::sleep_for(milliseconds(5));
  }
  return nullptr;
}

struct PromptCase {
  const char* what;
  PromptButtons buttons;
  std::function<void(PageQuestions&, uint64_t id)> reply;
  PromptAnswer expected;
};

TEST(PageQuestionsTest, TheWorkerGetsThePagesAnswerOrItsPolicy) {
  const auto answer = [](const char* text) {
    return [text](PageQuestions& q, uint64_t id) { EXPECT_TRUE(q.Answer(id, text)); };
  };
  const PromptCase cases[] = {
      {"Yes", PromptButtons::kYesNo, answer("yes"), PromptAnswer::kYes},
      {"Yes to All", PromptButtons::kYesAllNoAllNo, answer("yes_to_all"), PromptAnswer::kYesToAll},
      {"Retry", PromptButtons::kRetryCancel, answer("retry"), PromptAnswer::kRetry},
      {"a plain message read", PromptButtons::kOk, answer("ok"), PromptAnswer::kOk},
      {"an answer not offered", PromptButtons::kYesNo, answer("retry"), PromptAnswer::kNo},
      {"an answer of no name", PromptButtons::kRetryCancel, answer("maybe"), PromptAnswer::kCancel},
      {"cancelled while asking", PromptButtons::kRetryCancel,
       [](PageQuestions& q, uint64_t) { q.Cancel(std::thread::id()); }, PromptAnswer::kCancel},
      {"the server stops", PromptButtons::kYesNo, [](PageQuestions& q, uint64_t) { q.Close(); },
       PromptAnswer::kNo},
      {"nobody answers", PromptButtons::kYesAllNoAllNo, [](PageQuestions&, uint64_t) {},
       PromptAnswer::kNoToAll},
  };
  for (const PromptCase& c : cases) {
    PageQuestions questions(milliseconds(1500));
    QuestionPrompter prompter(questions);
    PromptAnswer got = PromptAnswer::kOk;
    std::thread worker(
        [&] { got = prompter.Ask("Velmora", "Go on?", c.buttons, PromptIcon::kQuestion); });
    const json open = Await([&] { return questions.Open(); });
    ASSERT_TRUE(open.is_object()) << c.what;
    EXPECT_EQ(open["caption"], "Velmora") << c.what;
    EXPECT_EQ(open["text"], "Go on?") << c.what;
    EXPECT_EQ(open["icon"], "question") << c.what;
    EXPECT_EQ(open["buttons"], ButtonsName(c.buttons)) << c.what;
    const uint64_t id = open["id"].get<uint64_t>();
    c.reply(questions, id);
    worker.join();
    EXPECT_EQ(got, c.expected) << c.what;
    EXPECT_FALSE(questions.Answer(id, "yes")) << c.what << ": a second answer changes nothing";
    EXPECT_TRUE(questions.Open().is_null()) << c.what;
  }
}

json AwaitQuestion(WorkJob& job, std::string_view text, uint64_t after = 0) {
  return Await([&]() -> json {
    json question = job.Status()["question"];
    if (question.is_object() && question["text"] == std::string(text) &&
        question["id"].get<uint64_t>() > after) {
      return question;
    }
    return nullptr;
  });
}

TEST(WorkJobTest, PublishesOneRunAndAsksBeforeEndingAWorkerThatDoesNotStop) {
  WorkJob job(std::chrono::seconds(20));
  std::atomic<bool> release{false};
  std::atomic<bool> forced{false};
  ASSERT_TRUE(job.Start("parse", [&](WorkJob& j) {
    ProgressDialog::Options options;
    options.wait_period = milliseconds(50);
    options.force_exit = [&] {
      forced = true;
      release = true;
    };
    ProgressDialog dialog(
        "Parsing files",
        [&](ProgressDialog& d) {
          d.SetFileCount(4);
          d.SetStatus("Reading file 2 of 4", 1);
          d.SetDetail("access.log", -1);
          while (!release) std::this_thread::sleep_for(milliseconds(2));
          return 0;
        },
        options);
    return json{{"cancelled", dialog.RunModal(j.view(), j.prompter()) == ProgressResult::kCancel}};
  }));
  EXPECT_FALSE(job.Start("retrieve", [](WorkJob&) { return json(); })) << "one run at a time";

  const json progress = Await([&]() -> json {
    json p = job.Status()["progress"];
    return p.is_object() && p["status"] == "Reading file 2 of 4" ? p : json();
  });
  ASSERT_TRUE(progress.is_object());
  EXPECT_EQ(progress["title"], "Parsing files");
  EXPECT_EQ(progress["detail"], "access.log");
  EXPECT_EQ(progress["overall"], (json{{"range", 4}, {"position", 1}}));
  EXPECT_TRUE(progress["file"].is_null()) << "a bar of no range is hidden";

  job.Cancel();
  const json first = AwaitQuestion(job, kTerminateQuestion);
  ASSERT_TRUE(first.is_object());
  EXPECT_EQ(first["buttons"], "yes_no");
  EXPECT_TRUE(job.Status()["running"].get<bool>());
  ASSERT_TRUE(job.questions().Answer(first["id"].get<uint64_t>(), "no"));
  const json again = AwaitQuestion(job, kTerminateQuestion, first["id"].get<uint64_t>());
  ASSERT_TRUE(again.is_object()) << "No waits another period, then asks again";
  ASSERT_TRUE(job.questions().Answer(again["id"].get<uint64_t>(), "yes"));
  const json warning = AwaitQuestion(job, kForcedTerminationWarning);
  ASSERT_TRUE(warning.is_object());
  EXPECT_EQ(warning["icon"], "warning");
  ASSERT_TRUE(job.questions().Answer(warning["id"].get<uint64_t>(), "ok"));

  const json outcome = Await([&] { return job.Status()["outcome"]; });
  EXPECT_TRUE(forced) << "the process would end here, after the warning was read";
  EXPECT_EQ(outcome, (json{{"cancelled", true}}));
  EXPECT_FALSE(job.Status()["running"].get<bool>());
  EXPECT_TRUE(job.Status()["progress"].is_null()) << "the dialog closed";
}

json AwaitOutcome(WebApi& api) {
  return Await([&]() -> json {
    json status = json::parse(api.JobStatus().body);
    return status["running"].get<bool>() ? json() : status["outcome"];
  });
}

// Answers the open question of the page's run when it is of `kind` ("chooser" or a prompt's
// caption); false when none came.
bool AnswerNext(WebApi& api, std::string_view caption, json answer) {
  const json question = Await([&]() -> json {
    json q = json::parse(api.JobStatus().body)["question"];
    return q.is_object() && q.value("caption", q.value("title", "")) == caption ? q : json();
  });
  if (!question.is_object()) return false;
  return api.AnswerJob(json{{"id", question["id"]}, {"answer", std::move(answer)}}).status == 200;
}

TEST(WebApiJobsTest, RunsOneRetrievalOrParseAtATimeAndLetsGoOfTheWorkspaceWhenIdle) {
  testing::TempDir dir;
  const std::string prefs = dir / "preferences.ini";
  const std::string source = dir / "source";
  std::filesystem::create_directories(source);
  std::ofstream(source + "/access.log")
      << "192.0.2.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /index.html HTTP/1.1\" 200 512 \"-\" "
         "\"Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 Firefox/120.0\"\n";
  ScriptedPrompter prompter(true);
  testing::MakeTestWorkspace(prompter, prefs, dir.str());
  const std::string folder = dir / "site";
  {
    Session session(prompter, Preferences(prefs));
    ASSERT_TRUE(session.Open("").ok());
    WorkspaceSettings settings = session.workspace().settings();
    settings.last_import_folder = source;
    ASSERT_TRUE(session.workspace().ChangeSettings(settings).ok());
  }
  WebTiming timing;
  timing.idle_close = milliseconds(1000);
  WebApi api("", Preferences(prefs), timing);

  // Held for a report, so a terminal's parse run is refused; let go once idle, so it is not.
  ASSERT_EQ(api.Report("traffic", 4, 0).status, 200);
  EXPECT_TRUE(api.holds_workspace());
  EXPECT_FALSE(WorkspaceLock::TryExclusive(folder).ok());
  EXPECT_FALSE(Await([&] { return api.holds_workspace() ? json() : json(true); }).is_null());
  EXPECT_TRUE(WorkspaceLock::TryExclusive(folder).ok());

  // The retrieval waits on the page's chooser; meanwhile nothing else starts.
  ASSERT_EQ(api.StartRetrieve().status, 200);
  const json chooser = Await([&] { return json::parse(api.JobStatus().body)["question"]; });
  ASSERT_TRUE(chooser.is_object());
  EXPECT_EQ(chooser["kind"], "chooser");
  EXPECT_EQ(chooser["title"], "Import Local Log Files");
  EXPECT_EQ(chooser["files"], (json{{{"name", "access.log"}, {"new", true}}}));
  EXPECT_EQ(api.StartParse().status, 409);
  EXPECT_EQ(api.StartRetrieve().status, 409);
  EXPECT_EQ(api.Report("traffic", 4, 0).status, 409);
  EXPECT_EQ(api.RemoveAllData(json{{"confirmed", true}}).status, 409);
  EXPECT_EQ(api.AnswerJob(json{{"id", 999}, {"answer", "yes"}}).status, 409);
  EXPECT_EQ(api.AnswerJob(json{{"answer", "yes"}}).status, 400);
  // A name the list did not offer is no file to import.
  ASSERT_TRUE(AnswerNext(api, "Import Local Log Files",
                         {{"files", {"access.log", "../site/site.stw"}},
                          {"boxes", {{"rename", false}, {"parse", true}}}}));
  json outcome = AwaitOutcome(api);
  ASSERT_TRUE(outcome.is_object());
  EXPECT_EQ(outcome["retrieved"]["stored"], 1) << outcome.dump();
  EXPECT_EQ(outcome["retrieved"]["failed"], 0) << outcome.dump();
  EXPECT_TRUE(outcome["retrieved"]["parse"].get<bool>()) << "the box asked for a parse run";

  ASSERT_EQ(api.StartParse().status, 200);
  outcome = AwaitOutcome(api);
  ASSERT_TRUE(outcome.is_object());
  EXPECT_EQ(outcome["summary"]["parsed_files"], 1) << outcome.dump();
  EXPECT_EQ(api.Report("traffic", 4, 0).status, 200) << "held again after the run";

  // The same file again: the overwrite question, then the offer to remove the parsed data.
  ASSERT_EQ(api.StartRetrieve().status, 200);
  ASSERT_TRUE(AnswerNext(api, "Import Local Log Files", {{"files", {"access.log"}}}));
  ASSERT_TRUE(AnswerNext(api, "Destination file already exist", "yes"));
  ASSERT_TRUE(AnswerNext(api, "Velmora", "no"));
  outcome = AwaitOutcome(api);
  EXPECT_EQ(outcome["retrieved"]["stored"], 1) << outcome.dump();

  // Cancelled at the chooser: nothing is stored.
  ASSERT_EQ(api.StartRetrieve().status, 200);
  ASSERT_EQ(api.CancelJob().status, 200);
  outcome = AwaitOutcome(api);
  EXPECT_EQ(outcome["retrieved"]["stored"], 0) << outcome.dump();
}

}  // namespace
}  // namespace velmora::web
