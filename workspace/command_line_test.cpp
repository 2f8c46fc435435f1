#include "workspace/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

TEST(CommandLine, Parameters) {
  struct Case {
    std::string_view line;
    CommandLineParameters expected;
  } const cases[] = {
      {"", {}},
      {"   ", {}},
      {"/home/me/site.stw", {{"default", "/home/me/site.stw"}}},
      {"\"/home/me/My Site/My Site.stw\"", {{"default", "/home/me/My Site/My Site.stw"}}},
      {"  \"/a b/c.stw\"  ", {{"default", "/a b/c.stw"}}},
      {"/a/site.stw\r\n", {{"default", "/a/site.stw"}}},
      {"\"/a/site.stw \t\"", {{"default", "/a/site.stw"}}},
      {"-x", {{"x", ""}}},
      {"-wfile.stw", {{"w", "file.stw"}}},
      {"-w\"a b\" c", {{"w", "a b"}, {"default", "c"}}},
      {"-W upper", {{"W", ""}, {"default", "upper"}}},
      {"-1 -", {{"default", "-"}}},  // not a letter: a value; the later token wins
      {"one two", {{"default", "two"}}},
      {"ab\"c d\"e", {{"default", "e"}}},  // a closing quote ends the value
      {"\"unterminated value", {{"default", "unterminated value"}}},
      {"\"\"", {{"default", ""}}},
      {"a\tb", {{"default", "a\tb"}}},  // only blanks separate tokens
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ParseCommandLine(c.line), c.expected);
  }
}

TEST(CommandLine, ArgumentsAreTokensAlready) {
  const std::vector<std::string_view> args = {"-yes", "/my docs/a \"b\".stw\n", "-"};
  const CommandLineParameters expected = {{"y", "es"}, {"default", "-"}};
  EXPECT_EQ(ParseCommandLineArguments(args), expected);
  const std::vector<std::string_view> one = {"/my docs/a.stw\t"};
  EXPECT_EQ(ParseCommandLineArguments(one), (CommandLineParameters{{"default", "/my docs/a.stw"}}));
}

}  // namespace
}  // namespace velmora
