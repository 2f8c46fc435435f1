#include "parsing/formats/format_detection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "parsing/formats/format_candidates.h"
#include "parsing/readers/string_log_reader_for_tests.h"

namespace velmora {
namespace {

std::string CombinedLine(int i) {
  return "10.0.0." + std::to_string(i % 250) +
         " - - [10/Oct/2000:13:55:" + std::to_string(10 + i % 50) + " -0700] \"GET /page" +
         std::to_string(i) + ".html HTTP/1.0\" 200 " + std::to_string(100 + i) +
         " \"http://ref/\" \"Mozilla/4.0\"\n";
}

std::string CombinedLog(int lines) {
  std::string log;
  for (int i = 0; i < lines; ++i) log += CombinedLine(i);
  return log;
}

std::optional<LogFormat> Detect(const std::string& bytes, std::string_view stored = "") {
  testing::StringLogReader reader(bytes);
  return DetectFormat(reader, stored);
}

std::string BadLines(int count) {
  std::string bad;
  for (int i = 0; i < count; ++i) bad += "bad line\n";
  return bad;
}

LogFormat Candidate(int number) { return LogFormat::Custom(FormatCandidates()[number - 1]); }

TEST(FormatDetectionTest, SampleDecidesTheFormat) {
  std::string common;
  for (int i = 0; i < 30; ++i) {
    const std::string line = CombinedLine(i);
    common += line.substr(0, line.find(" \"http")) + "\n";
  }
  const std::string iis =
      "192.168.114.201, -, 03/20/01, 7:55:20, W3SVC2, SERVER, 172.21.13.45, 4502, 163, 3223, "
      "200, 0, GET, /DeptLogo.gif, -,\n";
  const std::string iis_day_first =
      "192.168.114.201, -, 20/03/2001, 7:55:20, W3SVC2, SERVER, 172.21.13.45, 4502, 163, 3223, "
      "200, 0, GET, /DeptLogo.gif, -,\n";
  const std::string stored = "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"";
  // The 100,000-character line reads as one line that fails every format; the zero-byte line
  // reads as an empty line, which counts against none. With seven bad lines more, 8 failures
  // among 63 lines exceed the tolerance of 63 / 8 = 7.
  const std::string hostile = std::string(100000, 'x') + "\n" + std::string("\0\0\0\n", 4);
  const struct {
    const char* name;
    std::string bytes;
    std::string stored;
    std::optional<LogFormat> expected;
  } cases[] = {
      {"common log", common, "", Candidate(1)},
      {"one damaged line in ten", CombinedLog(9) + BadLines(1), "", Candidate(7)},
      {"two damaged lines in ten", CombinedLog(8) + BadLines(2), "", std::nullopt},
      {"20 failures in 160", CombinedLog(140) + BadLines(20), "", Candidate(7)},
      {"21 failures in 160", CombinedLog(139) + BadLines(21), "", std::nullopt},
      {"one matching line", CombinedLine(1), "", Candidate(7)},
      {"one line only the stored format matches", "garbage\n", "%S", LogFormat::Custom("%S")},
      {"one line nothing matches", "garbage here\n", "%S %c", std::nullopt},
      {"W3C directive on line 150", CombinedLog(149) + "#Fields: date time c-ip\ngarbage\n", "",
       LogFormat::W3cExtended()},
      {"W3C directive inside a line", "x #Fields: date\n", "", LogFormat::W3cExtended()},
      {"W3C directive is case-sensitive", "#fields: date\n", "", std::nullopt},
      {"only the first 200 lines are sampled", CombinedLog(200) + BadLines(100) + "#Fields: date\n",
       "", Candidate(7)},
      {"stored format wins over candidates", CombinedLog(20), stored, LogFormat::Custom(stored)},
      {"empty stored format cannot win", "garbage\n", "", std::nullopt},
      {"no lines, empty stored format", "", "", LogFormat::Custom("")},
      {"no lines, a stored format", "\r\n\n", "%S %r", LogFormat::Custom("%S %r")},
      {"IIS", iis + iis, "", Candidate(16)},
      {"IIS day first", iis_day_first, "", Candidate(19)},
      {"tab-separated", "24/05/02 20:18:01\thost\tsvc\tx\tuser\tGET\t/p\t-\tx\tUA\t200\t12\t7\n",
       "", Candidate(21)},
      {"hostile lines within the tolerance", hostile + CombinedLog(60), "", Candidate(7)},
      {"hostile lines past the tolerance", hostile + BadLines(7) + CombinedLog(55), "",
       std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(Detect(c.bytes, c.stored), c.expected) << c.name;
}

// A file that gave nothing before failing has no format, not even the stored one; one that failed
// later is judged by what came before.
TEST(FormatDetectionTest, UnreadableFileGivesItsFailure) {
  const struct {
    const char* name;
    std::string bytes;
    std::optional<std::string> failure;
    std::optional<LogFormat> expected;  // when detection answers
  } cases[] = {
      {"cannot open", "", "cannot open: No such file or directory", std::nullopt},
      {"truncated after some lines", CombinedLog(20), "archive truncated at byte 900",
       Candidate(7)},
      {"damaged after a partial line", "10.0.0.1 - - [10/Oct", "damaged archive at byte 30",
       std::nullopt},
      {"clean and empty", "", std::nullopt, LogFormat::Custom("")},
  };
  for (const auto& c : cases) {
    testing::StringLogReader reader(c.bytes, 61, c.failure);
    const Result<std::optional<LogFormat>> got = DetectLogFormat(reader, "");
    const bool nothing_read = c.failure && c.bytes.empty();
    ASSERT_EQ(got.ok(), !nothing_read) << c.name;
    if (got.ok()) {
      EXPECT_EQ(got.value(), c.expected) << c.name;
    } else {
      EXPECT_EQ(got.error().message, *c.failure) << c.name;
    }
  }
}

}  // namespace
}  // namespace velmora
