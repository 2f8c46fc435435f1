#include "parsing/format_detection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "parsing/format_candidates.h"
#include "parsing/string_log_reader_for_tests.h"

namespace velmora {
namespace {

std::string CombinedLine(int i) {
  return "10.0.0." + std::to_string(i % 250) +
         " - - [10/Oct/2000:13:55:" + std::to_string(10 + i % 50) + " -0700] \"GET /page" +
         std::to_string(i) + ".html HTTP/1.0\" 200 " + std::to_string(100 + i) +
         " \"http://ref/\" \"Mozilla/4.0\"\n";
}

std::string CombinedLog(int lines) {
  std::string log;
  for (int i = 0; i < lines; ++i) log += CombinedLine(i);
  return log;
}

std::optional<LogFormat> Detect(const std::string& bytes, std::string_view stored = "") {
  testing::StringLogReader reader(bytes);
  return DetectFormat(reader, stored);
}

std::string BadLines(int count) {
  std::string bad;
  for (int i = 0; i < count; ++i) bad += "bad line\n";
  return bad;
}

LogFormat Candidate(int number) { return LogFormat::Custom(FormatCandidates()[number - 1]); }

TEST(FormatDetectionTest, CandidateTableKeepsItsOrder) {
  ASSERT_EQ(FormatCandidates().size(), 21u);
  EXPECT_EQ(FormatCandidates()[4], FormatCandidates()[1]);
  EXPECT_EQ(FormatCandidates()[5], FormatCandidates()[2]);
  // Candidate 4 is candidate 1 with one more quote before "HTTP".
  std::string four(FormatCandidates()[0]);
  four.insert(four.find("HTTP"), "\"");
  EXPECT_EQ(FormatCandidates()[3], four);
}

TEST(FormatDetectionTest, CommonLogChoosesCandidate1) {
  std::string log;
  for (int i = 0; i < 30; ++i) {
    const std::string line = CombinedLine(i);
    log += line.substr(0, line.find(" \"http")) + "\n";
  }
  EXPECT_EQ(Detect(log), Candidate(1));
}

TEST(FormatDetectionTest, OneDamagedLineInTenIsToleratedButNotTwo) {
  EXPECT_EQ(Detect(CombinedLog(9) + BadLines(1)), Candidate(7));
  EXPECT_EQ(Detect(CombinedLog(8) + BadLines(2)), std::nullopt);
}

TEST(FormatDetectionTest, ToleranceIsOneEighthOfTheSample) {
  // 160 lines: 20 failures are tolerated, 21 are not.
  EXPECT_EQ(Detect(CombinedLog(140) + BadLines(20)), Candidate(7));
  EXPECT_EQ(Detect(CombinedLog(139) + BadLines(21)), std::nullopt);
}

TEST(FormatDetectionTest, OneLineFileNeedsAFormatThatMatchesIt) {
  EXPECT_EQ(Detect(CombinedLine(1), ""), Candidate(7));
  EXPECT_EQ(Detect("garbage\n", "%S"), LogFormat::Custom("%S"));
  EXPECT_EQ(Detect("garbage here\n", "%S %c"), std::nullopt);
}

TEST(FormatDetectionTest, W3cDirectiveOnLine150) {
  std::string log = CombinedLog(149) + "#Fields: date time c-ip\n" + "garbage\n";
  EXPECT_EQ(Detect(log), LogFormat::W3cExtended());
}

TEST(FormatDetectionTest, W3cDirectiveIsCaseSensitiveAndFoundAnywhereInTheLine) {
  EXPECT_EQ(Detect("x #Fields: date\n"), LogFormat::W3cExtended());
  EXPECT_EQ(Detect("#fields: date\n"), std::nullopt);
}

TEST(FormatDetectionTest, OnlyTheFirst200LinesAreSampled) {
  std::string bad;
  for (int i = 0; i < 100; ++i) bad += "bad line\n";
  EXPECT_EQ(Detect(CombinedLog(200) + bad + "#Fields: date\n"), Candidate(7));
}

TEST(FormatDetectionTest, StoredFormatWinsOverCandidates) {
  const std::string stored = "%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b \"%f\" \"%B\"";
  EXPECT_EQ(Detect(CombinedLog(20), stored), LogFormat::Custom(stored));
}

TEST(FormatDetectionTest, EmptyStoredFormatCannotWinWhileLinesExist) {
  EXPECT_EQ(Detect("garbage\n", ""), std::nullopt);
  EXPECT_EQ(Detect(CombinedLog(3), ""), Candidate(7));
}

TEST(FormatDetectionTest, FileWithoutLinesGivesTheStoredFormatBack) {
  EXPECT_EQ(Detect("", ""), LogFormat::Custom(""));
  EXPECT_EQ(Detect("\r\n\n", "%S %r"), LogFormat::Custom("%S %r"));
}

TEST(FormatDetectionTest, IisAndTabSeparatedLayouts) {
  const std::string iis =
      "192.168.114.201, -, 03/20/01, 7:55:20, W3SVC2, SERVER, 172.21.13.45, 4502, 163, 3223, "
      "200, 0, GET, /DeptLogo.gif, -,\n";
  EXPECT_EQ(Detect(iis + iis), Candidate(16));
  const std::string iis_day_first =
      "192.168.114.201, -, 20/03/2001, 7:55:20, W3SVC2, SERVER, 172.21.13.45, 4502, 163, 3223, "
      "200, 0, GET, /DeptLogo.gif, -,\n";
  EXPECT_EQ(Detect(iis_day_first), Candidate(19));
  const std::string tabbed =
      "24/05/02 20:18:01\thost\tsvc\tx\tuser\tGET\t/p\t-\tx\tUA\t200\t12\t7\n";
  EXPECT_EQ(Detect(tabbed), Candidate(21));
}

TEST(FormatDetectionTest, HostileLinesCountAsFailuresOnly) {
  // The 100,000-character line reads as seven lines, the zero-byte line as one empty line: 8
  // failures among 68 lines exceed the tolerance of 8 only by the rule "at most n / 8".
  const std::string hostile = std::string(100000, 'x') + "\n" + std::string("\0\0\0\n", 4);
  EXPECT_EQ(Detect(hostile + CombinedLog(60)), Candidate(7));
  EXPECT_EQ(Detect(hostile + CombinedLog(55)), std::nullopt);
}

}  // namespace
}  // namespace velmora
