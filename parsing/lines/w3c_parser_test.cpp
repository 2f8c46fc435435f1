#include "parsing/lines/w3c_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "parsing/lines/recording_sink_for_tests.h"
#include "parsing/lines/w3c_columns.h"
#include "parsing/readers/string_log_reader_for_tests.h"

namespace velmora {
namespace {

using testing::RecordingSink;
using testing::StringLogReader;

struct W3cRun {
  bool finished = false;
  RecordingSink sink;
};

W3cRun Parse(const std::string& bytes, const ParseOptions& options = {}) {
  StringLogReader reader(bytes);
  W3cRun run;
  run.finished = ParseW3C(reader, options, run.sink);
  return run;
}

TEST(W3cParserTest, ColumnsAndValues) {
  const W3cRun run = Parse(
      "#Software: Microsoft Internet Information Services 7.0\r\n"
      "#Fields: date time c-ip cs-method cs-uri-stem cs-uri-query sc-status sc-bytes cs-bytes "
      "CS(USER-AGENT) x-unknown\r\n"
      "2002-05-24 20:18:01.345 10.1.2.3 get /A.html q=1 404x abc 12 Mozilla/4.0+(x) extra "
      "more\r\n");
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.sink.records.size(), 1u);
  const testing::SeenRecord& r = run.sink.records[0];
  EXPECT_EQ(r.client_host, "10.1.2.3");
  EXPECT_EQ(r.method, "GET");
  EXPECT_EQ(r.uri_stem, "/a.html");
  EXPECT_EQ(r.query, "q=1");
  EXPECT_EQ(r.status, 404);    // leading digits
  EXPECT_EQ(r.bytes_sent, 0);  // no digits
  EXPECT_EQ(r.bytes_received, 12);
  EXPECT_EQ(r.user_agent, "Mozilla/4.0 (x)");
  EXPECT_EQ(r.calendar_time.hour, 20);
  EXPECT_EQ(r.calendar_time.second, 1);
  EXPECT_EQ(r.calendar_time.milliseconds, 0);
  EXPECT_EQ(run.sink.log, "Log file format: W3C Extended\r\nLines Processed: 3\r\n\r\n");
  EXPECT_EQ(run.sink.total_lines, 3);
  EXPECT_EQ(run.sink.total_errors, 0);
}

// A record as "stem status YYYY-MM-DD hh": enough to tell which line gave it and what it kept.
std::string Summary(const testing::SeenRecord& r) {
  char date[32];
  std::snprintf(date, sizeof date, " %04d-%02d-%02d %02d", r.calendar_time.year,
                r.calendar_time.month, r.calendar_time.day, r.calendar_time.hour);
  return r.uri_stem + " " + std::to_string(r.status) + date;
}

std::string Repeated(std::string_view line, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += line;
  return out;
}

TEST(W3cParserTest, DirectivesAndLines) {
  const std::string head = "#Fields: date time cs-uri-stem\n";
  const std::string data = "2002-05-24 10:00:00 /a.html\n";
  const std::string dated =
      "#Fields: time c-ip cs-method cs-uri-stem sc-status\n"
      "10:00:00 1.1.1.1 GET /a.html 200\n23:59:59 1.1.1.1 GET /b.html 200\n";
  const std::vector<std::string> dated_records = {"/a.html 200 2002-05-24 10",
                                                  "/b.html 200 2002-05-24 23"};
  const struct {
    const char* name;
    std::string bytes;
    bool finished;
    int64_t lines;
    std::vector<std::string> records;
    std::string error;  // when the file is abandoned
  } cases[] = {
      {"date directive gives the missing date", "#Date: 2002-05-24 00:00:00\n" + dated, true, 4,
       dated_records, ""},
      {"date directive in any case, tab-separated", "#date:2002-05-24\t00:00:00\n" + dated, true, 4,
       dated_records, ""},
      {"short line keeps reset values",
       "#Fields: date time cs-uri-stem sc-status cs(Referer)\n2002-05-24 10:00:00 /a.html\n",
       true,
       2,
       {"/a.html 0 2002-05-24 10"},
       ""},
      {"data before fields is ignored and fields can change",
       data + head + "2002-05-24 10:00:00 /first.html\n#Fields: date time sc-status cs-uri-stem\n" +
           "2002-05-24 11:00:00 200 /second.html\n",
       true,
       5,
       {"/first.html 0 2002-05-24 10", "/second.html 200 2002-05-24 11"},
       ""},
      {"no fields, no records", "2002-05-24 10:00:00 /a\n#Date: 2002-05-24\n", true, 2, {}, ""},
      {"1024 blank lines",
       head + Repeated(" \t\n", 1024) + data,
       true,
       1026,
       {"/a.html 0 2002-05-24 10"},
       ""},
      {"1025 blank lines end the file", head + Repeated(" \t\n", 1025) + data, true, 1026, {}, ""},
      {"zero-byte lines are blank lines",
       head + Repeated(std::string("\0\0\n", 3), 1025) + data,
       true,
       1026,
       {},
       ""},
      {"no date",
       "#Fields: time c-ip cs-method cs-uri-stem sc-status\n10:00:00 1.1.1.1 GET /a 200\n",
       false,
       0,
       {},
       "Log file does not contain date information"},
      {"no time",
       "#Date: 2002-05-24\n#Fields: date cs-uri-stem\n2002-05-24 /a\n",
       false,
       0,
       {},
       "Log file does not contain time information"},
      {"short line loses its date",
       "#Fields: cs-uri-stem date time\n/a 2002-05-24 10:00:00\n/b\n",
       false,
       0,
       {"/a 0 2002-05-24 10"},
       "Log file does not contain date information"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const W3cRun run = Parse(c.bytes);
    EXPECT_EQ(run.finished, c.finished);
    EXPECT_EQ(run.sink.total_lines, c.lines);
    std::vector<std::string> records;
    for (const testing::SeenRecord& r : run.sink.records) records.push_back(Summary(r));
    EXPECT_EQ(records, c.records);
    if (!c.error.empty()) {
      EXPECT_EQ(run.sink.log, "Log file format: W3C Extended\r\nERROR: " + c.error);
      EXPECT_TRUE(run.sink.progress.empty());
    }
  }
}

TEST(W3cParserTest, ThousandsOfColumnsAndLongLines) {
  std::string fields = "#Fields: date time";
  std::string data = "2002-05-24 10:00:00";
  for (int i = 0; i < 5000; ++i) {
    fields += " x-col";
    data += " v";
  }
  // The 100,000-character line reads as several lines; the "#Date:" defaults keep its pieces
  // from abandoning the file.
  const W3cRun run = Parse("#Date: 2002-05-24 00:00:00\n" + fields + " cs-uri-stem\n" + data +
                           " /a.html\n" + "2002-05-24 10:00:00 " + std::string(100000, 'w') + "\n");
  EXPECT_TRUE(run.finished);
  EXPECT_GE(run.sink.records.size(), 1u);
}

TEST(W3cParserTest, ProgressEvery128Lines) {
  std::string log = "#Fields: date time cs-uri-stem\n";
  for (int i = 0; i < 299; ++i) log += "2002-05-24 10:00:00 /a.html\n";
  const W3cRun run = Parse(log);
  ASSERT_EQ(run.sink.progress.size(), 3u);
  EXPECT_EQ(run.sink.progress.back(), kFileProgressRange);
}

TEST(W3cColumnsTest, NamesResolveWithoutRegardToCase) {
  EXPECT_EQ(W3cColumnForName("cs(user-agent)"), W3cColumn::kUserAgent);
  EXPECT_EQ(W3cColumnForName("CS(Referer)"), W3cColumn::kReferrer);
  EXPECT_EQ(W3cColumnForName("date-local"), W3cColumn::kIgnored);
  EXPECT_EQ(ResolveW3cColumns("  date\t\ttime  s-port "),
            (std::vector<W3cColumn>{W3cColumn::kDate, W3cColumn::kTime, W3cColumn::kServerPort}));
  EXPECT_EQ(W3cNumber("99999999999"), INT32_MAX);
  EXPECT_EQ(W3cNumber("-5"), 0);
}

// The word splitter looks at sixteen or eight bytes at a time; it must split exactly as a
// byte-by-byte loop does, whatever the bytes around a blank (high bytes, NULs, tabs) and wherever
// the steps fall, in short words and in long ones.
TEST(W3cColumnsTest, WordsSplitAsAByteLoopWould) {
  const auto reference = [](std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
      if (c == ' ' || c == '\t') {
        if (!word.empty()) words.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
    if (!word.empty()) words.push_back(word);
    return words;
  };
  const std::string alphabet = std::string(" \t a\x80\xA0\x89\xFF\x01\x21\x08\x0A", 12) + '\0';
  const std::string sparse = alphabet + std::string(40, 'b');  // words of dozens of bytes
  std::mt19937 random(7);
  for (int round = 0; round < 20'000; ++round) {
    const std::string& letters = round % 2 == 0 ? alphabet : sparse;
    std::string text(random() % (round % 2 == 0 ? 40 : 120), ' ');
    for (char& c : text) c = letters[random() % letters.size()];
    std::vector<std::string> words;
    ForEachW3cWord(text, [&](std::string_view word) {
      words.emplace_back(word);
      return true;
    });
    ASSERT_EQ(words, reference(text)) << "round " << round;
  }
}

}  // namespace
}  // namespace velmora
