// Parse and Retrieve from the page, and the session's hold on the workspace: a run starts on the
// job's thread with a session of its own (so its writes exclude every reader, the page's too),
// and the page's session lets go of the workspace for it, and after 30 seconds without a report,
// so that a parse run from a terminal is not refused while the page sits open.
#include <algorithm>
#include <memory>
#include <thread>
#include <utility>

#include "app/parse_operation.h"
#include "app/retrieval_run.h"
#include "ui/web/page_chooser.h"
#include "ui/web/web_api.h"
#include "workspace/file_commands.h"

namespace velmora::web {
namespace {

ApiReply JobJson(const nlohmann::json& status, int code = 200) {
  return {code, std::string(kJsonType),
          status.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

std::string RunTitle(const std::string& kind) {
  return kind == "parse" ? std::string(kParsingTitle) : std::string(kRetrievalTitle);
}

// A failure the job's prompter showed already is not said twice.
nlohmann::json FailureOutcome(const Error& error) {
  return {{"error", error.kind == ErrorKind::kShownToUser ? "" : error.message}};
}

nlohmann::json ParseOutcome(const Result<ParseRunSummary>& run) {
  if (!run.ok()) return FailureOutcome(run.error());
  const ParseRunSummary& s = *run;
  return {{"summary",
           {{"total_files", s.total_files},
            {"new_files", s.new_files},
            {"parsed_files", s.parsed_files},
            {"total_lines", s.total_lines},
            {"total_errors", s.total_errors},
            {"run_time_ms", s.run_time_ms},
            {"cancelled", s.cancelled},
            {"undone", s.undone},
            {"failure", s.failure},
            {"unreadable", s.unreadable},
            {"warnings", s.warnings}}}};
}

nlohmann::json RetrieveOutcome(const Result<ImportResult>& run) {
  if (!run.ok()) return FailureOutcome(run.error());
  const ImportResult& r = *run;
  return {{"retrieved",
           {{"folder", r.folder},
            {"listed", r.listed},
            {"stored", r.stored},
            {"kept", r.kept},
            {"skipped", r.skipped},
            {"failed", r.failed},
            {"cancelled", r.cancelled},
            {"parse", r.parse},
            {"notes", r.notes}}}};
}

}  // namespace

Status WebApi::Hold() {
  if (held_ || !open_) return {};
  // A parse run from a terminal may hold the workspace now: the page is told so at once rather
  // than left waiting for the run to end.
  const Status held =
      session_.OpenForDatabase(session_.workspace().file_path(), DatabaseAccess::kReadNow);
  if (!held.ok()) return held;
  if (WorkspaceDatabase* db = session_.workspace().database()) db->CloseNow();
  held_ = true;
  Used();
  return {};
}

void WebApi::Used() { last_use_ = std::chrono::steady_clock::now(); }

bool WebApi::holds_workspace() {
  std::lock_guard lock(mutex_);
  return held_;
}

void WebApi::CloseWhenIdle() {
  const auto tick = std::clamp(timing_.idle_close / 4, std::chrono::milliseconds(10),
                               std::chrono::milliseconds(1000));
  std::unique_lock wait(closer_mutex_);
  while (!closer_wake_.wait_for(wait, tick, [this] { return closing_down_; })) {
    // A report or an export that uses the workspace now is a use: the next tick looks again.
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || !held_) continue;
    if (std::chrono::steady_clock::now() - last_use_ < timing_.idle_close) continue;
    session_.Release();
    held_ = false;
  }
}

std::optional<ApiReply> WebApi::RefusedWhileRunning() {
  const nlohmann::json status = job_.Status();
  if (!status["running"].get<bool>()) return std::nullopt;
  return Json({{"error", "\"" + RunTitle(status["kind"].get<std::string>()) +
                             "\" is under way in this or another tab; wait for it to end, or "
                             "cancel it."},
               {"busy", true}},
              409);
}

ApiReply WebApi::StartJob(std::string kind, WorkJob::Work work) {
  if (export_.Status()["running"].get<bool>()) {
    return JobJson({{"error", "An export is running; wait for it or cancel it."}}, 409);
  }
  std::lock_guard lock(mutex_);
  if (!open_) return JobJson({{"error", kNoWorkspaceLoaded}}, 409);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  // The run writes the workspace alone: the page's own hold would refuse it.
  session_.Release();
  held_ = false;
  if (!job_.Start(std::move(kind), std::move(work))) return *RefusedWhileRunning();
  return JobJson(job_.Status());
}

ApiReply WebApi::StartParse() {
  std::string path;
  {
    std::lock_guard lock(mutex_);
    path = session_.workspace().file_path();
  }
  return StartJob("parse", [path, preferences = session_.preferences()](WorkJob& job) {
    Session session(job.prompter(), preferences);
    return ParseOutcome(RunParse(session, path, job.view(), [&job](const Error& error) {
      job.prompter().ShowError(kAppCaption, error.message);
    }));
  });
}

ApiReply WebApi::StartRetrieve() {
  std::string path;
  {
    std::lock_guard lock(mutex_);
    path = session_.workspace().file_path();
  }
  const std::chrono::milliseconds slow = timing_.slow_worker;
  return StartJob("retrieve", [path, slow, preferences = session_.preferences()](WorkJob& job) {
    Session session(job.prompter(), preferences);
    ImportRequest request;
    request.by_retrieval_method = true;
    request.boxes = std::make_shared<ChooserBoxes>();
    RetrievalRunOptions options;
    if (slow.count() > 0) options.before_step = [slow] { std::this_thread::sleep_for(slow); };
    return RetrieveOutcome(RunRetrieval(session, path, request,
                                        PageChooser(job.questions(), session, *request.boxes),
                                        job.view(), options));
  });
}

ApiReply WebApi::JobStatus() { return JobJson(job_.Status()); }

ApiReply WebApi::AnswerJob(const nlohmann::json& body) {
  const auto id = body.is_object() ? body.find("id") : body.end();
  if (id == body.end() || !id->is_number_integer() || id->get<int64_t>() < 0 ||
      !body.contains("answer")) {
    return JobJson({{"error", "give {\"id\": question id, \"answer\": ...}"}}, 400);
  }
  if (!job_.questions().Answer(id->get<uint64_t>(), body["answer"])) {
    return JobJson({{"error", "That question is no longer open: it was answered already."}}, 409);
  }
  return JobJson(job_.Status());
}

ApiReply WebApi::CancelJob() {
  job_.Cancel();
  return JobJson(job_.Status());
}

}  // namespace velmora::web
