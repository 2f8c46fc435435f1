// The Fetchlet companion (contrib/fetchlet/fetchlet.py) serving a folder on 127.0.0.1 on a free
// port until the object dies, with the options given (--user, --password, --allow-prune, ...).
// A variant (tests/support/fetchlet_variant.py) runs the same companion with a twist no real one
// has: a slow one sends at 64 KiB a second, a lower-case one answers "ok", and a phantom entry
// is listed that is not there.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_command.h"

namespace velmora::testing {

inline std::string FetchletScript() {
  return std::string(VELMORA_TEST_SUPPORT_DIR) + "/../../contrib/fetchlet/fetchlet.py";
}

struct FetchletVariant {
  bool slow = false;
  bool lower_case_ok = false;
  std::string phantom;  // an entry added to every list
};

class FetchletTestServer {
 public:
  FetchletTestServer(const std::string& folder, std::vector<std::string> options,
                     const FetchletVariant& variant = {})
      : program_("/usr/bin/python3", Arguments(folder, std::move(options), variant)) {
    for (int i = 0; i < 200 && port_ == 0 && program_.Running(); ++i) {
      const std::string err = program_.ErrSoFar();
      const size_t at = err.rfind(" on port ");
      if (at != std::string::npos && err.find('\n', at) != std::string::npos) {
        port_ = std::stoi(err.substr(at + 9));
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
  static std::vector<std::string> Arguments(const std::string& folder,
                                            std::vector<std::string> options,
                                            const FetchletVariant& variant) {
    std::vector<std::string> args;
    if (variant.slow || variant.lower_case_ok || !variant.phantom.empty()) {
      args = {std::string(VELMORA_TEST_SUPPORT_DIR) + "/fetchlet_variant.py", FetchletScript()};
      if (variant.slow) args.push_back("--slow");
      if (variant.lower_case_ok) args.push_back("--lower-case-ok");
      if (!variant.phantom.empty()) args.insert(args.end(), {"--phantom", variant.phantom});
      args.push_back("--");
    } else {
      args = {FetchletScript()};
    }
    args.insert(args.end(), {"--folder", folder, "--host", "127.0.0.1", "--port", "0"});
    args.insert(args.end(), options.begin(), options.end());
    return args;
  }
  BackgroundProgram program_;
  int port_ = 0;
};

}  // namespace velmora::testing
