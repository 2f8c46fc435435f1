// The parse run's accelerations (string-id caches, the hour cursor, the per-day traffic map, the
// block-parallel bzip2 decoding) must leave exactly the tables the plain algorithms leave.
// Generated logs of every shape the generator makes are parsed twice into fresh workspaces, once
// with the accelerations off and once on, over two runs (the second meets a database that already
// holds strings, hours and visits), and every file of the two databases is compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "analysis/visits/request_processor.h"
#include "analysis/visits/standard_classifiers.h"
#include "bench/loggen/log_writers.h"
#include "bench/loggen/output_sink.h"
#include "bench/loggen/traffic_model.h"
#include "parsing/run/parse_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct LogFile {
  std::string name;  // its extension picks the compression
  loggen::LogLayout layout;
  uint64_t lines;
  uint64_t seed;
  const char* start;  // yyyy-mm-dd
  int days;
};

// Writes a generated log into `folder`.
void WriteLog(const fs::path& folder, const LogFile& log) {
  loggen::TrafficOptions traffic;
  traffic.lines = log.lines;
  traffic.seed = log.seed;
  traffic.span_seconds = int64_t{log.days} * 86400;
  traffic.visitors = static_cast<uint32_t>(log.lines / 12);  // many returning visitors
  loggen::TrafficModel model(traffic);
  loggen::LineWriter writer(log.layout, *loggen::ParseStartDate(log.start));
  std::string text;
  loggen::Request request;
  while (model.Next(request)) writer.Append(request, text);
  const std::string path = (folder / log.name).string();
  auto sink = loggen::OpenOutput(path, loggen::CompressionForName(path));
  ASSERT_TRUE(sink.ok());
  ASSERT_TRUE((*sink)->Write(text).ok());
  ASSERT_TRUE((*sink)->Finish().ok());
}

// Every file under `folder` by its relative path, with its bytes.
std::map<std::string, std::string> ReadTree(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), folder).string()] =
        std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// A workspace folder parsed with the accelerations on or off.
class Workspace {
 public:
  explicit Workspace(bool accelerated) : db_(prompter_, dir_.str()) {
    fs::create_directories(dir_.path() / "logs");
    EXPECT_TRUE(db_.Create());
    db_.Release();
    settings_.workspace_folder = dir_.str();
    settings_.workspace_name = "Identity";
    settings_.options.default_file = "index.html";
    settings_.accelerated = accelerated;
    analysis_.server_names = "www.example.com, example.com";
    analysis_.accelerated = accelerated;
  }
  ~Workspace() { db_.CloseNow(); }

  // Adds the logs and parses them; the summary's line count.
  int64_t Parse(const std::vector<LogFile>& logs) {
    for (const LogFile& log : logs) WriteLog(dir_.path() / "logs", log);
    RequestProcessor processor(db_, analysis_, classifiers_);
    NullProgressView view;
    const ParseCommandResult result = RunParseCommand(settings_, db_, processor, prompter_, view);
    settings_.stored_format = result.summary.stored_format;
    EXPECT_EQ(result.summary.parsed_files, static_cast<int32_t>(logs.size()));
    return result.summary.total_lines;
  }

  std::map<std::string, std::string> Tables() {
    db_.CloseNow();
    return ReadTree(dir_.path() / "database");
  }

 private:
  testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_;
  ParseSettings settings_;
  RequestProcessorSettings analysis_;
  StandardClassifiers classifiers_;
};

struct Scenario {
  const char* name;
  std::vector<LogFile> first_run;
  std::vector<LogFile> second_run;
};

class ParseIdentityTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(ParseIdentityTest, AcceleratedRunsWriteTheSameTables) {
  const Scenario& scenario = GetParam();
  Workspace plain(false);
  Workspace fast(true);
  const int64_t lines = plain.Parse(scenario.first_run);
  EXPECT_GT(lines, 1000);
  EXPECT_EQ(fast.Parse(scenario.first_run), lines);
  EXPECT_EQ(plain.Parse(scenario.second_run), fast.Parse(scenario.second_run));

  const std::map<std::string, std::string> expected = plain.Tables();
  const std::map<std::string, std::string> actual = fast.Tables();
  ASSERT_GT(expected.size(), 20u);
  ASSERT_EQ(expected.size(), actual.size());
  for (auto e = expected.begin(), a = actual.begin(); e != expected.end(); ++e, ++a) {
    ASSERT_EQ(e->first, a->first);
    EXPECT_GT(e->second.size(), 0u) << e->first;
    // Not EXPECT_EQ on the bytes: a failure would print megabytes.
    EXPECT_TRUE(e->second == a->second) << e->first << " differs";
  }
}

using loggen::LogLayout;

INSTANTIATE_TEST_SUITE_P(
    Logs, ParseIdentityTest,
    ::testing::Values(
        // Plain, gzip and bzip2 in one run; the next run goes on a day later and overlaps it.
        Scenario{"combined",
                 {{"a1.log", LogLayout::kCombined, 6000, 3, "2026-11-01", 2},
                  {"a2.log.gz", LogLayout::kCombined, 6000, 4, "2026-11-03", 2},
                  {"a3.log.bz2", LogLayout::kCombined, 3000, 5, "2026-11-05", 1}},
                 {{"b1.log", LogLayout::kCombined, 6000, 6, "2026-11-05", 2}}},
        // The second run brings older traffic than the database holds, ending within it.
        Scenario{"older_logs_later",
                 {{"c1.log", LogLayout::kCombined, 6000, 9, "2026-11-10", 2}},
                 {{"c0.log", LogLayout::kCombined, 8000, 10, "2026-11-08", 3}}},
        // bzip2 logs of several blocks each, which the accelerated runs decode in parallel.
        Scenario{"bzip2_blocks",
                 {{"d1.log.bz2", LogLayout::kCombined, 15000, 11, "2026-11-01", 3}},
                 {{"d2.log.bz2", LogLayout::kCombined, 12000, 12, "2026-11-04", 2}}},
        Scenario{"w3c",
                 {{"ex1.log", LogLayout::kW3c, 8000, 7, "2026-11-01", 3}},
                 {{"ex2.log.gz", LogLayout::kW3c, 5000, 8, "2026-11-03", 2}}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
