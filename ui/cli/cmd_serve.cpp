// `velmora serve`: starts the web front end on the workspace -w names (or the most recent one).
#include <memory>
#include <string>

#include "ui/cli/commands.h"
#include "ui/web/web_server.h"

namespace velmora::cli {

void RegisterServeCommands(CommandTable& table) {
  auto o = std::make_shared<web::ServeOptions>();
  auto named = std::make_shared<std::string>();
  CLI::App* serve = table.Add("serve", "the report window in your web browser (127.0.0.1 only)",
                              [o, named](CliContext& c) {
                                o->workspace = named->empty() ? c.workspace_arg : *named;
                                return web::RunServe(*o, stdout);
                              });
  // A file manager opening a .stw file passes it after the command (the desktop entry's %f).
  serve->add_option("workspace", *named, "the workspace to show, as -w takes it");
  serve->add_option("--port", o->port, "the port to listen on (default: any free one)")
      ->check(CLI::Range(0, 65535));
  serve->add_flag("!--no-open", o->open_browser, "print the address but open no browser");
  serve->footer(
      "\nThe address printed holds a new access token at every start; only a browser that has it"
      "\ncan use the server. Stop it with Ctrl+C.\n\nExamples:\n  velmora serve\n"
      "  velmora -w ~/sites/shop serve --port 8080 --no-open\n  velmora serve "
      "~/sites/shop/shop.stw");
}

}  // namespace velmora::cli
