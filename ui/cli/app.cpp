#include "ui/cli/app.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "ui/cli/commands.h"

namespace velmora::cli {
namespace {

constexpr const char* kDescription =
    "Velmora analyses the access logs of a web site: it reads W3C Extended, NCSA common and\n"
    "combined, IIS and tab-separated logs (plain, gzip or bzip2), groups requests into visits,\n"
    "classifies pages, downloads, browsers, spiders, referrers and countries, and reports on "
    "them.\n"
    "One workspace holds one site: its settings (.stw), logs/, database/ and reports/.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  velmora new example --server-names www.example.com   create a workspace for a site\n"
    "  velmora -w ~/Documents/Velmora\\ Workspaces/example settings show\n"
    "  velmora dump Sessions                                every visit as JSON lines\n"
    "  velmora <command> --help                             the options of one command\n"
    "\nWithout -w the most recently used workspace is taken.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

}  // namespace

int RunVelmora(int argc, char** argv) {
  CLI::App app{kDescription, "velmora"};
  app.set_version_flag("--version", std::string("velmora ") + VELMORA_VERSION);
  app.footer(kExamples);
  app.require_subcommand(0, 1);

  CliContext context;
  app.add_option("-w,--workspace", context.workspace_arg,
                 "the workspace: its .stw file or its folder (default: the most recent one)");
  app.add_flag("--yes", context.assume_yes, "answer Yes to every question (for scripts)");

  int status = kExitOk;
  CommandTable table{app, context, status};
  RegisterAllCommands(table);
  RegisterDocumentationCommands(table);
  AddMissingExamples(app);
  // A command's name wins over a folder of that name: `velmora reports` run inside a workspace
  // (which has a reports/ folder) lists the reports.
  const bool is_command =
      argc == 2 &&
      !app.get_subcommands([&](const CLI::App* sub) { return sub->get_name() == argv[1]; }).empty();
  if (!is_command && IsBareWorkspaceStart(argc, argv)) return RunBareWorkspaceStart(argc, argv);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }
  if (app.get_subcommands().empty()) {
    std::fputs(app.help().c_str(), stdout);
    return kExitOk;
  }
  return status;
}

}  // namespace velmora::cli
