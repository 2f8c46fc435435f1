// A real FTP server on 127.0.0.1 for the tests (Debian's python3-pyftpdlib), serving a folder
// until the object dies. Users: "alice" / "secret" (read and delete) and anonymous (read only).
// A silent server accepts connections and never answers; a slow one sends at 64 KiB a second.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_command.h"

namespace velmora::testing {

enum class FtpServerKind { kNormal, kSilent, kSlow };

class FtpTestServer {
 public:
  explicit FtpTestServer(const std::string& root, FtpServerKind kind = FtpServerKind::kNormal)
      : program_("/usr/bin/python3", Arguments(root, kind)) {
    for (int i = 0; i < 200 && port_ == 0 && program_.Running(); ++i) {
      const std::string err = program_.ErrSoFar();
      const size_t at = err.find("port ");
      if (at != std::string::npos && err.find('\n', at) != std::string::npos) {
        port_ = std::stoi(err.substr(at + 5));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
  }
  // 0 when the server did not start.
  int port() const { return port_; }
  std::string why_not() { return program_.ErrSoFar(); }

 private:
  static std::vector<std::string> Arguments(const std::string& root, FtpServerKind kind) {
    const std::string script = std::string(VELMORA_TEST_SUPPORT_DIR) + "/ftp_server.py";
    switch (kind) {
      case FtpServerKind::kSilent:
        return {script, "--silent"};
      case FtpServerKind::kSlow:
        return {script, "--slow", root};
      default:
        return {script, root};
    }
  }
  BackgroundProgram program_;
  int port_ = 0;
};

}  // namespace velmora::testing
