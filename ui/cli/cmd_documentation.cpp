// Commands that write the program's documentation from its own command table, for the build to
// install: `help-man` (the manual page velmora(1)) and `completion bash`. They are left out of
// the help, and out of what they write.
#include <cstdio>
#include <string>
#include <vector>

#include "core/workspace_layout.h"
#include "reports/frame/report_catalogue.h"
#include "storage/database_catalogue.h"
#include "ui/cli/bash_completion.h"
#include "ui/cli/commands.h"
#include "ui/cli/man_page.h"
#include "workspace/settings_keys.h"

namespace velmora::cli {
namespace {

std::vector<std::string> ReportIds(bool with_all) {
  std::vector<std::string> ids;
  for (const ReportDef* report : CatalogueReports()) ids.push_back(report->id);
  if (with_all) ids.emplace_back("all");
  return ids;
}

std::vector<std::string> TableNames() {
  std::vector<std::string> names;
  for (const CatalogueEntry& entry : DatabaseCatalogue()) names.emplace_back(entry.name);
  return names;
}

std::vector<std::string> SettingNames() {
  std::vector<std::string> names;
  for (const SettingKey& key : SettingKeys()) names.emplace_back(key.name);
  return names;
}

std::vector<ArgumentWords> CompletionWords() {
  return {{"ID", ReportIds(false)},
          {"export ID", ReportIds(true)},
          {"TABLE", TableNames()},
          {"KEY", SettingNames()},
          {"DIRECTION", {"up", "down"}}};
}

std::string InWorkspace(std::string_view name, std::string_view after = "") {
  return "NAME/" + std::string(name) + std::string(after);
}

ManPageText PageText() {
  ManPageText text;
  text.summary = "analyse the access logs of a web site";
  text.version = VELMORA_VERSION;
  text.synopsis = {"velmora [-w WORKSPACE] [--yes] COMMAND [OPTIONS] [ARGUMENTS]",
                   "velmora WORKSPACE.stw", "velmora --help | --version"};
  text.sections.push_back(
      {"EXIT STATUS",
       {{"0", "The command did its work."},
        {"1",
         "It failed: a workspace, log or table could not be read or written, or a question "
         "was answered No. The message on standard error says why."},
        {"2",
         "A usage error: an unknown command or option, or a missing or malformed "
         "argument."}}});
  const std::string stw = std::string(kWorkspaceFileExtension);
  text.sections.push_back(
      {"FILES",
       {{"",
         "A workspace is a folder named after it, by default in ~/Documents/Velmora "
         "Workspaces/ ($XDG_DOCUMENTS_DIR when it is set). It holds:"},
        {"NAME/NAME" + stw,
         "the workspace's settings; -w takes this file or its folder, and velmora NAME" + stw +
             " opens it as a file manager does"},
        {InWorkspace(kLogsFolder, "/"),
         "the log files the workspace reads; import and retrieve bring them in"},
        {InWorkspace(kDatabaseFolder, "/"),
         "the table files of the parsed data, which dump shows and reset empties"},
        {InWorkspace(kReportsFolder, "/"),
         "cached report results, deleted whenever new data arrives"},
        {InWorkspace(kExportFolder, "/"), "the HTML pages, charts and icons export writes"},
        {InWorkspace(kParseLogName), "the account of the last parse run, which log prints"},
        {InWorkspace(kLockFileName),
         "locked by whoever reads or writes the database, so that one parse run writes at a time"},
        {"$XDG_CONFIG_HOME/velmora/preferences.ini",
         "the program's preferences: the recently used workspaces and the tip of the day "
         "(~/.config/velmora/preferences.ini when XDG_CONFIG_HOME is unset)"}}});
  text.sections.push_back(
      {"ENVIRONMENT",
       {{"XDG_CONFIG_HOME", "where the preferences are kept"},
        {"XDG_DOCUMENTS_DIR", "where new workspaces go unless new --path says otherwise"},
        {"NO_COLOR", "when set, tables on a terminal are written without colour"}}});
  text.sections.push_back(
      {"EXAMPLES",
       {{"velmora new example --server-names example.com,www.example.com",
         "create a workspace for a site, in ~/Documents/Velmora Workspaces/example (it is the "
         "most recent one from then on)"},
        {"velmora import --from /var/log/nginx --all --parse",
         "bring every new log file of a folder into logs/ and parse them"},
        {"velmora report traffic", "the summary: five periods side by side"},
        {"velmora report pagesreq --limit 10 --format csv > pages.csv",
         "the ten most requested pages, for a spreadsheet"},
        {"velmora export all", "every report as one HTML page with charts, in export/"},
        {"velmora -w ~/sites/example dump Sessions --readable | head",
         "the first visits of that workspace as JSON lines"},
        {"velmora --yes reset && velmora parse",
         "parse every log again, after the rules have changed"}}});
  text.sections.push_back(
      {"SEE ALSO",
       {{"",
         "/usr/share/doc/velmora/README.md, and in the same folder tables.md (the fields "
         "dump writes) and log-formats.md (the format language)."}}});
  return text;
}

}  // namespace

void RegisterDocumentationCommands(CommandTable& table) {
  CLI::App& app = table.app;
  table
      .Add("help-man", "the manual page, in roff",
           [&app](CliContext&) {
             std::fputs(RenderManPage(app, PageText()).c_str(), stdout);
             return kExitOk;
           })
      ->group("");

  auto shell = std::make_shared<std::string>();
  CLI::App* completion =
      table.Add("completion", "the shell completion script", [&app, shell](CliContext&) {
        if (*shell != "bash") return UsageError("completion: the shells are: bash");
        std::fputs(RenderBashCompletion(app, CompletionWords()).c_str(), stdout);
        return kExitOk;
      });
  completion->group("");
  completion->add_option("SHELL", *shell, "bash")->required();
}

}  // namespace velmora::cli
