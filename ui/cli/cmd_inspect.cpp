// `velmora inspect`: what the analysis makes of one input, as JSON.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "parsing/line_inspection.h"
#include "ui/cli/commands.h"
#include "ui/cli/record_json.h"
#include "ui/cli/workspace_session.h"
#include "workspace/file_commands.h"
#include "workspace/parse_setup.h"

namespace velmora::cli {
namespace {

struct InspectOptions {
  std::string text;
  std::string format_string;
  bool format_given = false;
};

nlohmann::json RecordJson(const LogRecord& r) {
  nlohmann::json out;
  out["client_host"] = std::string(r.client_host.view());
  out["client_address"] = r.client_address;
  out["user_name"] = std::string(r.user_name.view());
  out["method"] = std::string(r.method.view());
  out["status"] = r.status;
  out["uri_stem"] = std::string(r.uri_stem.view());
  out["query"] = std::string(r.query.view());
  out["bytes_sent"] = r.bytes_sent;
  out["bytes_received"] = r.bytes_received;
  out["time_taken"] = r.time_taken;
  out["user_agent"] = std::string(r.user_agent.view());
  out["referrer"] = std::string(r.referrer.view());
  const CalendarTime& t = r.calendar_time;
  out["calendar_time"] = {{"year", t.year},
                          {"month", t.month},
                          {"day_of_week", t.day_of_week},
                          {"day", t.day},
                          {"hour", t.hour},
                          {"minute", t.minute},
                          {"second", t.second},
                          {"milliseconds", t.milliseconds}};
  out["time"] = r.time;
  out["class"] = r.request_class;
  return out;
}

// The workspace's settings when there is a workspace; a new workspace's defaults when the
// command needs none (a format string was given) and none is at hand.
struct InspectSetup {
  ParseOptions options;
  std::string stored_format;
};

std::optional<InspectSetup> Setup(CliSession& session, bool need_workspace, int& rc) {
  const Status opened = session.TryOpenCurrent();
  InspectSetup setup;
  if (opened.ok()) {
    const Workspace& ws = session.workspace();
    setup.options = MakeParseOptions(ws.settings(), ws.time_shift());
    setup.stored_format = ws.settings().block.custom_format;
    return setup;
  }
  const bool no_workspace =
      session.context().workspace_arg.empty() && opened.error().message == kNoWorkspaceLoaded;
  if (need_workspace || !no_workspace) {
    rc = opened.error().message == kNoWorkspaceLoaded
             ? Fail(std::string(kNoWorkspaceLoaded) +
                    ": name one with -w PATH, or give the format with --format-string")
             : ReportFailure(opened.error());
    return std::nullopt;
  }
  setup.options = MakeParseOptions(NewWorkspaceSettings("inspect"), 0);
  return setup;
}

int RunInspectLine(CliContext& context, const InspectOptions& o) {
  CliSession session(context);
  int rc = kExitFailure;
  const std::optional<InspectSetup> setup = Setup(session, !o.format_given, rc);
  if (!setup) return rc;
  const std::string format = o.format_given ? o.format_string : setup->stored_format;
  if (format.empty()) {
    return Fail("the workspace has no stored log format yet; give one with --format-string");
  }
  const LineInspection inspection = InspectLine(o.text, format, setup->options);
  nlohmann::json out;
  out["matched"] = inspection.matched;
  out["analysed"] = inspection.analysed;
  out["record"] = inspection.record ? RecordJson(*inspection.record) : nlohmann::json(nullptr);
  std::printf("%s\n", JsonLine(out).c_str());
  return kExitOk;
}

int RunInspectDetect(CliContext& context, const InspectOptions& o) {
  CliSession session(context);
  int rc = kExitFailure;
  const std::optional<InspectSetup> setup = Setup(session, false, rc);
  if (!setup) return rc;
  const std::string stored = o.format_given ? o.format_string : setup->stored_format;
  const std::optional<LogFormat> format = DetectFileFormat(o.text, stored);
  nlohmann::json out;
  out["format"] =
      format ? nlohmann::json(std::string(format->DisplayText())) : nlohmann::json(nullptr);
  std::printf("%s\n", JsonLine(out).c_str());
  return kExitOk;
}

}  // namespace

void RegisterInspectCommands(CommandTable& table) {
  CLI::App* inspect =
      table.app.add_subcommand("inspect", "what the analysis makes of one input, as JSON");
  inspect->require_subcommand(1);
  inspect->footer(
      "\nExamples:\n"
      "  velmora inspect line '1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 "
      "2326' \\\n      --format-string '%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c "
      "%b'\n"
      "  velmora inspect detect logs/access.log.gz");
  CliContext& context = table.context;
  int& status = table.status;

  auto line = std::make_shared<InspectOptions>();
  CLI::App* cmd = inspect->add_subcommand(
      "line", "one log line read with a format and completed as a parse run would");
  cmd->add_option("TEXT", line->text, "the log line")->required();
  cmd->add_option("--format-string", line->format_string,
                  "the custom format (default: the workspace's stored format)");
  cmd->callback([&, line, cmd] {
    line->format_given = cmd->count("--format-string") > 0;
    status = RunInspectLine(context, *line);
  });

  auto detect = std::make_shared<InspectOptions>();
  CLI::App* det = inspect->add_subcommand("detect", "the log format detected for a file");
  det->add_option("FILE", detect->text, "a log file, plain, .gz or .bz2")->required();
  det->add_option("--format-string", detect->format_string,
                  "the stored format to try first (default: the workspace's)");
  det->callback([&, detect, det] {
    detect->format_given = det->count("--format-string") > 0;
    status = RunInspectDetect(context, *detect);
  });
}

}  // namespace velmora::cli
