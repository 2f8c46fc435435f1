#include "parsing/readers/line_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "parsing/readers/string_log_reader_for_tests.h"

namespace velmora {
namespace {

using std::string_literals::operator""s;

std::string Repeated(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Only a line whose characters were dropped is marked truncated: one that ends right at the limit
// is whole.
TEST(ReadLineTest, SplitsIntoLinesAndMarksThoseThatLostCharacters) {
  const std::string at_limit(kMaxLineLength, 'x');
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    std::vector<bool> truncated;  // not checked when empty
  } cases[] = {
      {"empty", "", {}, {}},
      {"only separators", "\r\n\n\r\r\n", {}, {}},
      {"final line break", "a\nb\n", {"a", "b"}, {false, false}},
      {"no final line break", "a\nb", {"a", "b"}, {}},
      {"empty lines skipped", "\n\na\n\n\nb\n\n", {"a", "b"}, {}},
      {"CR CR LF ends a line", "a\r\r\nb", {"a", "b"}, {}},
      {"CR inside a line dropped", "a\rb\n", {"ab"}, {}},
      {"CR at the end", "a\r", {"a"}, {}},
      {"zero byte ends the text", "ab\0cd\nef"s, {"ab", "ef"}, {}},
      {"zero byte first", "\0abc\nx"s, {"", "x"}, {}},
      {"blank line kept", "  \nx", {"  ", "x"}, {}},
      {"long line is one line cut at the limit",
       std::string(300000, 'x') + "\ny",
       {at_limit, "y"},
       {true, false}},
      {"one character too many", at_limit + "x\nb", {at_limit, "b"}, {true, false}},
      {"twice the limit, no line feed", at_limit + at_limit, {at_limit}, {true}},
      {"exactly the limit, then CR LF", at_limit + "\r\nz", {at_limit, "z"}, {false, false}},
      {"exactly the limit, then CR CR LF", at_limit + "\r\r\nb", {at_limit, "b"}, {false, false}},
      {"exactly the limit, then CR, text", at_limit + "\ry\nb", {at_limit, "b"}, {true, false}},
      {"carriage returns do not count towards the limit",
       Repeated("x\r", kMaxLineLength) + "y\nz",
       {at_limit, "z"},
       {true, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing::StringLogReader reader(c.bytes);
    auto buffer = std::make_unique<LineBuffer>();
    std::vector<std::string> lines;
    std::vector<bool> truncated;
    while (ReadLine(reader, *buffer)) {
      lines.emplace_back(buffer->view());
      truncated.push_back(buffer->truncated());
    }
    EXPECT_EQ(lines, c.lines);
    if (!c.truncated.empty()) EXPECT_EQ(truncated, c.truncated);
  }
}

}  // namespace
}  // namespace velmora
