// The parse run end to end: real readers, detection, parsers and workspace database.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "parsing/readers/compress_for_tests.h"
#include "parsing/run/parse_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::TempDir;
using testing::WriteFile;

std::string CombinedLog(int first_hour, int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += "192.168.1." + std::to_string(i % 20 + 1) +
            " - - [05/Dec/2002:" + std::to_string(10 + first_hour) + ":" +
            std::to_string(10 + i % 50) + ":07 +0000] \"GET /docs/page" + std::to_string(i % 7) +
            ".html HTTP/1.1\" 200 5120 \"http://example.com/\" \"Mozilla/4.0 (compatible; MSIE "
            "6.0; Windows NT 5.1)\"\n";
  }
  return text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ParseRunTest, PlainGzipAndBzip2LogsAreParsedOnceEach) {
  TempDir dir;
  fs::create_directories(dir.path() / "logs");
  fs::create_directories(dir.path() / "database");  // as a new workspace has it
  WriteFile(dir / "logs/20021205-1000.log", CombinedLog(0, 120));
  WriteFile(dir / "logs/20021205-1100.log.gz", testing::Gzip(CombinedLog(1, 80)));
  WriteFile(dir / "logs/20021205-1200.log.BZ2", testing::Bzip2(CombinedLog(2, 50)));
  ParseSettings settings;
  settings.workspace_folder = dir.str();
  settings.workspace_name = "Example";
  settings.log_format_mode = LogFormatMode::kAutodetect;
  std::vector<std::string> saved;
  ParseHooks hooks;
  hooks.save_stored_format = [&](const std::string& f) { saved.push_back(f); };
  ScriptedPrompter prompter;
  NullProgressView view;

  ParseCommandResult first = RunParseCommand(settings, prompter, view, hooks);
  EXPECT_EQ(first.dialog_result, ProgressResult::kOk);
  EXPECT_EQ(first.summary.new_files, 3);
  EXPECT_EQ(first.summary.parsed_files, 3);
  EXPECT_EQ(first.summary.total_lines, 250);
  EXPECT_EQ(first.summary.total_errors, 0);
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_FALSE(saved[0].empty()) << "a custom format was found and stored";
  const std::string log = ReadText(first.summary.parse_log_path);
  EXPECT_THAT(log, HasSubstr("Parsing process started for workspace \"Example\"\r\n"
                             "Total Files: 3\r\nNew Files: 3\r\nOpening database... Success\r\n"));
  EXPECT_THAT(log, HasSubstr("Parsing file 1 of 3: 20021205-1000.log\r\n"
                             "Detecting log file format... Success\r\n"));
  EXPECT_THAT(log, HasSubstr("Parsing file 3 of 3: 20021205-1200.log.BZ2\r\n"));
  EXPECT_THAT(log, HasSubstr("Total lines processed: 250\r\nTotal errors: 0\r\n"));
  for (const auto& m : prompter.messages()) ADD_FAILURE() << m.caption << ": " << m.text;

  settings.stored_format = first.summary.stored_format;
  ParseCommandResult second = RunParseCommand(settings, prompter, view, hooks);
  EXPECT_EQ(second.summary.total_files, 3);
  EXPECT_EQ(second.summary.new_files, 0);
  const std::string again = ReadText(second.summary.parse_log_path);
  EXPECT_THAT(again, HasSubstr("Total Files: 3\r\nNew Files: 0\r\nProcess finished: "));
  EXPECT_THAT(again, Not(HasSubstr("Opening database")));
}

TEST(ParseRunTest, DamagedFilesReadAsEmptyAndAreRecorded) {
  TempDir dir;
  fs::create_directories(dir.path() / "logs");
  const std::string gz = testing::Gzip(CombinedLog(0, 400));
  WriteFile(dir / "logs/a-bad-magic.log.gz", "not gzip at all");
  WriteFile(dir / "logs/b-truncated.log.gz", gz.substr(0, gz.size() / 2));
  WriteFile(dir / "logs/c-zeros.log", std::string(300'000, '\0'));
  WriteFile(dir / "logs/d-noise.log.bz2", testing::NoiseBytes(100'000));
  WriteFile(dir / "logs/e-good.log", CombinedLog(3, 10));
  ParseSettings settings;
  settings.workspace_folder = dir.str();
  settings.workspace_name = "Damaged";
  settings.log_format_mode = LogFormatMode::kCustom;
  settings.stored_format = "%h %l %u %t \"%r\" %>s %b \"%{Referer}i\" \"%{User-agent}i\"";
  ScriptedPrompter prompter;
  NullProgressView view;
  ParseCommandResult result = RunParseCommand(settings, prompter, view);
  EXPECT_EQ(result.dialog_result, ProgressResult::kOk);
  EXPECT_EQ(result.summary.new_files, 5);
  EXPECT_EQ(result.summary.parsed_files, 5) << "unreadable files look empty and are recorded";
  EXPECT_GE(result.summary.total_lines, 10);
}

}  // namespace
}  // namespace velmora
