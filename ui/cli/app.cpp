#include "ui/cli/app.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

namespace velmora::cli {
namespace {

constexpr const char* kDescription =
    "Velmora analyses the access logs of a web site: it reads W3C Extended, NCSA common and\n"
    "combined, IIS and tab-separated logs (plain, gzip or bzip2), groups requests into visits,\n"
    "classifies pages, downloads, browsers, spiders, referrers and countries, and reports on them.\n"
    "One workspace holds one site: its settings (.stw), logs/, database/ and reports/.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  velmora --help                      this text\n"
    "  velmora --version                   the program's version\n"
    "  velmora -w ~/sites/example.stw ...  run a command on that workspace\n"
    "\nWithout -w the most recently used workspace is taken.\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

}  // namespace

int RunVelmora(int argc, char** argv) {
  CLI::App app{kDescription, "velmora"};
  app.set_version_flag("--version", std::string("velmora ") + VELMORA_VERSION);
  app.footer(kExamples);
  app.require_subcommand(0, 1);

  std::string workspace;
  bool assume_yes = false;
  app.add_option("-w,--workspace", workspace,
                 "the workspace: its .stw file or its folder (default: the most recent one)");
  app.add_flag("--yes", assume_yes, "answer Yes to every question (for scripts)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  if (app.get_subcommands().empty()) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  }
  return 0;
}

}  // namespace velmora::cli
