// The JSON API behind the page: the workspace the server shows, the report tree, one report, its
// chart as a PNG picture, the picked date, the filter bar and the cell menus. Every call runs on
// one Session under one lock: the workspace database is a single set of files, so reports are
// computed one at a time however many requests the server takes at once.
//
// Messages the engine shows while a call runs (through the Prompter) come back with the call's
// reply as "messages"; questions are answered by policy, as nobody waits at a terminal. Parse and
// Retrieve are the exception: they run as a job (work_job.h) whose questions wait for the page.
//
// The session holds the workspace (a reader's lock) while reports are asked for and lets go of it
// after WebTiming::idle_close without one, and for the length of a run, which writes it alone.
// While a run goes on every call that would use or change the workspace is refused (409).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "app/export_operation.h"
#include "app/session.h"
#include "core/result.h"
#include "core/tick_time.h"
#include "reports/frame/report_model.h"
#include "ui/web/export_job.h"
#include "ui/web/folder_browser.h"
#include "ui/web/work_job.h"

namespace velmora::web {

// With its charset the JSON type is not one the HTTP library compresses: on the loopback,
// compressing a long report (brotli, when the browser offers it) took ten times as long as sending
// it.
inline constexpr std::string_view kJsonType = "application/json; charset=utf-8";

struct ApiReply {
  int status = 200;
  std::string content_type = std::string(kJsonType);
  std::string body;
};

// Collects what the engine shows during one call.
class PagePrompter final : public Prompter {
 public:
  PromptAnswer Ask(std::string_view caption, std::string_view text, PromptButtons buttons,
                   PromptIcon icon) override;
  nlohmann::json Take();
  // While set, questions are answered Yes without being shown: the page has asked them itself.
  void SetConfirmed(bool confirmed);

 private:
  std::mutex mutex_;
  bool confirmed_ = false;
  nlohmann::json messages_ = nlohmann::json::array();
};

// How long the server waits before it lets go of the workspace, and for the page's answers.
struct WebTiming {
  // After this long without a report the workspace is let go, so that a parse run from a
  // terminal may write it.
  std::chrono::milliseconds idle_close = std::chrono::seconds(30);
  // A question of a job that no tab answers within this gets its policy answer.
  std::chrono::milliseconds answer_timeout = std::chrono::minutes(30);
  // Test seam: each step of a retrieval's worker takes this long, so Cancel meets a worker that
  // does not stop at once.
  std::chrono::milliseconds slow_worker{0};
};

class WebApi {
 public:
  // Opens the workspace `path` names, or the most recent one when it is empty; without either the
  // page shows "No Workspace Loaded".
  explicit WebApi(std::string path);
  WebApi(std::string path, Preferences preferences, WebTiming timing = {});
  ~WebApi();

  ApiReply State();
  ApiReply Tree();
  // `sort` is a period, 0 Today to 4 Custom. At most `rows` rows are sent (0: all of them), with
  // the number the report has as "total_rows": a list of tens of thousands takes the browser
  // seconds to lay out, and nobody reads that far without asking for it.
  ApiReply Report(std::string_view id, int32_t sort, int32_t rows);
  ApiReply Chart(std::string_view id, int32_t sort, int32_t width);
  // {"day": "YYYY-MM-DD"} picks the day shown as "Today"; {"day": null} goes back to the
  // workspace's own.
  ApiReply PickDay(const nlohmann::json& body);
  // FilterBarJson's document, or a part of it (app/filter_bar_operation.h).
  ApiReply ChangeFilters(const nlohmann::json& body);
  // {"index": N}: the Nth entry of the recent list, most recent first.
  ApiReply OpenRecent(const nlohmann::json& body);
  // The next tip of the day, which moves the stored "Next tip" on: {"index", "text"}.
  ApiReply NextTip();
  // {"show": true|false} writes "Show tip at startup" at once.
  ApiReply SetTipAtStartup(const nlohmann::json& body);
  // The text of parsing.log: {"text"}; 404 without one.
  ApiReply ParsingLog();
  // "Remove all parsed data", once the page has asked the question: {"confirmed": true}.
  ApiReply RemoveAllData(const nlohmann::json& body);
  // Starts an export, {"id": "all" or a report id, "limit": rows (absent: the workspace's),
  // "sort": period}; 409 while one runs. ExportStatus tells how far it got and, once it ended,
  // {"outcome": {"file": name under export/, "reports", "cancelled"} or {"error"}}.
  ApiReply StartExport(const nlohmann::json& body);
  ApiReply ExportStatus();
  ApiReply CancelExport();
  // A page or picture of the workspace's export/ folder, `relative` to it.
  ApiReply ExportedFile(std::string_view relative);

  // The File menu's workspaces: the new-workspace wizard, the folder browser and opening a
  // workspace file. The browser shows the user's home folder and the folders of the recent
  // workspaces only, and a workspace is made or opened only there (ui/web/folder_browser.h).
  //
  // The wizard's first values: {"name", "location", "settings": {key: text}}, passwords empty.
  ApiReply NewWorkspaceDefaults();
  // {"name", "location", "settings": {key: text}, "confirmed"}: checks the values, then asks
  // {"question"} when files would be overwritten and "confirmed" is not true, else creates the
  // workspace and opens it ({"created": true} and the state). A refusal the engine showed comes
  // back as {"created": false} with its messages; a value refused, as a 400.
  ApiReply NewWorkspace(const nlohmann::json& body);
  // The folder `path` ("" for the home folder) with its folders, and .stw files unless
  // `folders_only`: {"path", "parent", "entries": [{"name", "folder"}], "cut", "roots"}.
  ApiReply Browse(std::string_view path, bool folders_only);
  // {"path": a .stw file}: opens it as "Open Workspace..." does.
  ApiReply OpenFile(const nlohmann::json& body);
  // Parse and Retrieve: the run starts on the job's thread; 409 while a run or an export is under
  // way. JobStatus is WorkJob::Status; AnswerJob takes {"id": question id, "answer": ...}.
  ApiReply StartParse();
  ApiReply StartRetrieve();
  ApiReply JobStatus();
  ApiReply AnswerJob(const nlohmann::json& body);
  ApiReply CancelJob();
  // Whether the workspace is held now (the lazy close has not let it go).
  bool holds_workspace();

  // The "Workspace settings" dialog and "Manage Imported Log Files" (web_api_settings.cpp).
  // The dialog's values, SettingsDialogJson: whether a password is set, never the password.
  ApiReply Settings();
  // The dialog's OK, ChangeWorkspaceSettings: the page's state with "parsing_changed", or 400
  // with {"error", "field"} naming the value refused, nothing changed.
  ApiReply ChangeSettings(const nlohmann::json& body);
  // The files of logs/: {"folder", "desktop", "files": [{"name", "size", "compression",
  // "parsed", "grown"}]}; "desktop" says whether OpenLogsFolder can show the folder.
  ApiReply LogFiles();
  // Shows logs/ in the desktop's file manager; 409 where there is no desktop.
  ApiReply OpenLogsFolder();

  // Why the workspace asked for at start could not be opened; empty when it was, or when none
  // was asked for and none is recent.
  const std::string& open_failure() const { return open_failure_; }

 private:
  void OpenWorkspace(std::string_view path);
  Result<ReportModel> Compute(std::string_view id, int32_t sort);
  ApiReply Json(nlohmann::json body, int status = 200);
  ApiReply Failure(const Error& error);
  nlohmann::json StateJson();
  void RunExport(ExportJob& job, const ExportRequest& request);
  FolderBrowser Browser();
  // The workspace hold: taken again for a report after the lazy close let it go or a job used
  // the workspace (whose settings and data it may have changed). Caller holds mutex_.
  Status Hold();
  void Used();
  void CloseWhenIdle();
  std::optional<ApiReply> RefusedWhileRunning();
  ApiReply StartJob(std::string kind, WorkJob::Work work);

  std::mutex mutex_;
  PagePrompter prompter_;
  Session session_;
  bool open_ = false;
  std::string open_failure_;
  std::optional<Ticks> picked_day_;
  std::mutex export_folder_mutex_;
  std::string export_folder_;  // empty while no workspace is open
  // Last, so that a running export ends before the session it uses goes.
  ExportJob export_;

  WebTiming timing_;
  bool held_ = false;  // the session holds the workspace; the lazy close lets it go
  std::chrono::steady_clock::time_point last_use_;
  std::mutex closer_mutex_;
  std::condition_variable closer_wake_;
  bool closing_down_ = false;
  std::thread closer_;
  WorkJob job_{timing_.answer_timeout};
};

}  // namespace velmora::web
