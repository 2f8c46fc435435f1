#include "parsing/lines/custom_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parsing/formats/format_candidates.h"
#include "parsing/lines/recording_sink_for_tests.h"
#include "parsing/readers/string_log_reader_for_tests.h"

namespace velmora {
namespace {

using testing::RecordingSink;
using testing::StringLogReader;

const LogFormat kCombined = LogFormat::Custom(FormatCandidates()[6]);

std::string CombinedLine(const std::string& when, const std::string& path) {
  return "192.168.1.20 - - [" + when + " -0500] \"GET " + path +
         " HTTP/1.0\" 200 512 \"http://r/#x\" \"Mozilla+4\"\n";
}

RecordingSink Parse(const std::string& bytes, const LogFormat& format = kCombined,
                    const ParseOptions& options = {}) {
  StringLogReader reader(bytes);
  RecordingSink sink;
  EXPECT_TRUE(ParseCustom(reader, format, options, sink));
  return sink;
}

TEST(CustomParserTest, MatchedLinesAreCompletedAndHandedOn) {
  ParseOptions options;
  options.time_offset_seconds = 18000;
  options.default_file = "index.html";
  const RecordingSink sink = Parse(CombinedLine("24/May/2002:22:30:00", "/Docs/") + "garbage\n" +
                                       CombinedLine("24/May/2002:22:31:00", "/x.gif"),
                                   kCombined, options);
  EXPECT_EQ(sink.log, "Log file format: " + kCombined.format_string() +
                          "\r\nLines Processed: 3\r\nErrors: 1\r\n\r\n");
  EXPECT_EQ(sink.total_lines, 3);
  EXPECT_EQ(sink.total_errors, 1);
  ASSERT_EQ(sink.records.size(), 2u);
  const testing::SeenRecord& first = sink.records[0];
  EXPECT_TRUE(first.analysed);
  EXPECT_EQ(first.uri_stem, "/docs/index.html");
  EXPECT_EQ(first.user_agent, "Mozilla 4");
  EXPECT_EQ(first.calendar_time.day, 25);
  EXPECT_EQ(first.calendar_time.hour, 3);
  EXPECT_EQ(sink.records[1].uri_stem, "/x.gif");
}

// A matched line with an impossible date, or one the rules do not log, is still handed on: the
// hourly counters need every request.
TEST(CustomParserTest, InvalidDateAndNotLoggedRecordsAreStillHandedOn) {
  const RecordingSink sink = Parse(CombinedLine("30/Feb/2002:10:00:00", "/a.html") +
                                   CombinedLine("24/May/2002:22:30:00", "/scripts/root.exe"));
  ASSERT_EQ(sink.records.size(), 2u);
  EXPECT_EQ(sink.records[0].time, 0u);
  EXPECT_TRUE(sink.records[0].analysed);
  EXPECT_NE(sink.records[1].time, 0u);
  EXPECT_FALSE(sink.records[1].analysed);
}

std::string BadLines(int count) {
  std::string bad;
  for (int i = 0; i < count; ++i) bad += "bad line\n";
  return bad;
}

int Warnings(const std::string& log) {
  int count = 0;
  for (size_t at = log.find(kTooManyErrorsWarning); at != std::string::npos;
       at = log.find(kTooManyErrorsWarning, at + 1)) {
    ++count;
  }
  return count;
}

TEST(CustomParserTest, TwoHundredBadLinesAreQuietAndTheNextWarnsOnce) {
  EXPECT_EQ(Warnings(Parse(BadLines(200)).log), 0);
  const RecordingSink more =
      Parse(BadLines(201) + CombinedLine("24/May/2002:22:30:00", "/a") + BadLines(5));
  EXPECT_EQ(Warnings(more.log), 1);
  EXPECT_EQ(more.total_errors, 206);
  EXPECT_NE(more.log.find("Lines Processed: 207\r\nErrors: 206\r\n"), std::string::npos);
}

TEST(CustomParserTest, ToleranceGrowsWithTheLinesRead) {
  // Every line bad: the first warning at line 201 (201 > 200), the next once the errors since
  // then exceed half the lines read plus one: at line 405, 204 > 203.
  CustomErrorTally tally;
  std::vector<int64_t> warned_at;
  for (int64_t line = 1; line <= 405; ++line) {
    if (tally.CountError(line)) warned_at.push_back(line);
  }
  EXPECT_EQ(warned_at, (std::vector<int64_t>{201, 405}));
  EXPECT_EQ(tally.total(), 405);
}

TEST(CustomParserTest, ProgressEvery128LinesThenFull) {
  std::string log;
  for (int i = 0; i < 300; ++i) log += CombinedLine("24/May/2002:22:30:00", "/a");
  const RecordingSink sink = Parse(log);
  EXPECT_EQ(sink.file_starts, 1);
  ASSERT_EQ(sink.progress.size(), 3u);
  EXPECT_GT(sink.progress[0], 0);
  EXPECT_LT(sink.progress[0], sink.progress[1]);
  EXPECT_EQ(sink.progress[2], kFileProgressRange);
}

TEST(CustomParserTest, LinesErrorsAndRecordsCounted) {
  const struct {
    const char* name;
    std::string bytes;
    LogFormat format;
    int64_t lines, errors;
    size_t records;
    std::string said = "";  // what the parse log says besides the format and the counts
  } cases[] = {
      {"empty file", "", kCombined, 0, 0, 0},
      {"long line, one line and one error", std::string(300000, 'x') + "\n", kCombined, 1, 1, 0,
       "ERROR: Line 1 is longer than 262142 characters; such lines are errors\r\n"},
      {"empty format matches nothing", "a\nb\n", LogFormat::Custom(""), 2, 2, 0},
      {"W3C marker hands over to the W3C parser",
       "#Fields: date time cs-uri-stem\n2002-05-24 10:00:00 /a.html\n", LogFormat::W3cExtended(), 2,
       0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RecordingSink sink = Parse(c.bytes, c.format);
    EXPECT_EQ(sink.total_lines, c.lines);
    EXPECT_EQ(sink.total_errors, c.errors);
    EXPECT_EQ(sink.records.size(), c.records);
    const std::string errors =
        c.format == LogFormat::W3cExtended() ? "" : "Errors: " + std::to_string(c.errors) + "\r\n";
    EXPECT_EQ(sink.log, "Log file format: " + std::string(c.format.DisplayText()) + "\r\n" +
                            c.said + "Lines Processed: " + std::to_string(c.lines) + "\r\n" +
                            errors + "\r\n");
  }
}

}  // namespace
}  // namespace velmora
