#include "parsing/readers/line_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "parsing/readers/string_log_reader_for_tests.h"

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

std::string Repeated(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
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
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlySeparators", "\r\n\n\r\r\n", {}},
        SplitCase{"FinalLineBreak", "a\nb\n", {"a", "b"}},
        SplitCase{"NoFinalLineBreak", "a\nb", {"a", "b"}},
        SplitCase{"EmptyLinesSkipped", "\n\na\n\n\nb\n\n", {"a", "b"}},
        SplitCase{"CrCrLfEndsLine", "a\r\r\nb", {"a", "b"}},
        SplitCase{"CrInsideLineDropped", "a\rb\n", {"ab"}}, SplitCase{"CrAtEnd", "a\r", {"a"}},
        SplitCase{"ZeroByteEndsText", "ab\0cd\nef"s, {"ab", "ef"}},
        SplitCase{"ZeroByteFirst", "\0abc\nx"s, {"", "x"}},
        SplitCase{"BlankLineKept", "  \nx", {"  ", "x"}},
        SplitCase{"LongLineSplitsAt16382",
                  std::string(40000, 'x') + "\ny",
                  {std::string(16382, 'x'), std::string(16382, 'x'), std::string(7236, 'x'), "y"}},
        SplitCase{"LineBreakRightAfterTheLimitGivesNoEmptyLine",
                  std::string(16382, 'x') + "\r\nz",
                  {std::string(16382, 'x'), "z"}},
        SplitCase{"CarriageReturnsDoNotCountTowardsTheLimit",
                  Repeated("x\r", 16382) + "y\n",
                  {std::string(16382, 'x'), "y"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
