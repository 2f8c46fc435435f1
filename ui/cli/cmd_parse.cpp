// `velmora parse` (the parse run, with its progress on a terminal) and `velmora log` (the account
// of the last run).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/parse_operation.h"
#include "app/rejected_lines.h"
#include "core/workspace_layout.h"
#include "ui/cli/commands.h"
#include "ui/cli/progress_view.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

// Prints up to `limit` rejected lines of each file of the last run, with their line numbers and
// the part of the format they do not fit.
int ShowRejectedLines(const std::string& workspace_folder, int limit) {
  const Result<std::vector<RejectedInFile>> found =
      RejectedLinesOfLastRun(workspace_folder, static_cast<size_t>(limit));
  if (!found.ok()) return Fail(found.error().message);
  if (found->empty()) std::printf("No line of the last run was rejected.\n");
  for (const RejectedInFile& f : *found) {
    std::printf("%s: ", f.file.name.c_str());
    if (f.file.errors >= 0)
      std::printf("%lld line(s) rejected; ", static_cast<long long>(f.file.errors));
    std::printf("the format: %s\n", f.file.format.c_str());
    for (const RejectedLine& line : f.rejections.lines) {
      std::printf("  line %lld: %s\n    %s\n", static_cast<long long>(line.number),
                  line.reason.c_str(), line.text.c_str());
    }
    if (!f.rejections.failure.empty()) {
      std::printf("  (read no further: %s)\n", f.rejections.failure.c_str());
    }
  }
  return kExitOk;
}

struct ParseOptionsCli {
  int show_errors = 0;
};

int RunParse(CliContext& context, const ParseOptionsCli& options) {
  Session session(context.prompt());
  TerminalProgressView view;
  const Result<ParseRunSummary> result = velmora::RunParse(
      session, context.workspace_arg, view, [](const Error& error) { ReportFailure(error); });
  if (!result.ok()) return ReportFailure(result.error());
  const ParseRunSummary& s = result.value();
  for (const std::string& text : s.unreadable) std::fprintf(stderr, "velmora: %s\n", text.c_str());
  for (const std::string& warning : s.warnings)
    std::fprintf(stderr, "velmora: warning: %s\n", warning.c_str());

  std::printf("Files in logs/: %d, new: %d, parsed: %d\n", s.total_files, s.new_files,
              s.parsed_files);
  std::printf("Lines processed: %lld, errors: %lld, time: %lld ms\n",
              static_cast<long long>(s.total_lines), static_cast<long long>(s.total_errors),
              static_cast<long long>(s.run_time_ms));
  if (s.parsed_files < s.new_files && !s.cancelled && !s.database_failed && !s.undone &&
      s.failure.empty()) {
    std::printf(
        "%d new file(s) were skipped; parsing.log says why. They are tried again next run.\n",
        s.new_files - s.parsed_files);
  }
  const CompletionTally& c = s.completion;
  if (c.dropped_by_filters > 0 || c.typed_by_filters > 0) {
    std::printf("Log filters: %lld request(s) not logged, %lld given a resource type\n",
                static_cast<long long>(c.dropped_by_filters),
                static_cast<long long>(c.typed_by_filters));
  }
  if (c.fell_through * 2 > c.requests) {
    std::printf(
        "More than half of the requests (%lld of %lld) matched no rule but the catch-all, so "
        "none of them counts as a page, download or image. 'velmora rules preset modern' adds "
        "rules for pages without an extension, pictures, downloads, style sheets, scripts and "
        "fonts ('velmora rules --help').\n",
        static_cast<long long>(c.fell_through), static_cast<long long>(c.requests));
  }
  std::printf("The account of the run: %s\n", s.parse_log_path.c_str());
  if (s.database_failed) return Fail("the workspace database could not be opened; nothing parsed");
  constexpr std::string_view kUndone =
      ": the run was undone, and the next run reads its files again";
  if (!s.failure.empty()) return Fail(s.failure + (s.undone ? std::string(kUndone) : ""));
  if (s.new_files > 0 && s.parsed_files == 0 &&
      static_cast<int32_t>(s.unreadable.size()) >= s.new_files) {
    return Fail("no new file could be read; parsing.log says why");
  }
  if (s.cancelled) return Fail("parse run cancelled" + (s.undone ? std::string(kUndone) : ""));
  if (options.show_errors > 0) {
    return ShowRejectedLines(session.workspace().folder(), options.show_errors);
  }
  return kExitOk;
}

int RunLog(CliContext& context, int errors) {
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  if (errors > 0) return ShowRejectedLines(session.workspace().folder(), errors);
  const std::string path = WorkspacePath(session.workspace().folder(), kParseLogName);
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

int RunParseCommand(CliContext& context) { return RunParse(context, {}); }

void RegisterParseCommands(CommandTable& table) {
  auto options = std::make_shared<ParseOptionsCli>();
  CLI::App* parse =
      table.Add("parse", "parse every new log file in the workspace's logs/ folder",
                [options](CliContext& context) { return RunParse(context, *options); });
  parse
      ->add_option("--show-errors", options->show_errors,
                   "then print up to N rejected lines of each file, with their line numbers and "
                   "the part of the format they do not fit")
      ->check(CLI::NonNegativeNumber);
  parse->footer(
      "\nReads each file of logs/ not parsed before (plain, gzip or bzip2, told by its first\n"
      "bytes), in name order, and the new lines of a parsed file that has grown; writes the\n"
      "account of the run to parsing.log. A run is all or nothing: one that is cancelled\n"
      "(Ctrl+C), runs out of disk space or is killed is undone, and the next run reads its\n"
      "files again. One run at a time: a second is refused while one writes the workspace.\n"
      "Examples:\n"
      "  velmora parse\n"
      "  velmora parse --show-errors 5     and the first 5 rejected lines of each file");
  auto errors = std::make_shared<int>(0);
  CLI::App* log = table.Add("log", "print parsing.log, the account of the last parse run",
                            [errors](CliContext& context) { return RunLog(context, *errors); });
  log->add_option("--errors", *errors,
                  "print up to N rejected lines of each file of the last run instead")
      ->check(CLI::NonNegativeNumber);
  log->footer(
      "\nExamples:\n"
      "  velmora log\n"
      "  velmora log --errors 10");
}

}  // namespace velmora::cli
