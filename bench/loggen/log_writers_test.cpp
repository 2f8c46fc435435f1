#include "bench/loggen/log_writers.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Generated traffic through the blank-separated layout: every line keeps one word per column,
// whatever the agent, user or URL, or the parser would read the columns shifted. (The other
// layouts' shapes are checked line by line on the tool's own output by loggen_smoke.)
TEST(LineWriterTest, GeneratedW3cLinesKeepOneWordPerColumn) {
  TrafficOptions options;
  options.lines = 3000;
  options.seed = 11;
  options.span_seconds = 3 * 86400;
  TrafficModel model(options);
  LineWriter writer(LogLayout::kW3c, Day("2026-11-01"));
  Request r;
  std::string text;
  while (model.Next(r)) writer.Append(r, text);
  size_t lines = 0;
  for (size_t begin = 0, end; begin < text.size(); begin = end + 1) {
    end = text.find('\n', begin);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(begin, end - begin);
    if (line.starts_with("#")) continue;
    ++lines;
    ASSERT_EQ(std::count(line.begin(), line.end(), ' '), 14) << line;
    ASSERT_FALSE(line.starts_with(" ") || line.ends_with(" ")) << line;
    ASSERT_EQ(line.find("  "), std::string::npos) << line;
    ASSERT_EQ(line.find('\t'), std::string::npos) << line;
  }
  EXPECT_EQ(lines, 3000u);
}

}  // namespace
}  // namespace velmora::loggen
