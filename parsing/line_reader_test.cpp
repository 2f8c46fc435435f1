#include "parsing/line_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "parsing/string_log_reader_for_tests.h"

namespace velmora {
namespace {

using std::string_literals::operator""s;

std::vector<std::string> AllLines(std::string_view bytes) {
  testing::StringLogReader reader(bytes);
  auto buffer = std::make_unique<LineBuffer>();
  std::vector<std::string> lines;
  while (ReadLine(reader, *buffer)) lines.emplace_back(buffer->view());
  return lines;
}

struct SplitCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
};

class ReadLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ReadLineTest, SplitsIntoLines) { EXPECT_EQ(AllLines(GetParam().bytes), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadLineTest,
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlySeparators", "\r\n\n\r\r\n", {}},
                      SplitCase{"FinalLineBreak", "a\nb\n", {"a", "b"}},
                      SplitCase{"NoFinalLineBreak", "a\nb", {"a", "b"}},
                      SplitCase{"EmptyLinesSkipped", "\n\na\n\n\nb\n\n", {"a", "b"}},
                      SplitCase{"CrCrLfEndsLine", "a\r\r\nb", {"a", "b"}},
                      SplitCase{"CrInsideLineDropped", "a\rb\n", {"ab"}},
                      SplitCase{"CrAtEnd", "a\r", {"a"}},
                      SplitCase{"ZeroByteEndsText", "ab\0cd\nef"s, {"ab", "ef"}},
                      SplitCase{"ZeroByteFirst", "\0abc\nx"s, {"", "x"}},
                      SplitCase{"BlankLineKept", "  \nx", {"  ", "x"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(ReadLineLongTest, LongLineSplitsAt16382) {
  const std::vector<std::string> lines = AllLines(std::string(40000, 'x') + "\ny");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].size(), 16382u);
  EXPECT_EQ(lines[1].size(), 16382u);
  EXPECT_EQ(lines[2].size(), 7236u);
  EXPECT_EQ(lines[3], "y");
}

TEST(ReadLineLongTest, LineBreakRightAfterTheLimitGivesNoEmptyLine) {
  const std::vector<std::string> lines = AllLines(std::string(16382, 'x') + "\r\nz");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "z");
}

TEST(ReadLineLongTest, CarriageReturnsDoNotCountTowardsTheLimit) {
  std::string bytes;
  for (int i = 0; i < 16382; ++i) bytes += "x\r";
  const std::vector<std::string> lines = AllLines(bytes + "y\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(16382, 'x'));
  EXPECT_EQ(lines[1], "y");
}

}  // namespace
}  // namespace velmora
