#include "parsing/run/parse_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "parsing/readers/compress_for_tests.h"
#include "parsing/run/parse_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::TempDir;
using testing::WriteFile;

// 09:05:03.042 UTC on 7 January 2002.
const Ticks kStartUtc = *CalendarToTicks({2002, 1, 0, 7, 9, 5, 3, 42});
const char kStartText[] = "09:05:03.042 January 7, 2002 UTC";

class FakeDatabase : public ParseDatabase {
 public:
  bool Open() override {
    ++opens;
    return openable;
  }
  void Release() override { ++releases; }
  bool IsLogParsed(std::string_view name) override { return parsed.count(std::string(name)) > 0; }
  bool AddParsedLog(std::string_view name) override {
    added.emplace_back(name);
    parsed.emplace(name);
    return true;
  }
  Status BeginWrites() override {
    ++begins;
    if (begin_fails) return Error{28, "no room for the undo copy"};
    return {};
  }
  bool WriteFailed() override { return write_failed; }
  std::string WriteFailureText(double share_read) override {
    return "disk full at " + std::to_string(static_cast<int>(share_read * 100)) + "%";
  }
  Status CommitWrites() override {
    ++commits;
    return {};
  }
  Status UndoWrites() override {
    ++undos;
    added.clear();
    return {};
  }

  bool openable = true;
  bool begin_fails = false;
  bool write_failed = false;
  int begins = 0;
  int commits = 0;
  int undos = 0;
  int opens = 0;
  int releases = 0;
  std::set<std::string> parsed;
  std::vector<std::string> added;
};

class CountingRequests : public RequestSink {
 public:
  void BeginRun() override { calls.push_back("begin"); }
  void CountHourly(const LogRecord&) override { ++hourly; }
  void ProcessRecord(LogRecord&) override { ++processed; }
  void EndRun() override { calls.push_back("end"); }

  std::vector<std::string> calls;
  int hourly = 0;
  int processed = 0;
};

// A workspace folder with logs/, clocks that stand still unless told, and parsers
// that report what they were given: each "parses" the file's first line as its line count.
class ParseDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.path() / "logs");
    settings_.workspace_folder = dir_.str();
    settings_.workspace_name = "Demo";
    settings_.log_format_mode = LogFormatMode::kCustom;
    settings_.stored_format = "%h %l %u %t \"%r\" %>s %b";
    hooks_.utc_now = [] { return kStartUtc; };
    hooks_.steady_now = [this] {
      return SteadyClock::time_point(std::chrono::milliseconds(now_ms_));
    };
    hooks_.save_stored_format = [this](const std::string& f) { saved_formats_.push_back(f); };
    hooks_.parsers.detect = [this](LogReader&, std::string_view stored) {
      detect_stored_.emplace_back(stored);
      return detect_result_;
    };
    hooks_.parsers.parse_w3c = [this](LogReader& reader, const ParseOptions&, ParseSink& sink) {
      return FakeParse(reader, "W3C Extended", sink);
    };
    hooks_.parsers.parse_custom = [this](LogReader& reader, const LogFormat& format,
                                         const ParseOptions&, ParseSink& sink) {
      return FakeParse(reader, format.format_string(), sink);
    };
  }

  bool FakeParse(LogReader& reader, std::string_view format, ParseSink& sink) {
    std::string first;
    for (int c = reader.GetChar(); c != -1 && c != '\n'; c = reader.GetChar()) first += char(c);
    int64_t lines = first.empty() ? 0 : std::stoll(first);
    ++files_parsed_;
    if (on_parse_) on_parse_(files_parsed_);
    sink.StartFileProgress();
    LogRecord record;
    for (int64_t i = 0; i < lines; ++i) {
      if (!sink.KeepGoing()) return false;
      sink.ProcessRecord(record, i % 2 == 0);
    }
    sink.WriteLog("Log file format: " + std::string(format) +
                  "\r\nLines Processed: " + std::to_string(lines) + "\r\n\r\n");
    if (parse_result_ == false) return false;
    sink.AddRunTotals(lines, 1);
    return true;
  }

  void AddLog(const std::string& name, std::string_view bytes) {
    WriteFile(dir_ / ("logs/" + name), bytes);
  }

  ParseCommandResult RunParse(ProgressView& view) {
    ScriptedPrompter prompter;
    return RunParseCommand(settings_, db_, requests_, prompter, view, hooks_,
                           {std::chrono::milliseconds(100), [] { ADD_FAILURE() << "exit"; }});
  }
  ParseCommandResult RunParse() {
    NullProgressView view;
    return RunParse(view);
  }

  std::string ParseLogText() const {
    std::ifstream in(dir_ / "parsing.log", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  TempDir dir_;
  ParseSettings settings_;
  ParseHooks hooks_;
  FakeDatabase db_;
  CountingRequests requests_;
  int64_t now_ms_ = 1'000'000;
  std::optional<LogFormat> detect_result_;
  std::vector<std::string> detect_stored_;
  std::vector<std::string> saved_formats_;
  std::function<void(int)> on_parse_;
  int files_parsed_ = 0;
  bool parse_result_ = true;
};

TEST_F(ParseDriverTest, RunWithNoNewFilesWritesOnlyTheFrame) {
  AddLog("a.log", "5\n");
  AddLog("b.log", "7\n");
  db_.parsed = {"a.log", "b.log"};
  ParseCommandResult result = RunParse();
  EXPECT_EQ(ParseLogText(), std::string("Starting log: ") + kStartText +
                                "\r\nParsing process started for workspace \"Demo\"\r\n"
                                "Total Files: 2\r\nNew Files: 0\r\n"
                                "Process finished: " +
                                kStartText + "\r\nTotal time: 0 milliseconds");
  EXPECT_EQ(result.dialog_result, ProgressResult::kOk) << "OK is posted";
  EXPECT_EQ(db_.opens, 0);
  EXPECT_EQ(files_parsed_, 0);
  EXPECT_EQ(result.summary.total_files, 2);
  EXPECT_EQ(result.summary.new_files, 0);
  EXPECT_EQ(result.summary.parse_log_path, dir_ / "parsing.log");
}

TEST_F(ParseDriverTest, RunOverSeveralFilesWritesTheWholeAccount) {
  AddLog("b.log", "4\n");
  AddLog("A.log", "6\n");
  AddLog("c.LOG.gz", testing::Gzip("10\n"));
  AddLog("old.log", "99\n");
  fs::create_directories(dir_.path() / "logs/sub.log");  // folders are not files
  int stale_reports = 0;
  hooks_.reports_stale = [&stale_reports] { ++stale_reports; };
  db_.parsed = {"old.log"};
  on_parse_ = [this](int) { now_ms_ += 1000; };  // each file takes a second; 3,000 ms in all

  ParseCommandResult result = RunParse();
  const std::string format = settings_.stored_format;
  auto file = [&](int i, const char* name, int lines) {
    return "Parsing file " + std::to_string(i) + " of 3: " + name +
           "\r\nLog file format: " + format + "\r\nLines Processed: " + std::to_string(lines) +
           "\r\n\r\n";
  };
  EXPECT_EQ(ParseLogText(), std::string("Starting log: ") + kStartText +
                                "\r\nParsing process started for workspace \"Demo\"\r\n"
                                "Total Files: 4\r\nNew Files: 3\r\n"
                                "Opening database... Success\r\n\r\n" +
                                file(1, "A.log", 6) + file(2, "b.log", 4) +
                                file(3, "c.LOG.gz", 10) +
                                "\r\n------------------------------\r\n"
                                "Total lines processed: 20\r\nTotal errors: 3\r\n"
                                "Average file processing time: 1000 milliseconds\r\n"
                                "Average lines per second: 6\r\n\r\n"
                                "Process finished: " +
                                kStartText + "\r\nTotal time: 3000 milliseconds");
  EXPECT_THAT(db_.added, ElementsAre("A.log", "b.log", "c.LOG.gz"));
  EXPECT_EQ(db_.opens, 1);
  EXPECT_EQ(db_.releases, 1);
  EXPECT_THAT(requests_.calls, ElementsAre("begin", "end"));
  EXPECT_EQ(requests_.hourly, 20);
  EXPECT_EQ(requests_.processed, 3 + 2 + 5);
  EXPECT_EQ(stale_reports, 3) << "each new file makes the cached reports stale";
  EXPECT_EQ(result.dialog_result, ProgressResult::kOk);
  EXPECT_EQ(result.summary.parsed_files, 3);
  EXPECT_EQ(result.summary.total_lines, 20);
  EXPECT_EQ(result.summary.run_time_ms, 3000);
}

TEST_F(ParseDriverTest, CancelStopsTheFileInProgressUndoesTheRunAndPostsNoOk) {
  AddLog("1.log", "1\n");
  AddLog("2.log", "2\n");
  AddLog("3.log", "3\n");
  AddLog("4.log", "4\n");
  ProgressDialog* running = nullptr;
  on_parse_ = [&](int n) {
    now_ms_ += 1200;
    if (n == 2) running->PressCancel();  // Cancel while the second file is parsed
  };
  ParseDriver driver(settings_, db_, requests_, hooks_);
  ProgressDialog dialog(std::string(kParsingTitle), [&](ProgressDialog& d) {
    running = &d;
    return driver.Run(d);
  });
  NullProgressView view;  // what a view is shown of the status is the dialog's own test
  ScriptedPrompter prompter;
  EXPECT_EQ(dialog.RunModal(view, prompter), ProgressResult::kCancel);
  EXPECT_FALSE(dialog.ok_posted());
  EXPECT_EQ(dialog.state().status, "Cancelling...");
  EXPECT_EQ(requests_.processed, 1) << "the second file stops at its first record";
  EXPECT_EQ(db_.undos, 1);
  EXPECT_EQ(db_.commits, 0);
  EXPECT_TRUE(driver.summary().cancelled);
  EXPECT_TRUE(driver.summary().undone);
  EXPECT_EQ(driver.summary().parsed_files, 0);
  const std::string log = ParseLogText();
  EXPECT_THAT(log, HasSubstr("Parsing file 2 of 4: 2.log\r\n"));
  EXPECT_THAT(log, Not(HasSubstr("Parsing file 3 of 4")));
  EXPECT_THAT(log, HasSubstr("Run cancelled: it was undone, and the next run reads its files "
                             "again.\r\n"));
  EXPECT_THAT(requests_.calls, ElementsAre("begin", "end"));
  EXPECT_EQ(db_.releases, 1);
}

TEST_F(ParseDriverTest, ARunKeepsItsWritesOnlyWhenItWroteEverything) {
  struct Case {
    const char* name;
    bool begin_fails;
    int write_fails_at;  // the file during which the tables stop taking writes; 0 never
    int begins, commits, undos, parsed;
    const char* log_text;
    const char* failure;
  } cases[] = {
      {"clean", false, 0, 1, 1, 0, 3, "Parsing file 3 of 3", ""},
      {"disk full in the second file", false, 2, 1, 0, 1, 0,
       "ERROR: disk full at 50%\r\nThe run stopped: it was undone", "disk full at 50%"},
      {"no room for the undo copy", true, 0, 1, 0, 0, 0,
       "Opening database... Failed\r\nERROR: no room for the undo copy\r\n",
       "no room for the undo copy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_.path() / "logs");
    fs::create_directories(dir_.path() / "logs");
    for (const char* name : {"a.log", "b.log", "c.log"}) AddLog(name, "2\n");
    db_ = FakeDatabase();
    db_.begin_fails = c.begin_fails;
    files_parsed_ = 0;
    on_parse_ = [&](int n) { db_.write_failed = n == c.write_fails_at; };
    const ParseCommandResult result = RunParse();
    EXPECT_EQ(db_.begins, c.begins);
    EXPECT_EQ(db_.commits, c.commits);
    EXPECT_EQ(db_.undos, c.undos);
    EXPECT_EQ(result.summary.parsed_files, c.parsed);
    EXPECT_EQ(result.summary.failure, c.failure);
    EXPECT_EQ(result.summary.write_failed, c.write_fails_at != 0);
    EXPECT_THAT(ParseLogText(), HasSubstr(c.log_text));
    EXPECT_EQ(db_.releases, 1);
  }
}

TEST_F(ParseDriverTest, DatabaseThatWillNotOpenStillGetsASummary) {
  AddLog("a.log", "3\n");
  db_.openable = false;
  ParseCommandResult result = RunParse();
  const std::string log = ParseLogText();
  EXPECT_THAT(log, HasSubstr("New Files: 1\r\nOpening database... Failed\r\n"
                             "\r\n------------------------------\r\n"
                             "Total lines processed: 0\r\nTotal errors: 0\r\n"
                             "Average file processing time: 0 milliseconds\r\n"
                             "Average lines per second: 0\r\n\r\nProcess finished: "));
  EXPECT_EQ(files_parsed_, 0);
  EXPECT_EQ(db_.releases, 0) << "a database that did not open is not released";
  EXPECT_TRUE(requests_.calls.empty());
  EXPECT_EQ(result.dialog_result, ProgressResult::kOk);
  EXPECT_TRUE(result.summary.database_failed);
}

TEST_F(ParseDriverTest, AutodetectBranches) {
  struct Case {
    const char* what;
    std::optional<LogFormat> detected;
    std::string stored_before;
    std::string log_after_name;  // what follows "Parsing file 1 of 1: a.log\r\n"
    bool recorded;
    std::vector<std::string> saved;
    std::string stored_after;
  };
  const Case cases[] = {
      {"nothing, nothing stored",
       std::nullopt,
       "",
       "Detecting log file format... Failed.\r\nERROR: Failed to detect Log File Format, "
       "Skipping\r\n",
       false,
       {},
       ""},
      {"nothing, a stored format",
       std::nullopt,
       "%h %t",
       "Detecting log file format... Failed. Using default format\r\nLog file format: %h "
       "%t\r\nLines Processed: 2\r\n\r\n",
       true,
       {},
       "%h %t"},
      {"W3C Extended",
       LogFormat::W3cExtended(),
       "%h %t",
       "Detecting log file format... Success\r\nLog file format: W3C Extended\r\nLines "
       "Processed: 2\r\n\r\n",
       true,
       {""},
       ""},
      {"a format string",
       LogFormat::Custom("%h %u"),
       "%h %t",
       "Detecting log file format... Success\r\nLog file format: %h %u\r\nLines Processed: "
       "2\r\n\r\n",
       true,
       {"%h %u"},
       "%h %u"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    db_ = FakeDatabase();
    saved_formats_.clear();
    detect_stored_.clear();
    AddLog("a.log", "2\n");
    settings_.log_format_mode = LogFormatMode::kAutodetect;
    settings_.stored_format = c.stored_before;
    detect_result_ = c.detected;
    ParseCommandResult result = RunParse();
    EXPECT_THAT(ParseLogText(), HasSubstr("Parsing file 1 of 1: a.log\r\n" + c.log_after_name +
                                          "\r\n------------------------------\r\n"));
    EXPECT_EQ(db_.added.size(), c.recorded ? 1u : 0u) << "a skipped file stays new";
    EXPECT_EQ(saved_formats_, c.saved);
    EXPECT_THAT(detect_stored_, ElementsAre(c.stored_before));
    EXPECT_EQ(result.summary.stored_format, c.stored_after);
  }
}

TEST_F(ParseDriverTest, FileAbandonedByItsParserStaysNew) {
  AddLog("a.log", "2\n");
  settings_.log_format_mode = LogFormatMode::kW3cExtended;
  parse_result_ = false;
  ParseCommandResult result = RunParse();
  EXPECT_TRUE(db_.added.empty());
  EXPECT_EQ(result.summary.parsed_files, 0);
  EXPECT_THAT(ParseLogText(), HasSubstr("Log file format: W3C Extended\r\n"));
}

TEST_F(ParseDriverTest, FilesThatCannotBeReadAreNamedWithTheReasonAndStayNew) {
  AddLog("a.log", "2\n");
  AddLog("b.log", "3\n");
  AddLog("c.log.gz", "\x1f\x8b not gzip");  // gzip by its first bytes, damaged from its start
  on_parse_ = [this](int n) {
    if (n == 1) fs::remove(dir_.path() / "logs/b.log");
  };
  ParseCommandResult result = RunParse();
  EXPECT_THAT(db_.added, ElementsAre("a.log"));
  EXPECT_EQ(result.summary.parsed_files, 1);
  EXPECT_THAT(
      result.summary.unreadable,
      ElementsAre("b.log: cannot open: No such file or directory", HasSubstr("c.log.gz: ")));
  const std::string log = ParseLogText();
  EXPECT_THAT(log, HasSubstr("Parsing file 2 of 3: b.log\r\n"));
  EXPECT_THAT(log, HasSubstr("ERROR: b.log: cannot open: No such file or directory\r\n"));
}

TEST_F(ParseDriverTest, UnwritableParseLogDoesNotStopTheRun) {
  AddLog("a.log", "2\n");
  fs::create_directories(dir_.path() / "parsing.log");  // cannot be created as a file
  ParseCommandResult result = RunParse();
  EXPECT_THAT(db_.added, ElementsAre("a.log"));
  EXPECT_EQ(result.summary.total_lines, 2);
}

TEST(ListNewLogFilesTest, SortsFullPathsWithoutRegardToCase) {
  TempDir dir;
  for (const char* name : {"b.log", "A.log", "a.log", "C.log.bz2", "B.LOG", "_x", "old"}) {
    WriteFile(dir / name, "x");
  }
  fs::create_directories(dir.path() / "folder");
  LogListing listing = ListNewLogFiles(dir.str(), [](std::string_view n) { return n == "old"; });
  EXPECT_EQ(listing.total_files, 7);
  std::vector<std::string> names;
  for (const std::string& p : listing.new_paths) names.push_back(fs::path(p).filename().string());
  // Compared lower-cased: "_" (0x5F) sorts before the letters.
  EXPECT_THAT(names, ElementsAre("_x", "A.log", "a.log", "B.LOG", "b.log", "C.log.bz2"));
  EXPECT_EQ(listing.new_paths[1], dir.str() + "/A.log");
  EXPECT_EQ(ListNewLogFiles(dir / "missing", [](std::string_view) { return false; }).total_files,
            0);
}

TEST(ParseLogFormatTest, TimesAndSummaries) {
  EXPECT_EQ(FormatParseLogTime(kStartUtc), kStartText);
  EXPECT_EQ(FormatParseLogTime(*CalendarToTicks({1999, 12, 0, 31, 23, 59, 59, 999})),
            "23:59:59.999 December 31, 1999 UTC");
  EXPECT_EQ(FormatParseLogTime(*CalendarToTicks({2024, 5, 0, 1, 0, 0, 0, 7})),
            "00:00:00.007 May 1, 2024 UTC");
  const struct {
    RunSummaryFigures figures;
    const char* averages;
  } cases[] = {
      {{1000, 2, 0, 4},
       "Average file processing time: 0 milliseconds\r\n"
       "Average lines per second: 0\r\n"},
      {{1000, 2, 2000, 4},
       "Average file processing time: 500 milliseconds\r\n"
       "Average lines per second: 500\r\n"},
      {{7, 0, 3, 2},
       "Average file processing time: 1 milliseconds\r\n"
       "Average lines per second: 2333\r\n"},
      {{10'000'000'000LL, 0, 1000, 1},
       "Average file processing time: 1000 milliseconds\r\n"
       "Average lines per second: 10000000000\r\n"},
  };
  for (const auto& c : cases) {
    const std::string text = FormatRunSummary(c.figures);
    EXPECT_EQ(text, "\r\n------------------------------\r\nTotal lines processed: " +
                        std::to_string(c.figures.total_lines) + "\r\nTotal errors: " +
                        std::to_string(c.figures.total_errors) + "\r\n" + c.averages + "\r\n");
  }
}

}  // namespace
}  // namespace velmora
