// A log that grows between runs, one replaced under its name, and a last line still being
// written: each run reads exactly the lines no run has read.
#include <filesystem>
#include <fstream>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string CombinedLine(int i) {
  return "10.0." + std::to_string(i / 200) + "." + std::to_string(i % 200) +
         " - - [10/Oct/2024:13:" + std::to_string(10 + i / 60 % 50) + ":" +
         std::to_string(10 + i % 50) + " +0000] \"GET /p" + std::to_string(i) +
         ".html HTTP/1.1\" 200 " + std::to_string(100 + i) + " \"-\" \"Agent/1.0\"\n";
}

std::string W3cLine(int i) {
  return "2024-10-10 13:" + std::to_string(10 + i / 60 % 50) + ":" + std::to_string(10 + i % 50) +
         " 10.0." + std::to_string(i / 200) + "." + std::to_string(i % 200) + " GET /p" +
         std::to_string(i) + ".html 200 " + std::to_string(100 + i) + "\n";
}

class GrowingLogsTest : public CliTest {
 protected:
  static void Append(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
  }
};

TEST_F(GrowingLogsTest, EachRunReadsOnlyTheLinesNoRunHasRead) {
  using LineFn = std::string (*)(int);
  struct Case {
    const char* layout;
    LineFn line;
    std::string header;  // what opens the file
  } cases[] = {
      {"combined", CombinedLine, ""},
      {"W3C Extended", W3cLine,
       "#Software: test\n#Fields: date time c-ip cs-method cs-uri-stem sc-status sc-bytes\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    const std::string ws = NewWorkspace(std::string("site-") + c.layout[0]);
    const std::string log = ws + "logs/access.log";
    std::string text = c.header;
    for (int i = 0; i < 100; ++i) text += c.line(i);
    Append(log, text);
    ASSERT_EQ(Velmora({"-w", ws, "parse"}).status, 0);
    EXPECT_EQ(HourlyHits(ws), 100);

    // Grown by 50 lines and the start of one more, still being written.
    text.clear();
    for (int i = 100; i < 150; ++i) text += c.line(i);
    const std::string last = c.line(150);
    Append(log, text + last.substr(0, 20));
    const auto grown = Velmora({"-w", ws, "parse"});
    EXPECT_EQ(grown.status, 0) << grown.err;
    EXPECT_EQ(HourlyHits(ws), 150);

    Append(log, last.substr(20));  // the last line is written to its end
    EXPECT_EQ(Velmora({"-w", ws, "parse"}).status, 0);
    EXPECT_EQ(HourlyHits(ws), 151);
    const auto nothing_new = Velmora({"-w", ws, "parse"});
    EXPECT_NE(nothing_new.out.find("new: 0"), std::string::npos) << nothing_new.out;
    EXPECT_EQ(HourlyHits(ws), 151);

    // Replaced by another file under the same name: said, and read from its start.
    text = c.header;
    for (int i = 1000; i < 1010; ++i) text += c.line(i);
    std::ofstream(log, std::ios::binary | std::ios::trunc) << text;
    const auto replaced = Velmora({"-w", ws, "parse"});
    EXPECT_EQ(replaced.status, 0) << replaced.err;
    EXPECT_NE(replaced.err.find("velmora: warning: access.log is not the file parsed under this "
                                "name before"),
              std::string::npos)
        << replaced.err;
    EXPECT_NE(ReadFile(ws + "parsing.log").find("WARNING: access.log is not the file"),
              std::string::npos);
    EXPECT_EQ(HourlyHits(ws), 161);
  }
}

TEST_F(GrowingLogsTest, LinesAppendedDuringARunAreReadByTheNext) {
  const std::string ws = NewWorkspace();
  const std::string log = ws + "logs/access.log";
  const auto made = testing::RunProgram(
      LOGGEN_BIN, {"--format", "combined", "--lines", "300000", "--seed", "3", "-o", log});
  ASSERT_EQ(made.status, 0) << made.err;
  auto run = StartVelmora({"-w", ws, "parse"});
  // Appended while the run reads the file, the last line in two writes.
  std::string more;
  for (int i = 0; i < 1000; ++i) more += CombinedLine(i);
  Append(log, more.substr(0, more.size() / 2));
  Append(log, more.substr(more.size() / 2));
  const auto first = run->Wait();
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(Velmora({"-w", ws, "parse"}).status, 0);
  EXPECT_EQ(HourlyHits(ws), 301000) << "every line once, whichever run read it";
}

TEST_F(GrowingLogsTest, AFinishedLogWithoutAFinalLineEndHasItsLastLineReadNextRun) {
  const std::string ws = NewWorkspace();
  std::string text;
  for (int i = 0; i < 10; ++i) text += CombinedLine(i);
  text.pop_back();  // no line end after the last line
  std::ofstream(ws + "logs/old.log", std::ios::binary) << text;
  ASSERT_EQ(Velmora({"-w", ws, "parse"}).status, 0);
  EXPECT_EQ(HourlyHits(ws), 9) << "the last line may still be being written";
  ASSERT_EQ(Velmora({"-w", ws, "parse"}).status, 0);
  EXPECT_EQ(HourlyHits(ws), 10) << "unchanged since: the last line is whole";
}

}  // namespace
}  // namespace velmora
