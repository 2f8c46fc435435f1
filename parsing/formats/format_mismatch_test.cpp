#include "parsing/formats/format_mismatch.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(FormatMismatch, NamesThePartOfTheFormatALineDoesNotFit) {
  const CompiledFormat common =
      CompiledFormat::Compile("%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b");
  struct Case {
    const char* line;
    const char* reason;
  } const cases[] = {
      {"1.2.3.4 - - [10/Oct/2026:13:55:36 +0000] \"GET /a HTTP/1.0\" 200 100", ""},
      {"1.2.3.4 - - [10/Oct/2026:13:55:36 +0000] \"GET /a HTTP/1.0\" OK 100",
       "the status (%c) does not fit"},
      {"1.2.3.4 - - [10/Foo/2026:13:55:36 +0000] \"GET /a HTTP/1.0\" 200 100",
       "the month name (%M) does not fit"},
      {"1.2.3.4 - - 10/Oct/2026:13:55:36 +0000 \"GET /a HTTP/1.0\" 200 100",
       "the text ' [' is not where the format has it"},
      {"1.2.3.4 - - [10/Oct/2026:25:55:36 +0000] \"GET /a HTTP/1.0\" 200 100",
       "the hour (%h) does not fit"},
      {"1.2.3.4 - - [10/Oct/2026:13:55:36 +0000] \"GET /a HTTP/1.0\" 200 100 extra",
       "the bytes sent (%b) does not fit"},
      {"garbage", "the text ' ' is not where the format has it"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MismatchReason(c.line, common), c.reason) << c.line;
  }
  const CompiledFormat closed = CompiledFormat::Compile("%S %c;");
  EXPECT_EQ(MismatchReason("host 200;more", closed), "the line goes on after the format ends");
}

}  // namespace
}  // namespace velmora
