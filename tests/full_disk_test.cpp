// A parse run on a real file system that fills up: the run stops with exit 1 and a message that
// names the disk, the database is as before the run, and once there is room the next run gives
// every line once. An import or a new workspace that does not fit leaves nothing behind. Needs
// the right to mount a small tmpfs (root); skipped otherwise.
#include <sys/mount.h>

#include <filesystem>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class FullDiskTest : public CliTest {
 protected:
  void TearDown() override {
    if (mounted_) umount2(disk_.c_str(), MNT_DETACH);
  }
  bool Mount(const char* options) {
    fs::create_directories(disk_);
    mounted_ = mount("tmpfs", disk_.c_str(), "tmpfs", mounted_ ? MS_REMOUNT : 0, options) == 0;
    return mounted_;
  }

  std::string disk_ = home_ / "disk";
  bool mounted_ = false;
};

TEST_F(FullDiskTest, AFullDiskStopsTheRunAndFreedSpaceLetsItFinish) {
  if (!Mount("size=11m")) GTEST_SKIP() << "cannot mount a tmpfs here";
  const auto made = Velmora({"--yes", "new", "site", "--path", disk_});
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string ws = disk_ + "/site/";
  constexpr int kLines = 150000;
  const auto log = testing::RunProgram(
      LOGGEN_BIN,
      {"--format", "combined", "--lines", std::to_string(kLines), "-o", ws + "logs/access.log.gz"});
  ASSERT_EQ(log.status, 0) << log.err;

  const auto full = Velmora({"-w", ws, "parse"});
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("velmora: the disk of " + ws), std::string::npos) << full.err;
  EXPECT_NE(full.err.find(" is full ("), std::string::npos) << full.err;
  EXPECT_NE(full.err.find("the run was undone"), std::string::npos) << full.err;
  EXPECT_EQ(HourlyHits(ws), 0) << "the database is as it was before the run";

  ASSERT_TRUE(Mount("size=96m"));
  const auto again = Velmora({"-w", ws, "parse"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(HourlyHits(ws), kLines);
}

TEST_F(FullDiskTest, ANewWorkspaceThatDoesNotFitLeavesNothingBehind) {
  // Room for the folders but not for the database's tables.
  if (!Mount("size=1m")) GTEST_SKIP() << "cannot mount a tmpfs here";
  const auto made = Velmora({"new", "site", "--path", disk_ + "/sites"});
  EXPECT_EQ(made.status, 1);
  EXPECT_NE(made.err.find("velmora: no workspace was created"), std::string::npos) << made.err;
  EXPECT_FALSE(fs::exists(disk_ + "/sites")) << made.err;
  EXPECT_EQ(Velmora({"recent"}).out, "(empty)\n");
}

TEST_F(FullDiskTest, AnImportThatDoesNotFitLeavesNoPartialFile) {
  if (!Mount("size=11m")) GTEST_SKIP() << "cannot mount a tmpfs here";
  ASSERT_EQ(Velmora({"--yes", "new", "site", "--path", disk_}).status, 0);
  const std::string ws = disk_ + "/site/";
  ASSERT_EQ(Velmora({"-w", ws, "settings", "set", "local-compression", "2"}).status, 0);
  const std::string src = home_ / "src";
  fs::create_directories(src);
  // Far more than the disk holds, unpacked.
  GenerateLog(src + "/access.log.gz", 150000, 1, "combined", "gzip");

  const auto r = Velmora({"-w", ws, "import", "--from", src, "--all"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("There is not enough space on the disk"), std::string::npos) << r.err;
  EXPECT_TRUE(Files(ws + "logs").empty());
  EXPECT_TRUE(!fs::exists(ws + "logs/.incoming") || Files(ws + "logs/.incoming").empty());
}

}  // namespace
}  // namespace velmora
