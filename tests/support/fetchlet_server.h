// The Fetchlet companion serving a folder on 127.0.0.1 on a free port until the object dies:
// contrib/fetchlet/fetchlet.py as its own server, or contrib/fetchlet/fl.php under PHP's built-in
// server (configured by a file the object writes). A variant of the Python one
// (tests/support/fetchlet_variant.py) adds a twist no real companion has: a slow one sends at
// 64 KiB a second, a lower-case one answers "ok", and a phantom entry is listed that is not there.
#pragma once

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace velmora::testing {

inline std::string FetchletDir() {
  return std::string(VELMORA_TEST_SUPPORT_DIR) + "/../../contrib/fetchlet";
}
inline std::string FetchletScript() { return FetchletDir() + "/fetchlet.py"; }

enum class FetchletPage { kPython, kPhp };

struct FetchletOptions {
  std::string user, password;
  bool allow_prune = false;
  FetchletPage page = FetchletPage::kPython;
  // Twists of the Python one.
  bool slow = false;
  bool lower_case_ok = false;
  std::string phantom;  // an entry added to every list
};

class FetchletTestServer {
 public:
  FetchletTestServer(const std::string& folder, const FetchletOptions& options = {})
      : program_(Program(options), Arguments(folder, options), Environment(folder, options)) {
    // "... on port N" from the Python one, "(http://127.0.0.1:N) started" from PHP.
    const std::string marker = options.page == FetchletPage::kPhp ? "127.0.0.1:" : " on port ";
    for (int i = 0; i < 200 && port_ == 0 && program_.Running(); ++i) {
      const std::string err = program_.ErrSoFar();
      const size_t at = err.find(marker);
      if (at != std::string::npos && err.find('\n', at) != std::string::npos) {
        port_ = std::stoi(err.substr(at + marker.size()));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
  }
  // 0 when the server did not start.
  int port() const { return port_; }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string why_not() { return program_.ErrSoFar(); }

 private:
  static std::string Program(const FetchletOptions& options) {
    return options.page == FetchletPage::kPhp ? "/usr/bin/php" : "/usr/bin/python3";
  }
  std::vector<std::string> Arguments(const std::string& folder, const FetchletOptions& o) {
    if (o.page == FetchletPage::kPhp) {
      // fl.php as the router: it answers every request, whatever the path.
      return {"-S", "127.0.0.1:0", FetchletDir() + "/fl.php"};
    }
    std::vector<std::string> args;
    if (o.slow || o.lower_case_ok || !o.phantom.empty()) {
      args = {std::string(VELMORA_TEST_SUPPORT_DIR) + "/fetchlet_variant.py", FetchletScript()};
      if (o.slow) args.push_back("--slow");
      if (o.lower_case_ok) args.push_back("--lower-case-ok");
      if (!o.phantom.empty()) args.insert(args.end(), {"--phantom", o.phantom});
      args.push_back("--");
    } else {
      args = {FetchletScript()};
    }
    args.insert(args.end(), {"--folder", folder, "--host", "127.0.0.1", "--port", "0"});
    if (!o.user.empty()) args.insert(args.end(), {"--user", o.user, "--password", o.password});
    if (o.allow_prune) args.push_back("--allow-prune");
    return args;
  }
  std::vector<std::string> Environment(const std::string& folder, const FetchletOptions& o) {
    if (o.page != FetchletPage::kPhp) return {};
    std::ofstream(config_ / "fetchlet.conf")
        << "[fetchlet]\nfolder = " << folder << "\nuser = " << o.user
        << "\npassword = " << o.password << "\nallow_prune = " << (o.allow_prune ? "yes" : "no")
        << "\n";
    return {"FETCHLET_CONFIG=" + config_ / "fetchlet.conf", "TMPDIR=" + config_.str()};
  }

  TempDir config_;  // before program_: it is written before the program starts
  BackgroundProgram program_;
  int port_ = 0;
};

}  // namespace velmora::testing
