// A fixture for end-to-end tests of the command: a private home and preferences folder per
// test, so the recent list of one test never leaks into another or into the user's own.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {

class CliTest : public ::testing::Test {
 protected:
  testing::CommandResult Velmora(std::vector<std::string> args, const std::string& input = "") {
    return testing::RunProgram(VELMORA_BIN, args, Environment(), input);
  }
  // `velmora -w <workspace> args...`
  testing::CommandResult VelmoraIn(const std::string& workspace, std::vector<std::string> args) {
    args.insert(args.begin(), {"-w", workspace});
    return Velmora(args);
  }
  // The same command left running in the background.
  std::unique_ptr<testing::BackgroundProgram> StartVelmora(std::vector<std::string> args) {
    return std::make_unique<testing::BackgroundProgram>(VELMORA_BIN, args, Environment());
  }
  std::vector<std::string> Environment() const {
    return {"HOME=" + home_.str(), "XDG_CONFIG_HOME=" + home_ / "config",
            "XDG_DOCUMENTS_DIR=" + home_ / "Documents"};
  }
  // Creates workspace `name` under <home>/ws and returns its folder (with a trailing '/').
  std::string NewWorkspace(const std::string& name = "site") {
    const auto r = Velmora({"--yes", "new", name, "--path", home_ / "ws"});
    EXPECT_EQ(r.status, 0) << r.err;
    return home_ / "ws" + "/" + name + "/";
  }
  void SetSettings(const std::string& workspace,
                   const std::vector<std::pair<std::string, std::string>>& settings) {
    for (const auto& [key, value] : settings) {
      const auto r = VelmoraIn(workspace, {"settings", "set", key, value});
      EXPECT_EQ(r.status, 0) << key << ": " << r.err;
    }
  }
  // The requests of the hourly table: every line a run has read once, and only once.
  long long HourlyHits(const std::string& workspace) {
    return HitsIn(VelmoraIn(workspace, {"dump", "Hourly"}).out);
  }
  static long long HitsIn(const std::string& hourly_dump) {
    long long hits = 0;
    for (const std::string& line : Lines(hourly_dump)) {
      const size_t at = line.find("\"hits\":");
      if (at != std::string::npos) hits += std::stoll(line.substr(at + 7));
    }
    return hits;
  }
  // A log of `lines` lines at `path` (combined, uncompressed unless told), the same for the same
  // seed.
  static void GenerateLog(const std::string& path, int lines, int seed,
                          const std::string& format = "combined",
                          const std::string& compress = "none") {
    const auto r = testing::RunProgram(
        LOGGEN_BIN, {"--format", format, "--lines", std::to_string(lines), "--seed",
                     std::to_string(seed), "--compress", compress, "-o", path});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  // The names of the plain files of `folder`, sorted.
  static std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
      if (e.is_regular_file()) names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  testing::TempDir home_;
};

}  // namespace velmora
