// Detection and parsing over real access logs kept outside the repository (../shared/reallogs
// beside the checkout). The tests skip when that folder is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "parsing/formats/format_candidates.h"
#include "parsing/lines/custom_parser.h"
#include "parsing/lines/line_inspection.h"
#include "parsing/lines/recording_sink_for_tests.h"
#include "parsing/lines/w3c_parser.h"
#include "parsing/readers/log_reader.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

fs::path RealLogs() {
  // Not from __FILE__: a compiler cache that rewrites paths makes it relative to the build folder,
  // and the test would skip whenever it runs from anywhere else.
  return (fs::path(VELMORA_TEST_SUPPORT_DIR) / "../../../shared/reallogs").lexically_normal();
}

struct FileRun {
  std::optional<LogFormat> detected;
  bool finished = false;
  testing::RecordingSink sink;
};

// Detects the file's format, then parses it with a fresh reader, as the parse driver does.
FileRun DetectAndParse(const fs::path& path) {
  FileRun run;
  const Result<std::optional<LogFormat>> detected = DetectFileFormat(path.string(), "");
  if (!detected.ok() || !detected.value()) return run;
  run.detected = detected.value();
  const std::unique_ptr<LogReader> reader = OpenLogReader(path.string());
  run.finished = ParseCustom(*reader, *run.detected, ParseOptions{}, run.sink);
  return run;
}

LogFormat Candidate(int number) { return LogFormat::Custom(FormatCandidates()[number - 1]); }

TEST(RealLogsTest, DetectedAndParsedToTheEnd) {
  if (!fs::is_directory(RealLogs())) GTEST_SKIP() << "no real logs at " << RealLogs();
  struct Expect {
    const char* path;
    std::optional<LogFormat> format;
    bool finished;
    size_t records;
    int64_t errors;
  };
  const std::vector<Expect> cases = {
      // The 36 requests written without a protocol (no " HTTP/") are taken in its lenient form.
      {"common/nasa_access_log_Aug95_first20000.log", Candidate(1), true, 20000, 0},
      {"iis_native/ex010320_logparser_doc.log", Candidate(16), true, 2, 0},
      {"odd/ex031118_logparser_doc_missing_field.log", LogFormat::W3cExtended(), true, 4, 0},
      {"odd/lnav_logfile_bad_access_log.0.log", Candidate(7), true, 2, 1},
      {"odd/lnav_logfile_w3c.2.log", LogFormat::W3cExtended(), true, 14, 0},
      {"odd/lnav_logfile_w3c.5.log", LogFormat::W3cExtended(), true, 1, 0},
      {"odd/lnav_logfile_w3c.6.log", LogFormat::W3cExtended(), true, 1, 0},
      {"fixtures/matomo_iis6.log", LogFormat::W3cExtended(), true, 1, 0},
      // Its columns are "date-local" and "time-local" and its date directive "#Start-Date:".
      {"fixtures/matomo_iis_advanced_custom.log", LogFormat::W3cExtended(), false, 0, 0},
      {"fixtures/matomo_ncsa_extended.log", Candidate(7), true, 1, 0},
      // Very long queries, and a comment line among the requests (no error).
      {"fixtures/matomo_logs_to_tests.log", Candidate(7), true, 4, 0},
  };
  for (const Expect& c : cases) {
    SCOPED_TRACE(c.path);
    const FileRun run = DetectAndParse(RealLogs() / c.path);
    EXPECT_EQ(run.detected, c.format);
    EXPECT_EQ(run.finished, c.finished);
    EXPECT_EQ(run.sink.records.size(), c.records);
    EXPECT_EQ(run.sink.total_errors, c.errors);
  }
  size_t files = 0;
  size_t records = 0;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(RealLogs() / "iis_w3c" / "waikolai_W3SVC20_iis7")) {
    const FileRun run = DetectAndParse(entry.path());
    ASSERT_EQ(run.detected, LogFormat::W3cExtended()) << entry.path();
    ASSERT_TRUE(run.finished) << entry.path();
    ++files;
    records += run.sink.records.size();
  }
  EXPECT_EQ(files, 509u);
  EXPECT_EQ(records, 22308u);
}

}  // namespace
}  // namespace velmora
