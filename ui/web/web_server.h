// `velmora serve`: the main window as a page in the user's browser. The server binds 127.0.0.1
// only, makes a new access token at every start (request_guard.h), prints the page's address
// with the token and, where a desktop is there to show it, opens it in the browser. It runs until
// SIGINT or SIGTERM.
#pragma once

#include <cstdio>
#include <string>

namespace velmora::web {

struct ServeOptions {
  std::string workspace;  // as -w names it; empty for the most recent workspace
  int port = 0;           // 0: any free port
  bool open_browser = true;
};

// Serves until a stop signal; returns 0 then, or 1 (after saying why on stderr) when the server
// cannot start. The address goes to `out` as "http://127.0.0.1:PORT/?token=...".
int RunServe(const ServeOptions& options, std::FILE* out);

}  // namespace velmora::web
