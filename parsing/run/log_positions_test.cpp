#include "parsing/run/log_positions.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

TEST(LogPositionsTest, SavedPositionsReadBackAndDamagedLinesAreSkipped) {
  testing::TempDir dir;
  LogPositions positions;
  positions.Set("access.log", {376727, 376727, 4096, 2962040974u});
  positions.Set("b\tc.log", {1, 1, 1, 1});  // a name that cannot be kept
  positions.Set("d\ne.log", {1, 1, 1, 1});
  ASSERT_TRUE(positions.Save(dir / "LogPositions").ok());
  {
    std::ofstream out(dir / "LogPositions", std::ios::app | std::ios::binary);
    out << "12\t34\n"                          // too few fields
        << "x\t1\t1\t1\tbad.log\n"             // not a number
        << "1\t1\t99999999999\t1\tlong.log\n"  // head length out of range
        << "5\t6\t7\t8\t\n"                    // no name
        << "5\t6\t7\t8\tlast.log";             // no line end: still a line
  }
  const LogPositions read = LogPositions::Load(dir / "LogPositions");
  ASSERT_NE(read.Find("access.log"), nullptr);
  EXPECT_EQ(read.Find("access.log")->consumed, 376727u);
  EXPECT_EQ(read.Find("access.log")->head_crc, 2962040974u);
  ASSERT_NE(read.Find("last.log"), nullptr);
  EXPECT_EQ(read.Find("last.log")->head_length, 7u);
  for (const char* name : {"b\tc.log", "d\ne.log", "bad.log", "long.log", ""}) {
    EXPECT_EQ(read.Find(name), nullptr) << name;
  }
  EXPECT_TRUE(LogPositions::Load(dir / "missing").empty());
}

}  // namespace
}  // namespace velmora
