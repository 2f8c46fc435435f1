#include "platform/desktop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::ScopedEnv;
using testing::TempDir;

TEST(DesktopTest, FoldersFollowTheEnvironment) {
  struct Case {
    std::optional<std::string> documents, config_home, home;
    std::string want_documents, want_config;
  };
  const Case cases[] = {
      {"/docs", "/cfg", "/home/u", "/docs", "/cfg/velmora"},
      {std::nullopt, std::nullopt, "/home/u", "/home/u/Documents", "/home/u/.config/velmora"},
      {"", "", "/home/u", "/home/u/Documents", "/home/u/.config/velmora"},
      {std::nullopt, "relative/cfg", "/home/u", "/home/u/Documents", "/home/u/.config/velmora"},
  };
  for (const Case& c : cases) {
    ScopedEnv env;
    env.Set("XDG_DOCUMENTS_DIR", c.documents);
    env.Set("XDG_CONFIG_HOME", c.config_home);
    env.Set("HOME", c.home);
    EXPECT_EQ(DocumentsFolder(), c.want_documents);
    EXPECT_EQ(ConfigFolder(), c.want_config);
    EXPECT_EQ(PreferencesPath(), c.want_config + "/preferences.ini");
  }
}

TEST(DesktopTest, OpenIsQuietlyRefusedWithoutDisplayOrOpener) {
  TempDir empty_bin;
  {
    ScopedEnv env;
    env.Set("DISPLAY", std::nullopt);
    env.Set("WAYLAND_DISPLAY", std::nullopt);
    EXPECT_FALSE(OpenWithDesktop("/tmp"));
  }
  {
    ScopedEnv env;
    env.Set("DISPLAY", ":99");
    env.Set("PATH", empty_bin.str());
    EXPECT_FALSE(OpenWithDesktop("/tmp"));
  }
}

TEST(DesktopTest, TargetReachesTheOpenerAsOneArgumentWithoutAShell) {
  TempDir bin;
  const std::string record = bin / "args.txt";
  const std::string opener = bin / "xdg-open";
  {
    std::ofstream script(opener);
    script << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"" << record << ".part\"\n"
           << "mv \"" << record << ".part\" \"" << record << "\"\n";
  }
  ::chmod(opener.c_str(), 0755);

  ScopedEnv env;
  env.Set("DISPLAY", std::nullopt);
  env.Set("WAYLAND_DISPLAY", "wayland-0");
  env.Set("PATH", bin.str() + ":/usr/bin:/bin");
  const std::string target = "-x; touch '" + (bin / "pwned") + "' $(id)";
  ASSERT_TRUE(OpenWithDesktop(target));

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream in(record);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), "1|./" + target + "|");
  EXPECT_FALSE(std::filesystem::exists(bin / "pwned"));
  EXPECT_FALSE(OpenWithDesktop(""));
}

}  // namespace
}  // namespace velmora
