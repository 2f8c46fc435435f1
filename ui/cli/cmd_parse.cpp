// `velmora parse` (the parse run, with its progress on a terminal) and `velmora log` (the account
// of the last run).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "analysis/countries/country_table.h"
#include "analysis/visits/request_processor.h"
#include "analysis/visits/standard_classifiers.h"
#include "parsing/run/parse_command.h"
#include "ui/cli/commands.h"
#include "ui/cli/progress_view.h"
#include "ui/cli/workspace_session.h"
#include "workspace/parse_setup.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kParseLogName = "parsing.log";

int RunParse(CliContext& context) {
  // Visits get their country as they open, so the table must exist before the run starts.
  if (const Result<CountryTable>& countries = LoadSharedCountryTable(); !countries.ok()) {
    context.prompt().ShowError(kAppCaption, countries.error().message);
    return kExitFailure;
  }
  CliSession session(context);
  if (int rc = session.OpenForDatabase(); rc != kExitOk) return rc;
  Workspace& workspace = session.workspace();

  ParseHooks hooks;
  hooks.save_stored_format = [&workspace](const std::string& format) {
    if (Status s = workspace.SetCustomFormat(format); !s.ok()) ReportFailure(s.error());
  };
  StandardClassifiers classifiers;
  RequestProcessor requests(*workspace.database(),
                            MakeRequestProcessorSettings(workspace.settings()), classifiers);
  TerminalProgressView view;
  const ParseCommandResult result = RunParseCommand(
      MakeParseSettings(workspace), *workspace.database(), requests, context.prompt(), view, hooks);
  const ParseRunSummary& s = result.summary;

  std::printf("Files in logs/: %d, new: %d, parsed: %d\n", s.total_files, s.new_files,
              s.parsed_files);
  std::printf("Lines processed: %lld, errors: %lld, time: %lld ms\n",
              static_cast<long long>(s.total_lines), static_cast<long long>(s.total_errors),
              static_cast<long long>(s.run_time_ms));
  if (s.parsed_files < s.new_files && !s.cancelled && !s.database_failed) {
    std::printf(
        "%d new file(s) were skipped; parsing.log says why. They are tried again next run.\n",
        s.new_files - s.parsed_files);
  }
  std::printf("The account of the run: %s\n", s.parse_log_path.c_str());
  workspace.LoadForReports();
  if (s.database_failed) return Fail("the workspace database could not be opened; nothing parsed");
  if (s.cancelled) return Fail("parse run cancelled; the files parsed so far are kept");
  return kExitOk;
}

int RunLog(CliContext& context) {
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  const std::string path = session.workspace().folder() + std::string(kParseLogName);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return Fail("there is no parsing.log in " + session.workspace().folder() +
                " yet: no parse run has been made. Run 'velmora parse'.");
  }
  std::cout << in.rdbuf();
  std::cout << "\n";
  return kExitOk;
}

}  // namespace

void RegisterParseCommands(CommandTable& table) {
  table.Add("parse", "parse every new log file in the workspace's logs/ folder", RunParse)
      ->footer(
          "\nReads each file of logs/ not parsed before (plain, .gz or .bz2), in name order, and\n"
          "writes the account of the run to parsing.log. Ctrl+C cancels after the current file.");
  table.Add("log", "print parsing.log, the account of the last parse run", RunLog);
}

}  // namespace velmora::cli
