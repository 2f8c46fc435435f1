#include "ui/web/web_api.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "app/cell_actions.h"
#include "app/filter_bar_operation.h"
#include "app/record_json.h"
#include "app/report_json.h"
#include "app/report_operation.h"
#include "core/workspace_layout.h"
#include "platform/clock.h"
#include "reports/charts/chart.h"
#include "reports/frame/date_range.h"
#include "workspace/file_commands.h"
#include "workspace/recent_list.h"
#include "workspace/tips.h"

namespace velmora::web {
namespace {

nlohmann::json WhoisJson(const Preferences& preferences) {
  nlohmann::json registries = nlohmann::json::array();
  for (const WhoisRegistry& registry : WhoisRegistries()) {
    registries.push_back({{"action", registry.action},
                          {"caption", registry.caption},
                          {"query", WhoisQueryUrl(preferences, registry, "")}});
  }
  return registries;
}

}  // namespace

PromptAnswer PagePrompter::Ask(std::string_view caption, std::string_view text,
                               PromptButtons buttons, PromptIcon icon) {
  std::lock_guard lock(mutex_);
  // A plain message is shown all the same: only the question is the page's own.
  if (confirmed_ && buttons != PromptButtons::kOk) return PolicyAnswer(buttons, true);
  messages_.push_back({{"caption", caption}, {"text", text}, {"icon", IconName(icon)}});
  return PolicyAnswer(buttons, false);
}

void PagePrompter::SetConfirmed(bool confirmed) {
  std::lock_guard lock(mutex_);
  confirmed_ = confirmed;
}

nlohmann::json PagePrompter::Take() {
  std::lock_guard lock(mutex_);
  return std::exchange(messages_, nlohmann::json::array());
}

WebApi::WebApi(std::string path) : WebApi(std::move(path), Preferences()) {}

WebApi::WebApi(std::string path, Preferences preferences, WebTiming timing)
    : session_(prompter_, std::move(preferences)), timing_(timing) {
  OpenWorkspace(path);
  closer_ = std::thread([this] { CloseWhenIdle(); });
}

WebApi::~WebApi() {
  {
    std::lock_guard lock(closer_mutex_);
    closing_down_ = true;
  }
  closer_wake_.notify_all();
  closer_.join();
}

void WebApi::OpenWorkspace(std::string_view path) {
  picked_day_.reset();
  const Status opened = session_.OpenForDatabase(path, DatabaseAccess::kRead);
  open_ = opened.ok();
  held_ = open_;
  Used();
  std::lock_guard lock(export_folder_mutex_);
  export_folder_ = open_ ? WorkspacePath(session_.workspace().folder(), kExportFolder) : "";
  if (WorkspaceDatabase* db = session_.workspace().database()) db->CloseNow();
  open_failure_ = opened.ok() || opened.error().kind == ErrorKind::kNoWorkspace
                      ? std::string()
                      : opened.error().message;
}

ApiReply WebApi::Json(nlohmann::json body, int status) {
  if (body.is_object()) body["messages"] = prompter_.Take();
  // Texts from logs may be any bytes; they are replaced, never a reason to fail the page.
  return {status, std::string(kJsonType),
          body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

ApiReply WebApi::Failure(const Error& error) {
  const int status = error.kind == ErrorKind::kBadRequest ? 400
                     : error.kind == ErrorKind::kBusy     ? 409
                                                          : 500;
  return Json({{"error", error.message}}, status);
}

nlohmann::json WebApi::StateJson() {
  Workspace& workspace = session_.workspace();
  nlohmann::json recent = nlohmann::json::array();
  for (const std::string& entry : RecentList::Load(session_.preferences()).MostRecentFirst()) {
    recent.push_back(entry);
  }
  nlohmann::json state = {{"recent", std::move(recent)},
                          {"whois", WhoisJson(session_.preferences())},
                          {"show_tip_at_startup", ShowTipAtStartup(session_.preferences())},
                          {"version", VELMORA_VERSION},
                          {"open_failure", open_failure_}};
  if (!open_) {
    state["title"] = "[" + std::string(kNoWorkspaceLoaded) + "] - " + std::string(kAppCaption);
    state["workspace"] = nullptr;
    return state;
  }
  const Ticks reference = picked_day_
                              ? ReferenceForReportDay(*picked_day_)
                              : workspace.reference_day().value_or(StartOfDay(UtcNowTicks()));
  std::error_code ec;
  state["title"] = WorkspaceTitle(workspace);
  state["workspace"] = {
      {"name", workspace.settings().block.workspace_name},
      {"file", workspace.file_path()},
      {"parsing_log",
       std::filesystem::is_regular_file(WorkspacePath(workspace.folder(), kParseLogName), ec)},
      {"combined_export_limit", workspace.settings().block.combined_export_limit}};
  state["today"] = DayText(reference - kTicksPerDay);
  state["day_picked"] = picked_day_.has_value();
  state["filters"] = FilterBarJson(workspace.settings());
  return state;
}

ApiReply WebApi::State() {
  std::lock_guard lock(mutex_);
  // A run (here or from a terminal) may have changed the workspace since it was last held; shown
  // from memory when it cannot be held now.
  if (!job_.running()) (void)Hold();
  return Json(StateJson());
}

ApiReply WebApi::Tree() { return Json(ReportTreeJson()); }

Result<ReportModel> WebApi::Compute(std::string_view id, int32_t sort) {
  ReportRequest request;
  request.id = std::string(id);
  request.report_day = picked_day_;
  request.sort = static_cast<DateRange>(sort);
  if (Status held = Hold(); !held.ok()) return held.error();
  Result<ReportModel> model = ComputeReport(session_, request);
  Used();
  // Open table files are locked against other processes; closed after every report, they let
  // `velmora report` and the other commands read the workspace while the page is open. Opening
  // them again costs a few milliseconds.
  if (WorkspaceDatabase* db = session_.workspace().database()) db->CloseNow();
  return model;
}

ApiReply WebApi::Report(std::string_view id, int32_t sort, int32_t rows) {
  std::lock_guard lock(mutex_);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  if (sort < 0 || sort >= kDateRangeCount) return Json({{"error", "no such period"}}, 400);
  if (rows < 0) return Json({{"error", "rows is 0 (all) or more"}}, 400);
  Result<ReportModel> model = Compute(id, sort);
  if (!model.ok()) return Failure(model.error());
  const size_t total = model->rows.size();
  if (rows > 0 && total > static_cast<size_t>(rows)) model->rows.resize(static_cast<size_t>(rows));
  // The report as the command line writes it (fast for long lists), with this reply's own two
  // members added before its closing brace.
  std::string body = ReportJsonText(*model);
  body.pop_back();
  body += ",\"total_rows\":" + std::to_string(total) +
          ",\"messages\":" + JsonLine(prompter_.Take()) + "}";
  return {200, std::string(kJsonType), std::move(body)};
}

ApiReply WebApi::Chart(std::string_view id, int32_t sort, int32_t width) {
  std::optional<ChartData> chart;
  {
    std::lock_guard lock(mutex_);
    if (!open_) return {409, "text/plain", std::string(kNoWorkspaceLoaded)};
    if (job_.running()) return {409, "text/plain", "a run is under way"};
    if (sort < 0 || sort >= kDateRangeCount || !CheckChartWidth(width).ok()) {
      return {400, "text/plain", "no such period or width"};
    }
    Result<ReportModel> model = Compute(id, sort);
    prompter_.Take();
    if (!model.ok()) return {400, "text/plain", model.error().message};
    chart = std::move(model->chart);
  }
  // Drawn outside the lock: a picture takes longer than a cached report, and the next report
  // the user clicks need not wait for the last one's chart.
  if (!HasChart(chart)) return {404, "text/plain", "this report has no chart"};
  std::vector<uint8_t> png = EncodeChartPng(*chart, width);
  if (png.empty()) return {500, "text/plain", "the chart could not be drawn"};
  return {200, "image/png", std::string(png.begin(), png.end())};
}

ApiReply WebApi::PickDay(const nlohmann::json& body) {
  std::lock_guard lock(mutex_);
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  const auto day = body.is_object() ? body.find("day") : body.end();
  if (day == body.end()) return Json({{"error", "give the day as {\"day\": \"YYYY-MM-DD\"}"}}, 400);
  if (day->is_null()) {
    picked_day_.reset();
  } else {
    const std::optional<Ticks> parsed =
        day->is_string() ? ParseDay(day->get<std::string>()) : std::nullopt;
    if (!parsed) return Json({{"error", "the day is YYYY-MM-DD, for example 2024-03-31"}}, 400);
    picked_day_ = parsed;
  }
  return Json(StateJson());
}

ApiReply WebApi::ChangeFilters(const nlohmann::json& body) {
  std::lock_guard lock(mutex_);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  if (Status changed = ChangeFilterBar(session_.workspace(), body); !changed.ok()) {
    return Failure(changed.error());
  }
  return Json(StateJson());
}

ApiReply WebApi::OpenRecent(const nlohmann::json& body) {
  std::lock_guard lock(mutex_);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  const std::vector<std::string> recent =
      RecentList::Load(session_.preferences()).MostRecentFirst();
  const auto index = body.is_object() ? body.find("index") : body.end();
  if (index == body.end() || !index->is_number_integer() || index->get<int64_t>() < 0 ||
      static_cast<uint64_t>(index->get<int64_t>()) >= recent.size()) {
    return Json({{"error", "no such entry in the recent list"}}, 400);
  }
  OpenWorkspace(recent[index->get<size_t>()]);
  return Json(StateJson());
}

}  // namespace velmora::web
