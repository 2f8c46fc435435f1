// Import commands: import (log files from a local folder) and retrieve (by the workspace's
// retrieval method), each optionally followed by a parse run.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/import_operation.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"
#include "ui/cli/commands.h"
#include "ui/cli/file_chooser.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct ImportOptions {
  std::string from;
  std::vector<std::string> files;
  bool all = false;
  bool rename = false, no_rename = false;
  bool remove_source = false, keep_source = false;
  bool remove_from_server = false, keep_on_server = false;
  bool parse = false, no_parse = false;
};

std::optional<bool> Choice(bool yes, bool no) {
  if (yes) return true;
  if (no) return false;
  return std::nullopt;
}

int RunImport(CliContext& context, const ImportOptions& o, bool by_method) {
  if ((o.rename && o.no_rename) || (o.remove_source && o.keep_source) || (o.parse && o.no_parse) ||
      (o.remove_from_server && o.keep_on_server)) {
    return UsageError("give each choice one way only (--rename or --no-rename, ...)");
  }
  if (o.all && !o.files.empty()) return UsageError("give FILE names or --all, not both");
  ImportRequest request;
  if (!o.from.empty()) request.from = o.from;
  request.files = o.files;
  request.all_new = o.all;
  request.rename = Choice(o.rename, o.no_rename);
  request.remove_source = Choice(o.remove_source, o.keep_source);
  request.remove_from_server = Choice(o.remove_from_server, o.keep_on_server);
  request.parse = Choice(o.parse, o.no_parse);
  request.by_retrieval_method = by_method;

  const bool terminal = StderrIsTerminal();
  InterruptWatch interrupt;
  ImportProgress progress = [&](const std::string& status, const std::string& detail) {
    if (terminal) std::fprintf(stderr, "\r\x1b[K%s: %s", status.c_str(), detail.c_str());
    return interrupt.TakePresses() == 0;
  };
  ImportChooser chooser;
  if (StdinIsTerminal() && terminal) {
    chooser = [](const std::string& title, const std::vector<LogCandidate>& candidates) {
      return ChooseOnTerminal(title, candidates);
    };
  }
  Result<ImportResult> result = [&] {
    CliSession session(context);
    return ImportLocal(session.session(), context.workspace_arg, request, chooser, progress);
  }();
  if (terminal) std::fputs("\r\x1b[K", stderr);
  if (!result.ok()) {
    if (result.error().kind == ErrorKind::kBadRequest) return UsageError(result.error().message);
    return ReportFailure(result.error());
  }
  const ImportResult& r = *result;
  for (const std::string& note : r.notes) std::printf("%s\n", note.c_str());
  if (r.cancelled) return Fail("import cancelled");
  if (r.stored == 0 && r.failed == 0 && r.kept == 0 && r.skipped == 0) {
    if (!chooser && o.files.empty() && !o.all && r.listed > 0) {
      std::printf("Nothing imported: name the files, or give --all for every new file of %s\n",
                  r.folder.c_str());
    }
    return kExitOk;
  }
  std::printf("Imported %d of %d log file(s) from %s\n", r.stored,
              r.stored + r.kept + r.skipped + r.failed, r.folder.c_str());
  if (r.failed > 0) return kExitFailure;
  if (r.parse) return RunParseCommand(context);
  return kExitOk;
}

void AddImportOptions(CLI::App* command, ImportOptions& o) {
  command->add_option("--from", o.from, "the folder to import from (default: the last one used)");
  command->add_option("FILES", o.files, "names of log files in that folder");
  command->add_flag("--all", o.all, "every new log file of the folder (not yet in logs/)");
  command->add_flag("--rename", o.rename, "name stored files by the time of their first entry");
  command->add_flag("--no-rename", o.no_rename, "keep the files' own names");
  command->add_flag("--parse", o.parse, "parse the new files afterwards");
  command->add_flag("--no-parse", o.no_parse, "do not parse afterwards");
}

}  // namespace

void RegisterImportCommands(CommandTable& table) {
  auto o = std::make_shared<ImportOptions>();
  CLI::App* import =
      table.Add("import", "bring log files from a local folder into the workspace's logs/",
                [o](CliContext& c) { return RunImport(c, *o, false); });
  AddImportOptions(import, *o);
  import->add_flag("--remove-source", o->remove_source, "delete each source file once stored");
  import->add_flag("--keep-source", o->keep_source, "keep the source files");
  import->footer(
      "\nFiles are stored compressed as the workspace says (settings: local-compression). On a\n"
      "terminal without FILES or --all a list lets you choose: space ticks, a all, n none,\n"
      "i inverts, Enter imports, Esc cancels. The choices given are kept for next time.\n\n"
      "Examples:\n  velmora import --from /var/log/nginx --all --parse\n"
      "  velmora import --from ~/logs access.log.1 access.log.2.gz --rename");

  auto r = std::make_shared<ImportOptions>();
  CLI::App* retrieve = table.Add(
      "retrieve",
      "get new log files by the workspace's retrieval method (local folder, FTP or Fetchlet)",
      [r](CliContext& c) { return RunImport(c, *r, true); });
  AddImportOptions(retrieve, *r);
  retrieve->add_flag("--remove-from-server", r->remove_from_server,
                     "FTP: delete each file on the server once stored");
  retrieve->add_flag("--keep-on-server", r->keep_on_server, "FTP: leave the files on the server");
  retrieve->footer(
      "\nBy FTP the settings ftp-server (ftps://NAME for TLS), ftp-port, ftp-log-path, "
      "passive-ftp,\n"
      "ftp-login and ftp-password say where; FILES are then names in the server's log folder.\n"
      "By Fetchlet (the companion in contrib/fetchlet/) the settings http-server (NAME[:PORT],\n"
      "https://NAME for TLS), fetchlet-path, http-log-path, http-files-to-keep, fetchlet-gzip,\n"
      "http-user and http-password say where; FILES are then names in its list.\n\n"
      "Examples:\n  velmora retrieve --all --parse\n  velmora retrieve --from /srv/logs --all\n"
      "  velmora retrieve --all --remove-from-server --parse");
}

}  // namespace velmora::cli
