#include "parsing/lines/line_inspection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "parsing/formats/format_candidates.h"
#include "parsing/readers/compress_for_tests.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

const std::string kCombinedLine =
    "192.168.1.20 - frank [10/Oct/2000:13:55:36 -0700] \"get /Docs/ HTTP/1.0\" 200 2326 "
    "\"http://ref/#top\" \"Mozilla/4.08+[en]\"";

TEST(InspectLineTest, MatchedLineIsCompleted) {
  ParseOptions options;
  options.default_file = "index.html";
  options.time_offset_seconds = 3600;
  const LineInspection out = InspectLine(kCombinedLine, FormatCandidates()[6], options);
  EXPECT_TRUE(out.matched);
  EXPECT_TRUE(out.analysed);
  const LogRecord& r = *out.record;
  EXPECT_EQ(r.method.view(), "GET");
  EXPECT_EQ(r.uri_stem.view(), "/docs/index.html");
  EXPECT_EQ(r.referrer.view(), "http://ref/");
  EXPECT_EQ(r.user_agent.view(), "Mozilla/4.08 [en]");
  EXPECT_EQ(r.client_address, 0xC0A80114u);
  EXPECT_EQ(r.request_class, 0x101u);
  EXPECT_EQ(r.calendar_time.hour, 14);  // shifted by an hour
  EXPECT_EQ(r.time, *CalendarToTicks(r.calendar_time));
}

TEST(InspectLineTest, UnmatchedLineIsNotCompleted) {
  const LineInspection out = InspectLine("host 99", "%S %c", ParseOptions{});
  EXPECT_FALSE(out.matched);
  EXPECT_FALSE(out.analysed);
  EXPECT_EQ(out.record->client_host.view(), "host");  // written before the failure
  EXPECT_EQ(out.record->client_address, 0u);
}

TEST(DetectFileFormatTest, ReadsCompressedAndMissingFiles) {
  testing::TempDir dir;
  std::string log;
  for (int i = 0; i < 20; ++i) log += kCombinedLine + "\n";
  testing::WriteFile(dir / "a.log.gz", testing::Gzip(log));
  testing::WriteFile(dir / "b.LOG.BZ2", testing::Bzip2("#Fields: date\n"));
  EXPECT_EQ(DetectFileFormat(dir / "a.log.gz", ""), LogFormat::Custom(FormatCandidates()[6]));
  EXPECT_EQ(DetectFileFormat(dir / "b.LOG.BZ2", ""), LogFormat::W3cExtended());
  EXPECT_EQ(DetectFileFormat(dir / "missing.log", "%S"), LogFormat::Custom("%S"));
}

}  // namespace
}  // namespace velmora
