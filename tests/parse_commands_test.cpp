// Parse runs from the command line over generated logs: every compression, name order, the
// account in parsing.log, the tables filled, a second run finding nothing new, and the inspector.
#include <filesystem>
#include <fstream>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

using ParseCommandTest = CliTest;

TEST_F(ParseCommandTest, ParsesPlainGzipAndBzip2InNameOrderThenFindsNothingNew) {
  const std::string ws = NewWorkspace();
  GenerateLog(ws + "logs/b.log.gz", 3000, 2, "combined", "gzip");
  GenerateLog(ws + "logs/A.log", 2000, 1);
  GenerateLog(ws + "logs/c.LOG.BZ2", 1000, 3, "w3c", "bzip2");

  const auto first = Velmora({"-w", ws, "parse"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("new: 3, parsed: 3"), std::string::npos) << first.out;

  const std::string log = ReadFile(ws + "parsing.log");
  const size_t a = log.find("Parsing file 1 of 3: A.log\r\n");
  const size_t b = log.find("Parsing file 2 of 3: b.log.gz\r\n");
  const size_t c = log.find("Parsing file 3 of 3: c.LOG.BZ2\r\n");
  EXPECT_TRUE(a != std::string::npos && b != std::string::npos && c != std::string::npos) << log;
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_NE(log.find("Lines Processed: 2000\r\n"), std::string::npos);
  EXPECT_NE(log.find("Lines Processed: 3000\r\n"), std::string::npos);
  EXPECT_NE(log.find("\r\n------------------------------\r\nTotal lines processed: "),
            std::string::npos);
  EXPECT_EQ(Velmora({"-w", ws, "log"}).out, log + "\n");
  for (const char* table : {"Sessions", "Resources", "UserAgents", "Referers", "Pages", "Browsers",
                            "Oses", "RefDomains", "Spiders"}) {
    EXPECT_FALSE(VelmoraIn(ws, {"dump", table}).out.empty()) << table;
  }
  EXPECT_EQ(HourlyHits(ws), 6000);
  // The time index of the visits is ordered by last request.
  long long previous = 0;
  for (const std::string& line : Lines(VelmoraIn(ws, {"dump", "Sessions", "--index", "2"}).out)) {
    const size_t at = line.find("\"last_request_time\":");
    ASSERT_NE(at, std::string::npos);
    const long long t = std::stoll(line.substr(at + 20));
    EXPECT_LE(previous, t);
    previous = t;
  }

  // Each detection stores its result; the last file was W3C Extended, which empties it.
  EXPECT_EQ(Velmora({"-w", ws, "settings", "get", "custom-format"}).out, "\n");

  const auto second = Velmora({"-w", ws, "parse"});
  EXPECT_EQ(second.status, 0);
  EXPECT_NE(second.out.find("new: 0, parsed: 0"), std::string::npos) << second.out;
  const std::string log2 = ReadFile(ws + "parsing.log");
  EXPECT_NE(log2.find("Total Files: 3\r\nNew Files: 0\r\n"), std::string::npos) << log2;
  EXPECT_EQ(log2.find("Opening database"), std::string::npos);
  EXPECT_EQ(Lines(Velmora({"-w", ws, "dump", "ParsedLogs"}).out).size(), 3u);
}

TEST_F(ParseCommandTest, RejectedLinesAreShownWithTheirNumbersAndReasons) {
  const std::string ws = NewWorkspace();
  const std::string good =
      "10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /a.html HTTP/1.0\" 200 100\n";
  std::string log;
  for (int i = 0; i < 8; ++i) log += good;
  log += "10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /b.html HTTP/1.0\" OK 100\n";  // 9
  log += "\r\n";                                                                         // 10
  log += "a broken line\n";                                                              // 11
  log += "10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /c.html HTTP/1.0\" 200 1x\n";  // 12
  std::ofstream(ws + "logs/a.log") << log;
  const std::string common = "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b";
  ASSERT_EQ(Velmora({"-w", ws, "settings", "set", "custom-format", common}).status, 0);
  ASSERT_EQ(Velmora({"-w", ws, "settings", "set", "log-format-mode", "custom"}).status, 0);

  const auto parsed = Velmora({"-w", ws, "parse", "--show-errors", "2"});
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_NE(parsed.out.find("a.log: 3 line(s) rejected; the format: " + common + "\n"),
            std::string::npos)
      << parsed.out;
  EXPECT_NE(parsed.out.find("  line 9: the status (%c) does not fit\n"
                            "    10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /b.html"),
            std::string::npos)
      << parsed.out;
  EXPECT_NE(parsed.out.find("  line 11: the text ' [' is not where the format has it\n"
                            "    a broken line\n"),
            std::string::npos)
      << parsed.out;
  EXPECT_EQ(parsed.out.find("line 12"), std::string::npos) << "two lines per file";

  const auto again = Velmora({"-w", ws, "log", "--errors", "5"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("  line 12: the bytes sent (%b) does not fit"), std::string::npos)
      << again.out;

  // parsing.log is text anyone can edit: a name in it never leads out of logs/.
  std::ofstream(ws + "secret") << "not a log line\n";
  std::ofstream(ws + "parsing.log")
      << "Parsing file 1 of 1: ../secret\r\nLog file format: %S %c\r\nErrors: 1\r\n";
  const auto hostile = Velmora({"-w", ws, "log", "--errors", "5"});
  EXPECT_EQ(hostile.status, 0);
  EXPECT_EQ(hostile.out, "No line of the last run was rejected.\n");
}

TEST_F(ParseCommandTest, InspectLineGivesTheCompletedRecord) {
  const std::string fmt = "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b";
  const auto r = Velmora({"inspect", "line",
                          "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET /a/ HTTP/1.0\" 200 2326",
                          "--format-string", fmt});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* needle :
       {"\"matched\":true", "\"client_address\":16909060", "\"uri_stem\":\"/a/index.htm\"",
        "\"status\":200", "\"year\":2000", "\"hour\":13"}) {
    EXPECT_NE(r.out.find(needle), std::string::npos) << needle << " in " << r.out;
  }
  const auto miss = Velmora({"inspect", "line", "not a log line", "--format-string", fmt});
  EXPECT_NE(miss.out.find("\"matched\":false"), std::string::npos) << miss.out;
}

TEST_F(ParseCommandTest, InspectDetectNamesTheFormat) {
  const std::string ws = NewWorkspace();
  GenerateLog(home_ / "w3c.log", 300, 4, "w3c");
  const auto r = Velmora({"-w", ws, "inspect", "detect", home_ / "w3c.log"});
  EXPECT_EQ(r.out, "{\"format\":\"W3C Extended\",\"layout\":\"W3C Extended\"}\n") << r.err;
  std::ofstream(home_ / "junk.log") << "nothing\nthat\nlooks\nlike\na\nlog\n";
  EXPECT_EQ(Velmora({"-w", ws, "inspect", "detect", home_ / "junk.log"}).out,
            "{\"format\":null,\"layout\":null}\n");
  // nginx's combined with the forwarded-for address appended, opening with a comment.
  std::ofstream(home_ / "nginx.log")
      << "# written by the proxy\n"
         "10.0.0.1 - - [10/Oct/2020:13:55:36 +0000] \"GET /a HTTP/1.1\" 200 5 \"-\" \"curl/8\" "
         "\"192.0.2.7\"\n";
  EXPECT_EQ(Velmora({"-w", ws, "inspect", "detect", home_ / "nginx.log"}).out,
            "{\"format\":\"%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \\\"%e%w%r%wHTTP%j\\\" %c %b "
            "\\\"%f\\\" \\\"%B\\\"%W%j\",\"layout\":\"NCSA combined + 1 field\"}\n");
}

// Four layouts from four servers in one folder, none named by a format string: each is detected
// (the next file is tried against the last one's format first) and read to its end, every line
// a request.
TEST_F(ParseCommandTest, ParsesNginxVirtualHostCloudFrontAndCaddyLogsWithoutAFormat) {
  const std::string ws = NewWorkspace();
  GenerateLog(home_ / "combined.log", 1500, 5);
  const std::string combined = ReadFile(home_ / "combined.log");
  std::string nginx;
  std::string vhost;
  int lines = 0;
  for (size_t at = 0, end; (end = combined.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = combined.substr(at, end - at);
    nginx += line + " \"198.51.100." + std::to_string(++lines % 250) + "\" 0.004\n";
    vhost += "www.example.com:443 " + line + "\n";
  }
  std::string cloudfront =
      "#Version: 1.0\n#Fields: date time x-edge-location sc-bytes c-ip cs-method cs(Host) "
      "cs-uri-stem sc-status cs(Referer) cs(User-Agent) cs-uri-query\n";
  std::string caddy;
  for (int i = 0; i < 300; ++i) {
    const std::string n = std::to_string(i);
    cloudfront += "2026-11-02\t10:00:" + std::to_string(i % 60) + "\tFRA56-P7\t512\t192.0.2." +
                  std::to_string(1 + i % 200) + "\tGET\td1.cloudfront.net\t/p" + n +
                  ".html\t200\t-\tMozilla/5.0%20(X11)\t-\n";
    caddy += "{\"ts\":" + std::to_string(1793613600 + i) +
             ".25,\"request\":{\"client_ip\":\"192.0.2.9\",\"method\":\"GET\",\"uri\":\"/b/" + n +
             "\",\"headers\":{\"User-Agent\":[\"curl/8.5.0\"]}},\"size\":51,\"status\":200}\n";
  }
  std::ofstream(ws + "logs/a-nginx.log") << nginx;
  std::ofstream(ws + "logs/b-vhost.log") << vhost;
  std::ofstream(ws + "logs/c-cloudfront.log") << cloudfront;
  std::ofstream(ws + "logs/d-caddy.log") << caddy;

  const auto r = Velmora({"-w", ws, "parse"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("new: 4, parsed: 4"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Lines processed: " + std::to_string(2 * lines + 302 + 300) + ", errors: 0"),
            std::string::npos)
      << r.out;
  const std::string log = ReadFile(ws + "parsing.log");
  for (const std::string format :
       {"\"%B\"%W%j\r\nLines Processed: 1500\r\nErrors: 0", "%v %S", "W3C Extended",
        "%{caddy}\r\nLines Processed: 300\r\nErrors: 0"}) {
    EXPECT_NE(log.find(format), std::string::npos) << format << " in\n" << log;
  }
}

}  // namespace
}  // namespace velmora
