// `velmora inspect`: what the analysis makes of one input, as JSON.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "analysis/agents/user_agent.h"
#include "analysis/countries/country_inspect.h"
#include "analysis/countries/country_table.h"
#include "analysis/referrers/referrer_analysis.h"
#include "app/inspection_setup.h"
#include "app/record_json.h"
#include "parsing/lines/line_inspection.h"
#include "ui/cli/commands.h"
#include "ui/cli/workspace_session.h"
#include "workspace/file_commands.h"

namespace velmora::cli {
namespace {

struct InspectOptions {
  std::string text;
  std::string format_string;
  bool format_given = false;
  std::string server_names;
  bool server_names_given = false;
};

int PrintJson(const nlohmann::json& out) {
  std::printf("%s\n", JsonLine(out).c_str());
  return kExitOk;
}

int RunInspectUserAgent(const InspectOptions& o) {
  const UserAgentInspection ua = InspectUserAgent(o.text);
  return PrintJson({{"browser", ua.browser},
                    {"os", ua.os},
                    {"spider", ua.spider},
                    {"spider_name", ua.spider_name}});
}

int RunInspectReferrer(CliContext& context, const InspectOptions& o) {
  std::string server_names = o.server_names;
  if (!o.server_names_given) {
    // The workspace's own names decide what counts as the own site; without a workspace at hand
    // nothing does.
    Session session(context.prompt());
    const Result<InspectionSetup> setup =
        SetUpInspection(session, context.workspace_arg, /*needs_workspace=*/false);
    if (setup.ok()) {
      server_names = setup->server_names;
    } else if (!context.workspace_arg.empty()) {
      return ReportFailure(setup.error());
    }
  }
  const ReferrerInspection r = InspectReferrer(o.text, server_names);
  nlohmann::json out{{"domain", r.domain},
                     {"kind", static_cast<int>(r.kind)},
                     {"kind_name", std::string(ReferrerKindName(r.kind))},
                     {"engine", r.engine},
                     {"engine_name", r.engine_name},
                     {"words", r.words}};
  out["phrase"] = r.phrase ? nlohmann::json(*r.phrase) : nlohmann::json(nullptr);
  return PrintJson(out);
}

nlohmann::json CountryJson(const CountryAnswer& answer) {
  return {{"country", answer.country},
          {"code", std::string(answer.code)},
          {"name", std::string(answer.name)}};
}

const CountryTable* LoadCountries() {
  const Result<CountryTable>& table = LoadSharedCountryTable();
  if (!table.ok()) {
    Fail(std::string(kAppCaption) + ": " + table.error().message);
    return nullptr;
  }
  return &table.value();
}

int RunInspectIp(const InspectOptions& o) {
  const CountryTable* table = LoadCountries();
  if (table == nullptr) return kExitFailure;
  const Result<CountryAnswer> answer = InspectIpAddress(*table, o.text);
  if (!answer.ok()) return UsageError(answer.error().message);
  return PrintJson(CountryJson(answer.value()));
}

int RunInspectHost(const InspectOptions& o) {
  const CountryTable* table = LoadCountries();
  if (table == nullptr) return kExitFailure;
  return PrintJson(CountryJson(InspectHostName(*table, o.text)));
}

// Without a workspace a question that needs one says how to name one or give the format.
std::optional<InspectionSetup> Setup(CliContext& context, Session& session, bool need_workspace,
                                     int& rc) {
  Result<InspectionSetup> setup = SetUpInspection(session, context.workspace_arg, need_workspace);
  if (setup.ok()) return std::move(setup.value());
  rc = setup.error().kind == ErrorKind::kNoWorkspace
           ? Fail(std::string(kNoWorkspaceLoaded) +
                  ": name one with -w PATH, or give the format with --format-string")
           : ReportFailure(setup.error());
  return std::nullopt;
}

int RunInspectLine(CliContext& context, const InspectOptions& o) {
  Session session(context.prompt());
  int rc = kExitFailure;
  const std::optional<InspectionSetup> setup = Setup(context, session, !o.format_given, rc);
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
  Session session(context.prompt());
  int rc = kExitFailure;
  const std::optional<InspectionSetup> setup = Setup(context, session, false, rc);
  if (!setup) return rc;
  const std::string stored = o.format_given ? o.format_string : setup->stored_format;
  const Result<DetectedLayout> detected = DetectFileLayout(o.text, stored);
  if (!detected.ok()) return Fail(o.text + ": " + detected.error().message);
  const std::optional<LogFormat>& format = detected->format;
  nlohmann::json out;
  out["format"] =
      format ? nlohmann::json(std::string(format->DisplayText())) : nlohmann::json(nullptr);
  out["layout"] = format ? nlohmann::json(detected->layout) : nlohmann::json(nullptr);
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
  det->add_option("FILE", detect->text, "a log file, plain, gzip or bzip2")->required();
  det->add_option("--format-string", detect->format_string,
                  "the stored format to try first (default: the workspace's)");
  det->callback([&, detect, det] {
    detect->format_given = det->count("--format-string") > 0;
    status = RunInspectDetect(context, *detect);
  });

  auto simple = std::make_shared<InspectOptions>();
  inspect->add_subcommand("ua", "browser, operating system and spider of a user agent")
      ->callback([&status, simple] { status = RunInspectUserAgent(*simple); })
      ->add_option("TEXT", simple->text, "the user-agent text as logged")
      ->required();
  CLI::App* ref = inspect->add_subcommand(
      "referrer", "domain, kind, search engine and search words of a referrer");
  ref->add_option("URL", simple->text, "the referrer URL")->required();
  ref->add_option("--server-names", simple->server_names,
                  "the site's own host names, comma-separated (default: the workspace's)");
  ref->callback([&, simple, ref] {
    simple->server_names_given = ref->count("--server-names") > 0;
    status = RunInspectReferrer(context, *simple);
  });
  CLI::App* rules = inspect->add_subcommand("rules", "what the workspace's rules make of a URL");
  rules->add_option("URL", simple->text, "a request path, e.g. /docs/guide.pdf")->required();
  rules->callback([&, simple] { status = RunInspectRules(context, simple->text); });
  inspect->add_subcommand("ip", "the country of an IPv4 address")
      ->callback([&status, simple] { status = RunInspectIp(*simple); })
      ->add_option("ADDRESS", simple->text, "a dotted IPv4 address, e.g. 193.0.6.139")
      ->required();
  inspect->add_subcommand("host", "the country a client logged under a host name gets")
      ->callback([&status, simple] { status = RunInspectHost(*simple); })
      ->add_option("NAME", simple->text, "a host name, e.g. dialup-4.example.co.uk")
      ->required();
}

}  // namespace velmora::cli
