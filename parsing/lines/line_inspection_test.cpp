#include "parsing/lines/line_inspection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
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

// The file's first bytes decide how it is read, and a file that cannot be read says why.
TEST(DetectFileFormatTest, ReadsByContentAndNamesWhatCannotBeRead) {
  testing::TempDir dir;
  std::string log;
  for (int i = 0; i < 20; ++i) log += kCombinedLine + "\n";
  testing::WriteFile(dir / "a.log", testing::Gzip(log));
  testing::WriteFile(dir / "b.gz", testing::Bzip2("#Fields: date\n"));
  testing::WriteFile(dir / "c.bz2", log);
  std::filesystem::create_directory(dir / "d.log");
  const struct {
    std::string name;
    std::optional<LogFormat> format;
    std::string failure;  // when not empty, the detection's error
  } cases[] = {
      {"a.log", LogFormat::Custom(FormatCandidates()[6]), ""},
      {"b.gz", LogFormat::W3cExtended(), ""},
      {"c.bz2", LogFormat::Custom(FormatCandidates()[6]), ""},
      {"d.log", std::nullopt, "is a folder"},
      {"missing.log", std::nullopt, "cannot open: No such file or directory"},
  };
  for (const auto& c : cases) {
    const Result<std::optional<LogFormat>> got = DetectFileFormat(dir / c.name, "");
    if (c.failure.empty()) {
      ASSERT_TRUE(got.ok()) << c.name << ": " << got.error().message;
      EXPECT_EQ(got.value(), c.format) << c.name;
    } else {
      ASSERT_FALSE(got.ok()) << c.name;
      EXPECT_EQ(got.error().message, c.failure) << c.name;
    }
  }
}

}  // namespace
}  // namespace velmora
