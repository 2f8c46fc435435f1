#include "bench/loggen/log_writers.h"

#include <gtest/gtest.h>
#include <regex.h>

#include <string>

namespace velmora::loggen {
namespace {

CalendarTime Day(std::string_view text) { return *ParseStartDate(text); }

// One request with every field set, 2 days, 13:05:09 after the start.
struct Fixture {
  Resource resource;
  Request request;
  Fixture() {
    resource.url = "/forum/viewtopic.php?t=12&start=20";
    resource.stem_length = 20;
    request.time = 2 * 86400 + 13 * 3600 + 5 * 60 + 9;
    request.client_address = 0xC0A80114;  // 192.168.1.20
    request.client_host = "dialup-1-20.example.net";
    request.user = "jsmith";
    request.method = "GET";
    request.resource = &resource;
    request.status = 200;
    request.server_port = 443;
    request.bytes_sent = 5120;
    request.bytes_received = 410;
    request.time_taken_ms = 31;
    request.referrer = "https://www.google.com/search?q=web+log";
    request.user_agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
  }
};

std::string Line(LogLayout layout, const Request& r, std::string_view start = "2002-12-30") {
  LineWriter writer(layout, Day(start));
  std::string out;
  writer.Append(r, out);
  return out;
}

TEST(LineWriterTest, EachLayoutWritesEveryField) {
  const Fixture f;
  const struct {
    LogLayout layout;
    std::string expected;
  } cases[] = {
      {LogLayout::kCombined,
       "dialup-1-20.example.net - jsmith [01/Jan/2003:13:05:09 +0000] \"GET "
       "/forum/viewtopic.php?t=12&start=20 HTTP/1.1\" 200 5120 "
       "\"https://www.google.com/search?q=web+log\" \"Mozilla/4.0 (compatible; MSIE 6.0; Windows "
       "NT 5.1)\"\n"},
      {LogLayout::kCommon,
       "dialup-1-20.example.net - jsmith [01/Jan/2003:13:05:09 +0000] \"GET "
       "/forum/viewtopic.php?t=12&start=20 HTTP/1.1\" 200 5120\n"},
      {LogLayout::kW3c,
       "#Software: Microsoft Internet Information Services 10.0\n#Version: 1.0\n"
       "#Date: 2003-01-01 13:05:09\n"
       "#Fields: date time c-ip cs-username s-ip s-port cs-method cs-uri-stem cs-uri-query "
       "sc-status sc-bytes cs-bytes time-taken cs(User-Agent) cs(Referer)\n"
       "2003-01-01 13:05:09 192.168.1.20 jsmith 203.0.113.10 443 GET /forum/viewtopic.php "
       "t=12&start=20 200 5120 410 31 Mozilla/4.0+(compatible;+MSIE+6.0;+Windows+NT+5.1) "
       "https://www.google.com/search?q=web+log\n"},
      {LogLayout::kIis,
       "192.168.1.20, jsmith, 1/1/2003, 13:05:09, W3SVC1, WEB01, 203.0.113.10, 31, 410, 5120, "
       "200, 0, GET, /forum/viewtopic.php, t=12&start=20,\n"},
      {LogLayout::kTsv,
       "01/01/03 13:05:09\t192.168.1.20\t203.0.113.10\tW3SVC1\tjsmith\tGET\t"
       "/forum/viewtopic.php?t=12&start=20\thttps://www.google.com/search?q=web+log\t"
       "www.example.com\tMozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\t200\t5120\t31\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Line(c.layout, f.request), c.expected) << static_cast<int>(c.layout);
  }
}

TEST(LineWriterTest, EmptyFieldsAreDashes) {
  Fixture f;
  f.resource.url = "/";
  f.resource.stem_length = 1;
  f.request.client_host = {};
  f.request.user = {};
  f.request.referrer = {};
  f.request.user_agent = {};
  f.request.bytes_sent = 0;
  f.request.status = 304;
  f.request.http10 = true;
  EXPECT_EQ(Line(LogLayout::kCombined, f.request),
            "192.168.1.20 - - [01/Jan/2003:13:05:09 +0000] \"GET / HTTP/1.0\" 304 - \"-\" \"-\"\n");
  const std::string w3c = Line(LogLayout::kW3c, f.request);
  EXPECT_TRUE(w3c.ends_with("192.168.1.20 - 203.0.113.10 443 GET / - 304 0 410 31 - -\n")) << w3c;
  EXPECT_TRUE(Line(LogLayout::kIis, f.request).ends_with(", GET, /, -,\n"));
  EXPECT_NE(Line(LogLayout::kTsv, f.request).find("\t-\tGET\t/\t-\twww.example.com\t-\t304\t0\t"),
            std::string::npos);
}

TEST(LineWriterTest, W3cRepeatsDirectivesOnlyWhenANewDayBegins) {
  Fixture f;
  LineWriter writer(LogLayout::kW3c, Day("2026-11-01"));
  std::string out;
  const int64_t times[] = {100,       200,      86400 + 5, 86399 /* late line of the day before */,
                           86400 + 9, 3 * 86400};
  for (const int64_t t : times) {
    f.request.time = t;
    writer.Append(f.request, out);
  }
  std::vector<std::string> dates;
  for (size_t pos = 0; (pos = out.find("#Date: ", pos)) != std::string::npos; ++pos) {
    dates.push_back(out.substr(pos + 7, 19));
  }
  EXPECT_EQ(dates, (std::vector<std::string>{"2026-11-01 00:01:40", "2026-11-02 00:00:05",
                                             "2026-11-04 00:00:00"}));
  EXPECT_NE(out.find("\n2026-11-01 23:59:59 "), std::string::npos);
}

TEST(LineWriterTest, DatesFollowTheCalendar) {
  Fixture f;
  f.request.time = 86400 * 2 + 1;  // two days after a leap day's eve
  EXPECT_TRUE(Line(LogLayout::kIis, f.request, "2024-02-28").find(", 3/1/2024, 00:00:01,") !=
              std::string::npos);
  EXPECT_TRUE(Line(LogLayout::kTsv, f.request, "2024-02-28").starts_with("03/01/24 00:00:01\t"));
  EXPECT_TRUE(Line(LogLayout::kCommon, f.request, "1999-12-30").find("[01/Jan/2000:00:00:01") !=
              std::string::npos);
}

TEST(ParseStartDateTest, AcceptsOnlyRealDates) {
  const struct {
    std::string_view text;
    bool ok;
  } cases[] = {{"2026-11-01", true},   {"2024-02-29", true},  {"2023-02-29", false},
               {"2026-13-01", false},  {"2026-00-10", false}, {"2026-1-01", false},
               {"1600-12-31", false},  {"2026/11/01", false}, {"", false},
               {"2026-11-01x", false}, {"20a6-11-01", false}, {"9999-12-31", true}};
  for (const auto& c : cases) EXPECT_EQ(ParseStartDate(c.text).has_value(), c.ok) << c.text;
  EXPECT_EQ(ParseLogLayout("w3c"), LogLayout::kW3c);
  EXPECT_FALSE(ParseLogLayout("W3C").has_value());
}

// A whole-line POSIX extended pattern, written with the shorthands \d (digit), \S (not a blank)
// and \t (tab). (The C library's matcher, because std::regex trips GCC 12's uninitialised-use
// warning under the sanitizers.)
class LinePattern {
 public:
  explicit LinePattern(std::string_view shorthand) {
    std::string p = "^(";
    for (size_t i = 0; i < shorthand.size(); ++i) {
      if (shorthand[i] == '\\' && i + 1 < shorthand.size() &&
          std::string_view("dSt").find(shorthand[i + 1]) != std::string_view::npos) {
        const char c = shorthand[++i];
        p += c == 'd' ? "[0-9]" : c == 'S' ? "[^ ]" : "\t";
      } else {
        p += shorthand[i];
      }
    }
    p += ")$";
    ok_ = regcomp(&re_, p.c_str(), REG_EXTENDED | REG_NOSUB) == 0;
  }
  ~LinePattern() {
    if (ok_) regfree(&re_);
  }
  LinePattern(const LinePattern&) = delete;
  LinePattern& operator=(const LinePattern&) = delete;

  bool ok() const { return ok_; }
  bool Matches(const std::string& line) const {
    return ok_ && regexec(&re_, line.c_str(), 0, nullptr, 0) == 0;
  }

 private:
  regex_t re_{};
  bool ok_ = false;
};

// Every line the model makes must keep the shape of its layout: no blank in a W3C column, no
// quote in a quoted field, no comma in an IIS field, 13 columns in TSV.
TEST(LineWriterTest, GeneratedTrafficKeepsEveryLayoutsShape) {
  const struct {
    LogLayout layout;
    const char* pattern;
  } cases[] = {
      {LogLayout::kCombined,
       R"re([^ "]+ - [^ "]+ \[\d\d/[A-Z][a-z]{2}/\d{4}:\d\d:\d\d:\d\d \+0000\] "(GET|HEAD|POST) /[^ "]* HTTP/1\.[01]" \d{3} (\d+|-) "[^"]+" "[^"]+")re"},
      {LogLayout::kCommon,
       R"re([^ "]+ - [^ "]+ \[\d\d/[A-Z][a-z]{2}/\d{4}:\d\d:\d\d:\d\d \+0000\] "(GET|HEAD|POST) /[^ "]* HTTP/1\.[01]" \d{3} (\d+|-))re"},
      {LogLayout::kW3c,
       R"re(#.*|\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \d+\.\d+\.\d+\.\d+ \S+ 203\.0\.113\.10 (80|443) (GET|HEAD|POST) /\S* \S+ \d{3} \d+ \d+ \d+ \S+ \S+)re"},
      {LogLayout::kIis,
       R"re(\d+\.\d+\.\d+\.\d+, [^, ]+, \d{1,2}/\d{1,2}/\d{4}, \d\d:\d\d:\d\d, W3SVC1, WEB01, 203\.0\.113\.10, \d+, \d+, \d+, \d{3}, \d+, (GET|HEAD|POST), /[^, ]*, [^, ]+,)re"},
      {LogLayout::kTsv,
       R"re(\d\d/\d\d/\d\d \d\d:\d\d:\d\d\t\d+\.\d+\.\d+\.\d+\t203\.0\.113\.10\tW3SVC1\t[^\t]+\t(GET|HEAD|POST)\t/[^\t ]*\t[^\t ]+\twww\.example\.com\t[^\t]+\t\d{3}\t\d+\t\d+)re"},
  };
  for (const auto& c : cases) {
    TrafficOptions options;
    options.lines = 3000;
    options.seed = 11;
    options.span_seconds = 3 * 86400;
    TrafficModel model(options);
    LineWriter writer(c.layout, Day("2026-11-01"));
    const LinePattern shape(c.pattern);
    ASSERT_TRUE(shape.ok()) << c.pattern;
    ASSERT_FALSE(shape.Matches("1.2.3.4 - - [01/Nov/2026:00:00:00 +0000] \"GET / x\" 200 1"));
    Request r;
    std::string text;
    while (model.Next(r)) writer.Append(r, text);
    size_t lines = 0;
    for (size_t begin = 0, end; begin < text.size(); begin = end + 1, ++lines) {
      end = text.find('\n', begin);
      ASSERT_NE(end, std::string::npos);
      const std::string line = text.substr(begin, end - begin);
      ASSERT_TRUE(shape.Matches(line)) << static_cast<int>(c.layout) << ": " << line;
    }
    EXPECT_GE(lines, 3000u);
  }
}

}  // namespace
}  // namespace velmora::loggen
