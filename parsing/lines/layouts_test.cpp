// Every layout detection knows by name, from sample lines written after each server's own
// description of its log: detected without a format string, named, and parsed with no line lost
// and the request's fields where the analysis looks for them. Then the near misses that must stay
// undetected.
#include <gtest/gtest.h>

#include <string>

#include "parsing/formats/format_detection.h"
#include "parsing/lines/custom_parser.h"
#include "parsing/lines/recording_sink_for_tests.h"
#include "parsing/readers/string_log_reader_for_tests.h"

namespace velmora {
namespace {

using testing::RecordingSink;
using testing::StringLogReader;

// The fields of the first request, as the analysis receives them.
struct Request {
  std::string host, method, stem, query;
  int32_t status = 0;
  int32_t bytes = 0;
  std::string referrer, agent;
  std::string when;  // "2024-04-14 09:30:12", as logged
};

std::string When(const CalendarTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

// Sound NCSA common lines, so that a few odd ones stay within detection's tolerance.
std::string CommonLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "192.0.2.1 - - [01/Aug/1995:00:01:" + std::to_string(10 + i) +
            " -0400] \"GET /images/logo" + std::to_string(i) + ".gif HTTP/1.0\" 200 1839\n";
  }
  return text;
}

struct LayoutCase {
  const char* layout;
  std::string log;
  size_t requests;  // every request line of the log
  Request first;
};

const LayoutCase kLayouts[] = {
    {"NCSA combined + 1 field",
     "203.0.113.9 - - [12/Mar/2024:08:15:02 +0100] \"GET /shop/cart?id=7 HTTP/2.0\" 200 1534 "
     "\"https://example.org/shop/\" \"Mozilla/5.0 (X11; Linux x86_64)\" \"198.51.100.23\"\n"
     "203.0.113.9 - - [12/Mar/2024:08:15:03 +0100] \"GET /favicon.ico HTTP/2.0\" 404 0 \"-\" "
     "\"Mozilla/5.0 (X11; Linux x86_64)\" \"-\"\n",
     2,
     {"203.0.113.9", "GET", "/shop/cart", "id=7", 200, 1534, "https://example.org/shop/",
      "Mozilla/5.0 (X11; Linux x86_64)", "2024-03-12 08:15:02"}},
    {"NCSA combined",
     "2001:db8::7 - - [12/Mar/2024:08:15:02 +0100] \"GET / HTTP/1.1\" 200 5 \"-\" \"curl/8\"\n"
     "fe80::1%eth0 - - [12/Mar/2024:08:15:03 +0100] \"GET / HTTP/1.1\" 200 5 \"-\" \"curl/8\"\n"
     "2001:0db8:0000:0000:0000:0000:0000:0007 - - [12/Mar/2024:08:15:04 +0100] \"GET / HTTP/1.1\" "
     "200 5 \"-\" \"curl/8\"\n",
     3,
     {"2001:db8::7", "GET", "/", "", 200, 5, "-", "curl/8", "2024-03-12 08:15:02"}},
    {"NCSA combined + 3 fields",
     "198.51.100.8 - - [12/Mar/2024:08:16:00 +0000] \"POST /api/v1/orders HTTP/1.1\" 201 88 "
     "\"-\" \"okhttp/4.12.0\" 0.012 0.010 \"shop.example.org\"\n",
     1,
     {"198.51.100.8", "POST", "/api/v1/orders", "", 201, 88, "-", "okhttp/4.12.0",
      "2024-03-12 08:16:00"}},
    {"NCSA common + 1 field",
     "198.51.100.4 - alice [01/Jan/2025:00:00:09 +0000] \"POST /login HTTP/1.1\" 302 0 0.004\n",
     1,
     {"198.51.100.4", "POST", "/login", "", 302, 0, "", "", "2025-01-01 00:00:09"}},
    {"virtual-host combined",
     "www.example.com:443 192.0.2.44 - - [05/Jun/2023:17:20:11 +0200] \"GET /index.html "
     "HTTP/1.1\" 200 5120 \"-\" \"Wget/1.21\"\n",
     1,
     {"192.0.2.44", "GET", "/index.html", "", 200, 5120, "-", "Wget/1.21", "2023-06-05 17:20:11"}},
    {"virtual-host combined + 1 field",
     "www.example.com 192.0.2.44 - - [05/Jun/2023:17:20:11 +0200] \"GET /a.html HTTP/1.1\" 200 "
     "51 \"-\" \"Wget/1.21\" 1234\n",
     1,
     {"192.0.2.44", "GET", "/a.html", "", 200, 51, "-", "Wget/1.21", "2023-06-05 17:20:11"}},
    {"virtual-host common",
     "shop.example.net 192.0.2.45 - - [05/Jun/2023:17:20:12 +0200] \"HEAD /robots.txt HTTP/1.0\" "
     "200 0\n",
     1,
     {"192.0.2.45", "HEAD", "/robots.txt", "", 200, 0, "", "", "2023-06-05 17:20:12"}},
    // Comments and blank lines pass; an HTTP/0.9 request, user names with blanks and an
    // empty request are taken in the layout of the lines around them.
    {"NCSA common",
     "# access log of www, rotated daily\n" + CommonLines(14) + "   \n" +
         "192.0.2.2 - - [01/Aug/1995:00:00:07 -0400] \"GET /ksc.html\" 200 7280\n" +
         CommonLines(14) + "\t\n# end\n" +
         "192.0.2.3 - John Begood [01/Aug/1995:00:00:08 -0400] \"GET /history/ HTTP/1.0\" 200 "
         "1024\n" +
         "192.0.2.4 - - [01/Aug/1995:00:00:09 -0400] \"-\" 400 0\n" +
         "192.0.2.5 - Mary Q. Public [01/Aug/1995:00:00:10 -0400] \"GET /ksc.html\" 200 7280\n",
     32,
     {"192.0.2.1", "GET", "/images/logo0.gif", "", 200, 1839, "", "", "1995-08-01 00:01:10"}},
    {"Amazon S3 access log",
     "a1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e5f60718293a4b5c6d7e8f90 media-bucket "
     "[14/Apr/2024:09:30:12 +0000] 198.51.100.77 arn:aws:iam::111122223333:user/alice "
     "7F2A9C1E0B3D4E5F REST.GET.OBJECT photos/cat.jpg \"GET "
     "/media-bucket/photos/cat.jpg?x-id=GetObject HTTP/1.1\" 200 - 48213 48213 23 21 "
     "\"https://www.example.org/gallery\" \"Mozilla/5.0 (Macintosh)\" - Zm9vYmFyYmF6aG9zdGlk "
     "SigV4 TLS_AES_128_GCM_SHA256 AuthHeader media-bucket.s3.eu-west-1.amazonaws.com TLSv1.3 - "
     "Yes\n"
     "a1b2c3d4e5f60718293a4b5c6d7e8f90a1b2c3d4e5f60718293a4b5c6d7e8f90 media-bucket "
     "[14/Apr/2024:09:31:40 +0000] 198.51.100.78 - 0B3D4E5F7F2A9C1E REST.HEAD.OBJECT missing.txt "
     "\"HEAD /media-bucket/missing.txt HTTP/1.1\" 404 NoSuchKey - - 4 - \"-\" \"aws-cli/2.15.0\" "
     "-\n",
     2,
     {"198.51.100.77", "GET", "/media-bucket/photos/cat.jpg", "x-id=GetObject", 200, 48213,
      "https://www.example.org/gallery", "Mozilla/5.0 (Macintosh)", "2024-04-14 09:30:12"}},
    {"AWS classic load balancer",
     "2024-04-14T09:30:12.512345Z web-lb 203.0.113.50:51514 10.0.1.12:8080 0.000051 0.004211 "
     "0.000032 200 200 0 1311 \"GET https://www.example.org:443/docs/?page=2 HTTP/1.1\" "
     "\"Mozilla/5.0 (Windows NT 10.0)\" ECDHE-RSA-AES128-GCM-SHA256 TLSv1.2\n"
     "2024-04-14T09:30:13.000001Z web-lb [2001:db8::5]:51515 - -1 -1 -1 504 0 0 0 \"GET "
     "http://www.example.org:80/slow HTTP/1.1\" \"curl/8.5.0\" - -\n",
     2,
     {"203.0.113.50", "GET", "/docs/", "page=2", 200, 1311, "", "Mozilla/5.0 (Windows NT 10.0)",
      "2024-04-14 09:30:12"}},
    {"AWS application load balancer",
     "https 2024-04-14T09:30:13.000123Z app/web-alb/4f2d9c0e1b7a6d5c 203.0.113.51:40022 "
     "10.0.2.7:80 0.001 0.013 0.000 404 404 512 2048 \"GET https://api.example.org:443/v1/items "
     "HTTP/1.1\" \"okhttp/4.12.0\" ECDHE-RSA-AES128-GCM-SHA256 TLSv1.2 "
     "arn:aws:elasticloadbalancing:eu-west-1:111122223333:targetgroup/api/6d0ecf831eec9f09 "
     "\"Root=1-66ab12cd-0123456789abcdef01234567\" \"api.example.org\" \"-\" 0 "
     "2024-04-14T09:30:12.986000Z \"forward\" \"-\" \"-\" \"10.0.2.7:80\" \"404\" \"-\" \"-\"\n",
     1,
     {"203.0.113.51", "GET", "/v1/items", "", 404, 2048, "", "okhttp/4.12.0",
      "2024-04-14 09:30:13"}},
    {"Squid native",
     "1713087012.345    120 192.0.2.61 TCP_MISS/200 10876 GET http://www.example.com/news/ - "
     "HIER_DIRECT/198.51.100.14 text/html\n"
     "1713087013.001      0 192.0.2.62 TCP_DENIED/403 3922 CONNECT mail.example.net:443 - "
     "HIER_NONE/- text/html\n",
     2,
     {"192.0.2.61", "GET", "http://www.example.com/news/", "", 200, 10876, "", "",
      "2024-04-14 09:30:12"}},
    {"IIS native, month first",
     "192.0.2.90, -, 4/14/2024, 9:30:12, W3SVC1, WEB01, 10.0.0.5, 15, 412, 5120, 200, 0, GET, "
     "/default.htm, -,\n",
     1,
     {"192.0.2.90", "GET", "/default.htm", "-", 200, 5120, "", "", "2024-04-14 09:30:12"}},
    {"Amazon CloudFront (W3C Extended)",
     "#Version: 1.0\n"
     "#Fields: date time x-edge-location sc-bytes c-ip cs-method cs(Host) cs-uri-stem sc-status "
     "cs(Referer) cs(User-Agent) cs-uri-query cs(Cookie) x-edge-result-type x-edge-request-id "
     "x-host-header cs-protocol cs-bytes time-taken x-forwarded-for ssl-protocol ssl-cipher "
     "x-edge-response-result-type cs-protocol-version fle-status fle-encrypted-fields c-port "
     "time-to-first-byte x-edge-detailed-result-type sc-content-type sc-content-len "
     "sc-range-start sc-range-end\n"
     "2024-04-14\t09:30:12\tFRA56-P7\t2390\t192.0.2.100\tGET\td111111abcdef8.cloudfront.net\t"
     "/assets/app.js\t200\thttps://www.example.org/\tMozilla/5.0%20(X11;%20Linux%20x86_64)\tv=3\t"
     "-\tHit\tq1Zl0aB2cD3eF4gH5iJ6kL7mN8oP9qR0sT1uV2wX3yZ4==\twww.example.org\thttps\t142\t0.002\t"
     "-\tTLSv1.3\tTLS_AES_128_GCM_SHA256\tHit\tHTTP/2.0\t-\t-\t52011\t0.002\tHit\t"
     "application/javascript\t2231\t-\t-\n"
     "2024-04-14\t09:30:14\tFRA56-P7\t512\t192.0.2.101\tGET\td111111abcdef8.cloudfront.net\t"
     "/missing\t404\t-\tcurl/"
     "8.5.0\t-\t-\tError\tZz9Yy8Xx7Ww6Vv5Uu4Tt3Ss2Rr1Qq0Pp==\twww.example.org\t"
     "https\t98\t0.001\t-\tTLSv1.3\tTLS_AES_128_GCM_SHA256\tError\tHTTP/1.1\t-\t-\t40110\t0.001\t"
     "Error\ttext/html\t312\t-\t-\n",
     2,
     {"192.0.2.100", "GET", "/assets/app.js", "v=3", 200, 2390, "https://www.example.org/",
      "Mozilla/5.0 (X11; Linux x86_64)", "2024-04-14 09:30:12"}},
    {"Google Cloud Storage usage (CSV)",
     "\"time_micros\",\"c_ip\",\"c_ip_type\",\"c_ip_region\",\"cs_method\",\"cs_uri\","
     "\"sc_status\",\"cs_bytes\",\"sc_bytes\",\"time_taken_micros\",\"cs_host\",\"cs_referer\","
     "\"cs_user_agent\",\"s_request_id\",\"cs_operation\",\"cs_bucket\",\"cs_object\"\n"
     "\"1713087012512000\",\"192.0.2.80\",\"1\",\"\",\"GET\","
     "\"/download/storage/v1/b/media/o/report.pdf?alt=media\",\"200\",\"0\",\"48213\",\"31000\","
     "\"storage.googleapis.com\",\"\",\"curl/8.5.0,gzip(gfe)\",\"AEnB2Uo0123456789\","
     "\"GET_Object\",\"media\",\"report.pdf\"\n"
     "\"1713087013000000\",\"2001:db8::7\",\"2\",\"\",\"PUT\",\"/upload/storage/v1/b/media/o\","
     "\"200\",\"1048576\",\"412\",\"912000\",\"storage.googleapis.com\",\"\",\"say \"\"hi\"\"\","
     "\"AEnB2Uo9876543210\",\"PUT_Object\",\"media\",\"big.bin\"\n",
     2,
     {"192.0.2.80", "GET", "/download/storage/v1/b/media/o/report.pdf", "alt=media", 200, 48213, "",
      "curl/8.5.0,gzip(gfe)", "2024-04-14 09:30:12"}},
    {"Caddy JSON",
     "{\"level\":\"info\",\"ts\":1713087012.5241024,\"logger\":\"http.log.access.log0\","
     "\"msg\":\"handled request\",\"request\":{\"remote_ip\":\"10.0.0.2\",\"remote_port\":"
     "\"41342\",\"client_ip\":\"192.0.2.71\",\"proto\":\"HTTP/2.0\",\"method\":\"GET\",\"host\":"
     "\"www.example.org\",\"uri\":\"/blog/post?id=12\",\"headers\":{\"User-Agent\":"
     "[\"Mozilla/5.0 (Android 14)\"],\"Referer\":[\"https://search.example.net/?q=caddy\"],"
     "\"Accept\":[\"*/*\"]}},\"bytes_read\":0,\"user_id\":\"\",\"duration\":0.0123,\"size\":5120,"
     "\"status\":200,\"resp_headers\":{\"Content-Type\":[\"text/html; charset=utf-8\"]}}\n"
     "{\"level\":\"error\",\"ts\":1713087013.1,\"logger\":\"http.log.access.log0\",\"msg\":"
     "\"handled request\",\"request\":{\"remote_ip\":\"192.0.2.72\",\"method\":\"POST\",\"uri\":"
     "\"/api\",\"headers\":{}},\"size\":0,\"status\":502,\"duration\":1.5}\n",
     2,
     {"192.0.2.71", "GET", "/blog/post", "id=12", 200, 5120, "https://search.example.net/?q=caddy",
      "Mozilla/5.0 (Android 14)", "2024-04-14 09:30:12"}},
    {"Traefik JSON",
     "{\"ClientAddr\":\"192.0.2.72:51234\",\"ClientHost\":\"192.0.2.72\",\"ClientPort\":\"51234\","
     "\"ClientUsername\":\"-\",\"DownstreamContentSize\":734,\"DownstreamStatus\":200,"
     "\"Duration\":2512345,\"OriginContentSize\":734,\"OriginDuration\":2400000,\"OriginStatus\":"
     "200,\"Overhead\":112345,\"RequestAddr\":\"app.example.org\",\"RequestContentSize\":0,"
     "\"RequestCount\":42,\"RequestHost\":\"app.example.org\",\"RequestMethod\":\"GET\","
     "\"RequestPath\":\"/status?verbose=1\",\"RequestPort\":\"-\",\"RequestProtocol\":"
     "\"HTTP/1.1\",\"RequestScheme\":\"https\",\"RetryAttempts\":0,\"RouterName\":\"app@docker\","
     "\"StartUTC\":\"2024-04-14T09:30:12.123456789Z\",\"entryPointName\":\"websecure\","
     "\"level\":\"info\",\"msg\":\"\",\"request_User-Agent\":\"curl/8.5.0\",\"time\":"
     "\"2024-04-14T09:30:12Z\"}\n"
     "{\"ClientAddr\":\"[2001:db8::9]:40000\",\"DownstreamStatus\":404,\"RequestMethod\":\"HEAD\","
     "\"RequestPath\":\"/nope\",\"StartUTC\":\"2024-04-14T09:30:13Z\"}\n",
     2,
     {"192.0.2.72", "GET", "/status", "verbose=1", 200, 734, "", "curl/8.5.0",
      "2024-04-14 09:30:12"}},
};

TEST(LayoutsTest, DetectedNamedAndParsedWithNoLineLost) {
  for (const LayoutCase& c : kLayouts) {
    SCOPED_TRACE(c.layout);
    StringLogReader detect_reader(c.log);
    const Result<DetectedLayout> detected = DetectLogLayout(detect_reader, "");
    ASSERT_TRUE(detected.ok());
    ASSERT_TRUE(detected->format.has_value());
    EXPECT_EQ(detected->layout, c.layout);

    StringLogReader reader(c.log);
    RecordingSink sink;
    ASSERT_TRUE(ParseCustom(reader, *detected->format, ParseOptions{}, sink));
    EXPECT_EQ(sink.total_errors, 0);
    ASSERT_EQ(sink.records.size(), c.requests) << sink.log;
    const testing::SeenRecord& got = sink.records.front();
    const Request& want = c.first;
    EXPECT_EQ(got.client_host, want.host);
    EXPECT_EQ(got.method, want.method);
    EXPECT_EQ(got.uri_stem, want.stem);
    EXPECT_EQ(got.query, want.query);
    EXPECT_EQ(got.status, want.status);
    EXPECT_EQ(got.bytes_sent, want.bytes);
    EXPECT_EQ(got.referrer, want.referrer);
    EXPECT_EQ(got.user_agent, want.agent);
    EXPECT_EQ(When(got.calendar_time), want.when);
  }
}

TEST(LayoutsTest, NearMissesStayUndetected) {
  const struct {
    const char* name;
    std::string log;
  } cases[] = {
      {"two lines of prose", "The quick brown fox jumps over the lazy dog.\nIt was not amused.\n"},
      {"a CSV of something else", "\"name\",\"age\",\"city\"\n\"Ada\",\"36\",\"London\"\n"},
      {"JSON lines without a request",
       "{\"level\":\"info\",\"ts\":1713087012.5,\"msg\":\"server started\"}\n"
       "{\"level\":\"warn\",\"ts\":1713087013.5,\"msg\":\"disk nearly full\"}\n"},
      {"comments alone", "# nothing\n# but comments\n"},
      {"common lines with a word glued to the bytes",
       "192.0.2.1 - - [01/Aug/1995:00:00:01 -0400] \"GET / HTTP/1.0\" 200 1839x\n"},
  };
  for (const auto& c : cases) {
    StringLogReader reader(c.log);
    EXPECT_EQ(DetectFormat(reader, ""), std::nullopt) << c.name;
  }
}

// A line longer than the line buffer is one line and one error, and the parse log says so once;
// a request whose query is 64 KiB long is a request like any other.
TEST(LayoutsTest, LongLinesAreOneLineAndLongQueriesAreKept) {
  const std::string long_query =
      "192.0.2.1 - - [01/Aug/1995:00:00:01 -0400] \"GET /search?q=" + std::string(65536, 'a') +
      " HTTP/1.0\" 200 5\n";
  const std::string overlong = std::string(kMaxLineLength + 10, 'x') + "\n";
  StringLogReader reader(CommonLines(3) + long_query + overlong + overlong + CommonLines(2));
  RecordingSink sink;
  ASSERT_TRUE(ParseCustom(reader, LogFormat::Custom(FormatCandidates()[0]), ParseOptions{}, sink));
  EXPECT_EQ(sink.total_lines, 8);
  EXPECT_EQ(sink.total_errors, 2);
  ASSERT_EQ(sink.records.size(), 6u);
  EXPECT_EQ(sink.records[3].uri_stem, "/search");
  EXPECT_EQ(sink.records[3].query.size(), kLogTextCapacity);
  size_t said = 0;
  for (size_t at = sink.log.find("characters"); at != std::string::npos;
       at = sink.log.find("characters", at + 1)) {
    ++said;
  }
  EXPECT_EQ(said, 1u) << sink.log;
}

}  // namespace
}  // namespace velmora
