// The calls of the page's menu commands beyond showing reports: the tip of the day, the parsing
// log, removing all parsed data and exporting, with the exported files served back.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "app/database_operations.h"
#include "core/workspace_layout.h"
#include "reports/charts/chart.h"
#include "reports/frame/report_catalogue.h"
#include "ui/web/export_files.h"
#include "ui/web/web_api.h"
#include "workspace/file_commands.h"
#include "workspace/tips.h"

namespace velmora::web {
namespace {

// A run over thousands of files writes a long account; its start is what the page can show.
constexpr size_t kMaxParsingLogBytes = 4 << 20;

// The export's own state, without the messages the engine left: those of a running export belong
// to its outcome.
ApiReply JobReply(const nlohmann::json& status, int code = 200) {
  return {code, std::string(kJsonType),
          status.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
}

}  // namespace

ApiReply WebApi::NextTip() {
  std::lock_guard lock(mutex_);
  const TipOfTheDay tip = TakeNextTip(session_.preferences());
  return Json({{"index", tip.index}, {"text", tip.text}});
}

ApiReply WebApi::SetTipAtStartup(const nlohmann::json& body) {
  std::lock_guard lock(mutex_);
  const auto show = body.is_object() ? body.find("show") : body.end();
  if (show == body.end() || !show->is_boolean()) {
    return Json({{"error", "give the choice as {\"show\": true} or {\"show\": false}"}}, 400);
  }
  SetShowTipAtStartup(session_.preferences(), show->get<bool>());
  return Json(StateJson());
}

ApiReply WebApi::ParsingLog() {
  std::lock_guard lock(mutex_);
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  std::ifstream in(WorkspacePath(session_.workspace().folder(), kParseLogName), std::ios::binary);
  if (!in)
    return Json({{"error", "the workspace has no parsing log: nothing was parsed yet"}}, 404);
  std::string text(kMaxParsingLogBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  const bool cut = in.peek() != std::char_traits<char>::eof();
  return Json({{"text", std::move(text)}, {"cut", cut}});
}

ApiReply WebApi::RemoveAllData(const nlohmann::json& body) {
  std::lock_guard lock(mutex_);
  if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
  const auto confirmed = body.is_object() ? body.find("confirmed") : body.end();
  if (confirmed == body.end() || *confirmed != true) {
    return Json({{"error", "the page asks first: {\"confirmed\": true}"}}, 400);
  }
  const std::string path = session_.workspace().file_path();
  prompter_.SetConfirmed(true);
  const Status removed = RemoveAllParsedData(session_, path);
  prompter_.SetConfirmed(false);
  // Opened again for reading, which releases the database to the command line as after a report.
  OpenWorkspace(path);
  if (!removed.ok()) return Failure(removed.error());
  return Json(StateJson());
}

ApiReply WebApi::StartExport(const nlohmann::json& body) {
  ExportRequest request;
  const auto member = [&body](const char* name) {
    return body.is_object() && body.contains(name) ? body[name] : nlohmann::json();
  };
  const nlohmann::json id = member("id");
  if (!id.is_string() || (id != kExportAll && FindReport(id.get<std::string>()) == nullptr)) {
    return Json({{"error", "give \"all\" or a report id as \"id\""}}, 400);
  }
  request.id = id.get<std::string>();
  const nlohmann::json limit = member("limit");
  if (!limit.is_null()) {
    if (!limit.is_number_integer() || limit.get<int64_t>() < 0 ||
        limit.get<int64_t>() > INT32_MAX) {
      return Json({{"error", "the limit is 0 (every row) or more"}}, 400);
    }
    request.limit = limit.get<int32_t>();
  }
  const nlohmann::json sort = member("sort");
  if (!sort.is_null()) {
    if (!sort.is_number_integer() || sort.get<int64_t>() < 0 ||
        sort.get<int64_t>() >= kDateRangeCount) {
      return Json({{"error", "no such period"}}, 400);
    }
    request.sort = static_cast<DateRange>(sort.get<int32_t>());
  }
  {
    std::lock_guard lock(mutex_);
    if (!open_) return Json({{"error", kNoWorkspaceLoaded}}, 409);
    if (std::optional<ApiReply> refused = RefusedWhileRunning()) return *refused;
  }
  if (!export_.Start([this, request](ExportJob& job) { RunExport(job, request); })) {
    return JobReply({{"error", "An export is running already; wait for it or cancel it."}}, 409);
  }
  return JobReply(export_.Status());
}

void WebApi::RunExport(ExportJob& job, const ExportRequest& request) {
  std::lock_guard lock(mutex_);
  Used();
  const std::string folder = WorkspacePath(session_.workspace().folder(), kExportFolder);
  const ChartWriter charts = [](const ChartData& chart, const std::string& path, int width) {
    return SaveChartAsPng(chart, path, width).ok();
  };
  Result<ExportResult> result =
      ExportReports(session_, session_.workspace().file_path(), request, charts,
                    [&job](const std::string& status) { return job.Progress(status); });
  if (WorkspaceDatabase* db = session_.workspace().database()) db->CloseNow();
  // The export opened the workspace for reading again, and holds it.
  held_ = session_.holds_workspace();
  Used();
  nlohmann::json outcome;
  if (!result.ok()) {
    outcome = {{"error", result.error().message}};
  } else {
    outcome = {
        {"file", std::filesystem::path(result->page).lexically_relative(folder).generic_string()},
        {"reports", result->reports},
        {"cancelled", result->cancelled}};
  }
  outcome["messages"] = prompter_.Take();
  job.Finish(std::move(outcome));
}

ApiReply WebApi::ExportStatus() { return JobReply(export_.Status()); }

ApiReply WebApi::CancelExport() {
  export_.Cancel();
  return JobReply(export_.Status());
}

ApiReply WebApi::ExportedFile(std::string_view relative) {
  std::string folder;
  {
    // Not the workspace's lock: an export holds that for minutes while its pages are looked at.
    std::lock_guard lock(export_folder_mutex_);
    folder = export_folder_;
  }
  if (folder.empty()) return {409, "text/plain", std::string(kNoWorkspaceLoaded)};
  const std::optional<ExportFile> file = FindExportFile(folder, relative);
  if (!file) return {404, "text/plain", "no such exported page or picture"};
  std::ifstream in(file->path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return {500, "text/plain", "the file could not be read"};
  return {200, file->content_type, std::move(bytes)};
}

}  // namespace velmora::web
