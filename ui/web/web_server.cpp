#include "ui/web/web_server.h"

#include <httplib.h>
#include <pthread.h>
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <string_view>
#include <thread>

#include "platform/desktop.h"
#include "ui/web/request_guard.h"
#include "ui/web/web_api.h"
#include "ui/web/web_assets.h"

namespace velmora::web {
namespace {

// The page runs only its own scripts and styles: a text from a log that slipped into markup
// could still not run anything.
constexpr const char* kContentPolicy =
    "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; "
    "object-src 'none'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'";
constexpr const char* kExportPolicy =
    "default-src 'none'; style-src 'unsafe-inline'; img-src 'self'; frame-ancestors 'none'; "
    "base-uri 'none'; form-action 'none'";
constexpr std::string_view kPagePath = "/index.html";
constexpr size_t kMaxBody = 1 << 20;
constexpr int kDefaultChartWidth = 768;

const WebAsset* FindAsset(std::string_view path) {
  for (const WebAsset& asset : WebAssets()) {
    if (asset.path == path) return &asset;
  }
  return nullptr;
}

void Send(httplib::Response& response, const ApiReply& reply) {
  response.status = reply.status;
  response.set_content(reply.body, reply.content_type.c_str());
}

void SendAsset(httplib::Response& response, const WebAsset& asset) {
  response.set_content(reinterpret_cast<const char*>(asset.bytes.data()), asset.bytes.size(),
                       std::string(asset.content_type).c_str());
}

int IntParam(const httplib::Request& request, const char* name, int fallback) {
  if (!request.has_param(name)) return fallback;
  const std::string text = request.get_param_value(name);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

nlohmann::json Body(const httplib::Request& request) {
  return nlohmann::json::parse(request.body, nullptr, false);
}

bool Guard(const httplib::Request& request, const std::string& token, int port) {
  // The page itself is served at "/" only, where it needs the token like the API does.
  const bool static_file =
      request.path != "/" && request.path != kPagePath && FindAsset(request.path) != nullptr;
  const std::string host = request.get_header_value("Host");
  const std::string origin = request.get_header_value("Origin");
  const std::string fetch_site = request.get_header_value("Sec-Fetch-Site");
  const std::string header_token = request.get_header_value(std::string(kTokenHeader).c_str());
  const std::string query_token = request.get_param_value("token");
  const std::string cookies = request.get_header_value("Cookie");
  return RequestAllowed({request.method, request.path, host, origin, fetch_site, header_token,
                         query_token, TokenCookie(cookies, port), static_file},
                        token, port);
}

// The File menu: the new-workspace wizard, the folder browser, opening a workspace file and Exit.
void AddFileMenuRoutes(httplib::Server& server, WebApi& api) {
  server.Get("/api/new-workspace", [&api](const httplib::Request&, httplib::Response& r) {
    Send(r, api.NewWorkspaceDefaults());
  });
  server.Post("/api/new-workspace", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.NewWorkspace(Body(request)));
  });
  server.Get("/api/browse", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r,
         api.Browse(request.get_param_value("path"), request.get_param_value("show") == "folders"));
  });
  server.Post("/api/open", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.OpenFile(Body(request)));
  });
  // The main thread waits for a stop signal; this one ends the server the way Ctrl+C does, after
  // the reply (the server finishes the requests it has begun before it stops).
  server.Post("/api/exit", [](const httplib::Request&, httplib::Response& r) {
    Send(r, {200, std::string(kJsonType), R"({"stopping":true})"});
    kill(getpid(), SIGTERM);
  });
}

void AddRoutes(httplib::Server& server, WebApi& api, const std::string& token, int port) {
  // The cookie lets a link open an exported page, which cannot carry the token itself to the
  // pictures it shows.
  const std::string cookie = TokenCookieName(port) + "=" + token +
                             "; Path=" + std::string(kExportPrefix) + "; HttpOnly; SameSite=Strict";
  server.Get("/", [cookie](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", cookie);
    SendAsset(response, *FindAsset(kPagePath));
  });
  for (const WebAsset& asset : WebAssets()) {
    if (asset.path == kPagePath) continue;
    server.Get(std::string(asset.path),
               [&asset](const httplib::Request&, httplib::Response& r) { SendAsset(r, asset); });
  }
  server.Get("/api/state",
             [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.State()); });
  server.Get("/api/tree",
             [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.Tree()); });
  server.Get(R"(/api/report/([A-Za-z0-9_]{1,64}))",
             [&api](const httplib::Request& request, httplib::Response& r) {
               Send(r, api.Report(request.matches[1].str(), IntParam(request, "sort", 2),
                                  IntParam(request, "rows", 0)));
             });
  server.Get(R"(/api/chart/([A-Za-z0-9_]{1,64})\.png)",
             [&api](const httplib::Request& request, httplib::Response& r) {
               Send(r, api.Chart(request.matches[1].str(), IntParam(request, "sort", 2),
                                 IntParam(request, "width", kDefaultChartWidth)));
             });
  server.Post("/api/day", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.PickDay(Body(request)));
  });
  server.Post("/api/filters", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.ChangeFilters(Body(request)));
  });
  server.Post("/api/open-recent", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.OpenRecent(Body(request)));
  });
  server.Get("/api/parsing-log",
             [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.ParsingLog()); });
  server.Post("/api/remove-all", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.RemoveAllData(Body(request)));
  });
  server.Post("/api/export", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.StartExport(Body(request)));
  });
  server.Get("/api/export", [&api](const httplib::Request&, httplib::Response& r) {
    Send(r, api.ExportStatus());
  });
  server.Post("/api/export-cancel", [&api](const httplib::Request&, httplib::Response& r) {
    Send(r, api.CancelExport());
  });
  server.Get(R"(/export/(.+))", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.ExportedFile(request.matches[1].str()));
    // An exported page carries its own style block and style attributes, and no script at
    // all: styles may stand inline there, scripts may not run from anywhere.
    r.headers.erase("Content-Security-Policy");
    r.set_header("Content-Security-Policy", kExportPolicy);
  });
  server.Get("/api/settings",
             [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.Settings()); });
  server.Post("/api/settings", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.ChangeSettings(Body(request)));
  });
  server.Get("/api/log-files",
             [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.LogFiles()); });
  server.Post("/api/log-files/open", [&api](const httplib::Request&, httplib::Response& r) {
    Send(r, api.OpenLogsFolder());
  });
  // Parse and Retrieve: every tab polls the same run and may answer its questions.
  server.Post("/api/parse",
              [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.StartParse()); });
  server.Post("/api/retrieve", [&api](const httplib::Request&, httplib::Response& r) {
    Send(r, api.StartRetrieve());
  });
  server.Get("/api/job",
             [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.JobStatus()); });
  server.Post("/api/job/answer", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.AnswerJob(Body(request)));
  });
  server.Post("/api/job/cancel",
              [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.CancelJob()); });
  server.Post("/api/tip",
              [&api](const httplib::Request&, httplib::Response& r) { Send(r, api.NextTip()); });
  server.Post("/api/tip-at-startup", [&api](const httplib::Request& request, httplib::Response& r) {
    Send(r, api.SetTipAtStartup(Body(request)));
  });
  AddFileMenuRoutes(server, api);
}

// The test seam of the browser tests: VELMORA_SERVE_SLOW_WORKER=MS makes each step of a
// retrieval's worker take MS milliseconds, so that Cancel meets a worker that does not stop.
WebTiming TimingFromEnvironment() {
  WebTiming timing;
  const char* slow = std::getenv("VELMORA_SERVE_SLOW_WORKER");
  int ms = 0;
  if (slow != nullptr) {
    const std::string_view text(slow);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (error == std::errc() && end == text.data() + text.size() && ms > 0 && ms <= 60000) {
      timing.slow_worker = std::chrono::milliseconds(ms);
    }
  }
  return timing;
}

}  // namespace

int RunServe(const ServeOptions& options, std::FILE* out) {
  const std::string token = NewToken();
  if (token.empty()) {
    std::fputs("velmora: the system gave no random bytes for the access token\n", stderr);
    return 1;
  }
  if (options.port < 0 || options.port > 65535) {
    std::fputs("velmora: --port takes 0 (any free port) to 65535\n", stderr);
    return 1;
  }
  // Blocked before any thread starts, so that every thread inherits the mask and the stop
  // signals reach only the sigwait below.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  WebApi api(options.workspace, Preferences(), TimingFromEnvironment());
  // The page says it too, but whoever typed the command is looking at the terminal now.
  if (!api.open_failure().empty())
    std::fprintf(stderr, "velmora: %s\n", api.open_failure().c_str());
  httplib::Server server;
  const int port = options.port == 0 ? server.bind_to_any_port("127.0.0.1")
                   : server.bind_to_port("127.0.0.1", options.port) ? options.port
                                                                    : -1;
  if (port <= 0) {
    std::fprintf(stderr, "velmora: cannot listen on 127.0.0.1:%d (in use?)\n", options.port);
    return 1;
  }
  server.set_payload_max_length(kMaxBody);
  server.set_default_headers({{"Content-Security-Policy", kContentPolicy},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"},
                              {"X-Frame-Options", "DENY"},
                              {"Cache-Control", "no-store"}});
  server.set_pre_routing_handler(
      [&token, port](const httplib::Request& request, httplib::Response& response) {
        if (Guard(request, token, port)) return httplib::Server::HandlerResponse::Unhandled;
        response.status = 403;
        response.set_content("Forbidden\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
      });
  AddRoutes(server, api, token, port);

  std::thread listener([&server] { server.listen_after_bind(); });
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/?token=" + token;
  std::fprintf(out, "Velmora is at %s\nPress Ctrl+C to stop.\n", url.c_str());
  std::fflush(out);
  if (options.open_browser && HasDesktop()) OpenWithDesktop(url);

  int received = 0;
  sigwait(&stop, &received);
  server.stop();
  listener.join();
  return 0;
}

}  // namespace velmora::web
