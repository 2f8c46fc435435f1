#include "parsing/records/record_completion.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/tick_time.h"
#include "parsing/records/default_resource_rules.h"
#include "parsing/records/log_record.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

CalendarTime Calendar(int y, int mo, int d, int h, int mi, int s) {
  CalendarTime t = kZeroCalendarTime;
  t.year = static_cast<uint16_t>(y);
  t.month = static_cast<uint16_t>(mo);
  t.day = static_cast<uint16_t>(d);
  t.hour = static_cast<uint16_t>(h);
  t.minute = static_cast<uint16_t>(mi);
  t.second = static_cast<uint16_t>(s);
  return t;
}

// The calendar fields without the day of week, which the conversions fill in.
CalendarTime WithoutWeekday(CalendarTime t) {
  t.day_of_week = 0;
  return t;
}

TEST(CompletionTest, DateTimeTextIsReadAndShifted) {
  const struct {
    const char* date_time;
    int32_t offset_seconds;
    std::optional<CalendarTime> expected;  // nullopt: the record has no time
  } cases[] = {
      {"2002-05-24 20:18:01", 0, Calendar(2002, 5, 24, 20, 18, 1)},
      {"2002-05-24 20:18:01.345", 0, Calendar(2002, 5, 24, 20, 18, 1)},  // fraction ignored
      {"2002-05-24", 0, Calendar(2002, 5, 24, 0, 0, 0)},                 // missing numbers are zero
      {"2002-05-24 22:30:00", 18000, Calendar(2002, 5, 25, 3, 30, 0)},
      {"2002-12-31 23:30:00", 3600, Calendar(2003, 1, 1, 0, 30, 0)},
      {"2003-03-01 00:30:00", -90000, Calendar(2003, 2, 27, 23, 30, 0)},
      {"2004-02-28 23:00:00", 3600, Calendar(2004, 2, 29, 0, 0, 0)},
      {"2002/05/24T20h18m01", 0, Calendar(2002, 5, 24, 20, 18, 1)},
      {"2002-02-30 10:00:00", 0, std::nullopt},
      {"2002-05-24 25:00:00", 0, std::nullopt},
      {"67538-05-24 10:00:00", 0, std::nullopt},  // huge numbers do not wrap
      {"garbage", -3600, std::nullopt},           // no time is not shifted below zero
      {"1601-01-01 00:10:00", -3600, std::nullopt},
      {"30827-12-31 23:30:00", 3600, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.date_time) + " shifted by " + std::to_string(c.offset_seconds));
    LogRecord record;
    record.Reset();
    record.date_time.assign(c.date_time);
    record.uri_stem.assign("/a.html");
    ParseOptions options;
    options.time_offset_seconds = c.offset_seconds;
    CompleteRecord(options, record);
    if (c.expected) {
      ASSERT_NE(record.time, 0u);
      EXPECT_EQ(WithoutWeekday(record.calendar_time), *c.expected);
      // The shifted calendar is the time's, weekday included.
      EXPECT_EQ(TicksToCalendar(record.time), record.calendar_time);
    } else {
      EXPECT_EQ(record.time, 0u);
    }
  }
}

LogRecord CompletedRecord(std::string_view stem, const ParseOptions& options = {}) {
  LogRecord record;
  record.Reset();
  record.uri_stem.assign(stem);
  record.method.assign("get");
  record.referrer.assign("http://ref/page#top");
  record.user_agent.assign("Mozilla/4.0+(compatible)");
  record.client_host.assign("192.168.1.20");
  CompleteRecord(options, record);
  return record;
}

// The address is read a group at a time; it must agree with reading it a character at a time
// (the end closing the last group like a dot), whatever the digits, dots and other bytes.
TEST(CompletionTest, ClientAddressAsACharacterLoopReadsIt) {
  const auto reference = [](std::string_view host) -> uint32_t {
    if (host.empty()) return 0;
    uint32_t address = 0;
    uint32_t group = 0;
    int groups = 0;
    for (size_t i = 0; i <= host.size(); ++i) {
      const char c = i < host.size() ? host[i] : '.';
      if (c >= '0' && c <= '9') {
        group = group * 10 + static_cast<uint32_t>(c - '0');
        if (group > 255) return 0xFFFFFFFF;
      } else if (c == '.') {
        if (++groups > 4) return 0xFFFFFFFF;
        address = (address << 8) | group;
        group = 0;
      } else {
        return 0xFFFFFFFF;
      }
    }
    return address;
  };
  const std::string alphabet = "0123456789.....2x/:";
  std::mt19937 random(3);
  for (int round = 0; round < 20'000; ++round) {
    std::string host(random() % 18, ' ');
    for (char& c : host) c = alphabet[random() % alphabet.size()];
    ASSERT_EQ(ClientAddressOf(host), reference(host)) << host;
  }
}

// The usual completion of one line is InspectLineTest's; here the edges of the default document.
TEST(CompletionTest, DefaultDocumentGoesAfterAnySlashAndWithinTheLength) {
  ParseOptions options;
  options.default_file = "index.html";
  EXPECT_EQ(CompletedRecord("\\dir\\", options).uri_stem.view(), "\\dir\\index.html");
  const LogRecord full = CompletedRecord(std::string(2047, 'a') + "/", options);
  EXPECT_EQ(full.uri_stem.size(), 2048u);
  EXPECT_EQ(CompletedRecord("/a", options).uri_stem.view(), "/a");
}

// The parser hands completion texts borrowed from the line: they must complete exactly as copies
// do, and the line itself must stay as read.
TEST(CompletionTest, BorrowedTextsCompleteAsCopiedOnes) {
  struct Case {
    std::string stem, method, referrer, agent;
  };
  const Case cases[] = {
      {"/docs/a.html", "GET", "http://ref/page", "Mozilla/5.0 (X11)"},
      {"/Docs/", "get", "http://ref/page#top", "Mozilla/4.0+(compatible)"},
      {"/a/B.HTML", "gEt", "#", "+"},
      {"/\xC4\xD6/Z", "POST", "", ""},
      {"", "", "http://x/#a#b", "a+b+c"},
  };
  ParseOptions options;
  options.default_file = "Index.html";
  for (const Case& c : cases) {
    auto copied = std::make_unique<LogRecord>();
    auto borrowed = std::make_unique<LogRecord>();
    for (LogRecord* r : {copied.get(), borrowed.get()}) {
      r->Reset();
      r->client_host.assign("10.0.0.1");
    }
    copied->uri_stem.assign(c.stem);
    copied->method.assign(c.method);
    copied->referrer.assign(c.referrer);
    copied->user_agent.assign(c.agent);
    const Case line = c;  // what the borrowed texts point into
    borrowed->uri_stem.borrow(line.stem.data(), line.stem.size());
    borrowed->method.borrow(line.method.data(), line.method.size());
    borrowed->referrer.borrow(line.referrer.data(), line.referrer.size());
    borrowed->user_agent.borrow(line.agent.data(), line.agent.size());
    EXPECT_EQ(CompleteRecord(options, *copied), CompleteRecord(options, *borrowed)) << c.stem;
    const auto want = std::as_const(*copied).Texts();
    const auto got = std::as_const(*borrowed).Texts();
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i]->view(), want[i]->view()) << c.stem << " text " << i;
    }
    EXPECT_EQ(borrowed->request_class, copied->request_class) << c.stem;
    EXPECT_EQ(line.stem, c.stem);
    EXPECT_EQ(line.method, c.method);
    EXPECT_EQ(line.referrer, c.referrer);
    EXPECT_EQ(line.agent, c.agent);
  }
}

// User agents have their '+' turned into blanks sixteen bytes at a time; whatever the length and
// wherever the '+' fall, the result is the byte-by-byte replacement.
TEST(CompletionTest, UserAgentPlusSignsBecomeBlanksAnywhere) {
  std::mt19937 random(5);
  const std::string letters = "+a+\x80 +";
  for (int round = 0; round < 3000; ++round) {
    std::string agent(random() % 80, 'x');
    for (char& c : agent) c = random() % 3 == 0 ? letters[random() % letters.size()] : 'x';
    auto record = std::make_unique<LogRecord>();
    record->Reset();
    record->uri_stem.assign("/a.html");
    record->client_host.assign("10.0.0.1");
    record->user_agent.borrow(agent.data(), agent.size());
    CompleteRecord(ParseOptions{}, *record);
    std::string expected = agent;
    for (char& c : expected) c = c == '+' ? ' ' : c;
    ASSERT_EQ(record->user_agent.view(), expected) << "round " << round;
  }
}

TEST(CompletionTest, FirstMatchingDefaultMaskWins) {
  const struct {
    const char* url;
    uint32_t request_class;
  } cases[] = {
      {"/Index.HTML", 0x101},       {"/pics/logo.gif", 0x200},
      {"/scripts/root.exe", 0x000}, {"/default.ida", 0x000},
      {"/setup.exe", 0x102},        {"/favicon.ico", 0x203},
      {"/a/favicon.ico", 0x200},    {"", 0x200},
  };
  for (const auto& c : cases) EXPECT_EQ(DefaultResourceClass(c.url), c.request_class) << c.url;
}

TEST(CompletionTest, NotLoggedRecordIsLeftAsRead) {
  LogRecord record;
  record.Reset();
  record.uri_stem.assign("/Scripts/root.exe");
  record.method.assign("get");
  record.referrer.assign("http://r/#x");
  record.user_agent.assign("a+b");
  EXPECT_FALSE(CompleteRecord(ParseOptions{}, record));
  EXPECT_EQ(record.request_class, 0u);
  EXPECT_EQ(record.uri_stem.view(), "/Scripts/root.exe");
  EXPECT_EQ(record.method.view(), "get");
  EXPECT_EQ(record.referrer.view(), "http://r/#x");
  EXPECT_EQ(record.user_agent.view(), "a+b");
}

TEST(CompletionTest, EmptyRuleListLogsEverythingAsNonVisit) {
  EXPECT_EQ(ClassifyResource({}, "/a.html"), 0x200u);
  ParseOptions options;
  options.resource_rules = [](std::string_view) { return uint32_t{0x102}; };
  EXPECT_EQ(CompletedRecord("/a.html", options).request_class, 0x102u);
}

TEST(CompletionTest, LogFilterVerdictCombinesWithTheRules) {
  const struct {
    const char* name;
    LogFilterVerdict verdict;
    uint32_t expected;  // with the rules giving 0x203 for every URL
  } cases[] = {
      {"nothing set", {}, 0x203},
      {"both set", {true, 1, true, 0x100}, 0x101},
      {"type only", {true, 1, false, 0}, 0x201},
      {"logging only", {false, 0, true, 0x100}, 0x103},
      {"do not log", {true, 0, true, 0}, 0x000},
  };
  for (const auto& c : cases) {
    ParseOptions options;
    options.resource_rules = [](std::string_view) { return uint32_t{0x203}; };
    options.log_filters = [verdict = c.verdict](LogRecord&) { return verdict; };
    LogRecord record;
    record.Reset();
    record.uri_stem.assign("/a");
    CompleteRecord(options, record);
    EXPECT_EQ(record.request_class, c.expected) << c.name;
  }
}

TEST(CompletionTest, FiltersRewriteWhatTheRulesSee) {
  ParseOptions options;
  options.log_filters = [](LogRecord& record) {
    record.uri_stem.assign("/rewritten.html");
    return LogFilterVerdict{};
  };
  EXPECT_EQ(CompletedRecord("/a.gif", options).request_class, 0x101u);
}

// The usual "YYYY-MM-DD hh:mm:ss" is read at fixed places; it must read every text as the general
// reading does, near misses of the shape included.
TEST(DateTimeTextTest, UsualShapeReadsAsAnyShape) {
  std::mt19937 random(5);
  const std::string usual = "2002-05-24 20:18:01";
  const std::string swaps = "0123456789-: x.";
  for (int round = 0; round < 20'000; ++round) {
    std::string text = usual;
    if (round % 3 == 0) text.resize(random() % 21, '9');  // other lengths
    for (int changes = static_cast<int>(random() % 3); changes > 0 && !text.empty(); --changes) {
      text[random() % text.size()] = swaps[random() % swaps.size()];
    }
    LogRecord record;
    record.Reset();
    record.date_time.assign(text);
    TimeFromDateTimeText(record);
    std::string model = text;
    uint32_t numbers[6] = {0, 0, 0, 0, 0, 0};
    ReadAnyDateTime(model.data(), model.size(), numbers);
    SCOPED_TRACE(text);
    if (text.empty()) continue;  // an empty text changes nothing
    ASSERT_EQ(record.date_time.view(), model);
    const CalendarTime& got = record.calendar_time;
    ASSERT_EQ(
        std::vector<uint32_t>({got.year, got.month, got.day, got.hour, got.minute, got.second}),
        std::vector<uint32_t>(numbers, numbers + 6));
  }
}

}  // namespace
}  // namespace velmora
