#include "parsing/run/run_marker.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/workspace_layout.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string BootIdForTest() {
  std::ifstream in("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(in, id);
  return id;
}

class RunMarkerTest : public ::testing::Test {
 protected:
  std::string folder() const { return dir_.str() + "/"; }
  std::string marker() const { return dir_ / std::string(kRunMarkerName); }
  void WriteMarker(const std::string& text) const { std::ofstream(marker()) << text; }

  testing::TempDir dir_;
};

TEST_F(RunMarkerTest, ARunMarksItselfUntilItEnds) {
  {
    ParseRunMarker run(folder());
    EXPECT_TRUE(run.created());
    EXPECT_TRUE(fs::exists(marker()));
    // Its own process is alive: not an unfinished run while it goes on.
    EXPECT_FALSE(HasUnfinishedRun(folder()));
  }
  EXPECT_FALSE(fs::exists(marker()));
  EXPECT_FALSE(HasUnfinishedRun(folder()));
}

TEST_F(RunMarkerTest, AMarkLeftByADeadRunOutlivesTheNextRun) {
  WriteMarker("2147483000 " + BootIdForTest() + "\n");
  EXPECT_TRUE(HasUnfinishedRun(folder()));
  {
    ParseRunMarker run(folder());
    EXPECT_FALSE(run.created());
  }
  EXPECT_TRUE(fs::exists(marker()));
  EXPECT_TRUE(HasUnfinishedRun(folder()));
  ClearUnfinishedRun(folder());
  EXPECT_FALSE(HasUnfinishedRun(folder()));
}

TEST_F(RunMarkerTest, MarksThatDoNotNameALiveRunCountAsUnfinished) {
  const std::string boot = BootIdForTest();
  const struct {
    std::string text;
    bool unfinished;
  } cases[] = {
      {std::to_string(getpid()) + " " + boot + "\n", false},  // this very process
      {std::to_string(getpid()) + " another-boot\n", true},   // power loss, pid reused
      {"1 " + boot + "\n", true},                             // a live process, not a run
      {"", true},
      {"garbage\n", true},
      {"-5 " + boot + "\n", true},
      {"99999999999999999999 " + boot + "\n", true},
  };
  for (const auto& c : cases) {
    WriteMarker(c.text);
    EXPECT_EQ(HasUnfinishedRun(folder()), c.unfinished) << c.text;
  }
}

}  // namespace
}  // namespace velmora
