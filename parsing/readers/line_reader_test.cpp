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
    ::testing::Values(SplitCase{"Empty", "", {}}, SplitCase{"OnlySeparators", "\r\n\n\r\r\n", {}},
                      SplitCase{"FinalLineBreak", "a\nb\n", {"a", "b"}},
                      SplitCase{"NoFinalLineBreak", "a\nb", {"a", "b"}},
                      SplitCase{"EmptyLinesSkipped", "\n\na\n\n\nb\n\n", {"a", "b"}},
                      SplitCase{"CrCrLfEndsLine", "a\r\r\nb", {"a", "b"}},
                      SplitCase{"CrInsideLineDropped", "a\rb\n", {"ab"}},
                      SplitCase{"CrAtEnd", "a\r", {"a"}},
                      SplitCase{"ZeroByteEndsText", "ab\0cd\nef"s, {"ab", "ef"}},
                      SplitCase{"ZeroByteFirst", "\0abc\nx"s, {"", "x"}},
                      SplitCase{"BlankLineKept", "  \nx", {"  ", "x"}},
                      SplitCase{"LongLineIsOneLineCutAtTheLimit",
                                std::string(300000, 'x') + "\ny",
                                {std::string(kMaxLineLength, 'x'), "y"}},
                      SplitCase{"LineBreakRightAfterTheLimitGivesNoEmptyLine",
                                std::string(kMaxLineLength, 'x') + "\r\nz",
                                {std::string(kMaxLineLength, 'x'), "z"}},
                      SplitCase{"CarriageReturnsDoNotCountTowardsTheLimit",
                                Repeated("x\r", kMaxLineLength) + "y\nz",
                                {std::string(kMaxLineLength, 'x'), "z"}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// Only a line whose characters were dropped is marked: one that ends right at the limit is whole.
TEST(ReadLineTest, MarksOnlyLinesThatLostCharacters) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<bool> truncated;
  } cases[] = {
      {"short lines", "a\nb\n", {false, false}},
      {"one character too many", std::string(kMaxLineLength + 1, 'x') + "\nb", {true, false}},
      {"twice the limit, no line feed", std::string(2 * kMaxLineLength, 'x'), {true}},
      {"exactly the limit, then CR LF",
       std::string(kMaxLineLength, 'x') + "\r\r\nb",
       {false, false}},
      {"exactly the limit, then a CR and text",
       std::string(kMaxLineLength, 'x') + "\ry\nb",
       {true, false}},
  };
  for (const auto& c : cases) {
    testing::StringLogReader reader(c.bytes);
    auto buffer = std::make_unique<LineBuffer>();
    std::vector<bool> truncated;
    while (ReadLine(reader, *buffer)) truncated.push_back(buffer->truncated());
    EXPECT_EQ(truncated, c.truncated) << c.name;
  }
}

}  // namespace
}  // namespace velmora
