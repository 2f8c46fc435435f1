// Custom-format parsing throughput on NCSA combined lines: MatchLine alone over lines in memory,
// the whole per-line path of a parse run (ReadLine + MatchLine + CompleteRecord) over a file, and
// `wc -l` over the same file in the same run as the floor to compare against.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "parsing/formats/format_candidates.h"
#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_detection.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/readers/line_reader.h"
#include "parsing/readers/log_reader.h"
#include "parsing/records/record_completion.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

constexpr int kLines = 200'000;

// Deterministic combined lines with the spread of a real site: hosts, pages with and without
// queries, images, referrers and a handful of user agents.
std::vector<std::string> MakeCombinedLines() {
  static const char* const kPaths[] = {
      "/",           "/index.html",      "/products/list.php", "/img/logo.gif", "/css/site.css",
      "/search.asp", "/files/setup.zip", "/favicon.ico"};
  static const char* const kAgents[] = {
      "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)",
      "Mozilla/5.0 (X11; Linux x86_64; rv:109.0) Gecko/20100101 Firefox/115.0",
      "Googlebot/2.1 (+http://www.google.com/bot.html)",
      "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 Safari/605.1.15"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::vector<std::string> lines;
  lines.reserve(kLines);
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245 + 12345, (seed >> 8) & 0xFFFFFF; };
  char buffer[1024];
  for (int i = 0; i < kLines; ++i) {
    const uint32_t r = next();
    const char* path = kPaths[r % 8];
    std::snprintf(buffer, sizeof buffer,
                  "%u.%u.%u.%u - - [%02d/%s/2002:%02d:%02d:%02d -0500] \"GET %s%s HTTP/1.1\" %d "
                  "%u \"%s\" \"%s\"",
                  10 + r % 200, r % 256, (r >> 8) % 256, (r >> 16) % 256, 1 + i % 28,
                  kMonths[(i / 1000) % 12], (i / 60) % 24, i % 60, (i * 7) % 60, path,
                  (r & 3) == 0 ? "?q=web+log&page=2" : "", (r % 10) == 0 ? 404 : 200, r % 100000,
                  (r & 4) ? "http://www.google.com/search?q=web+log+analyzer#top" : "-",
                  kAgents[(r >> 4) % 4]);
    lines.emplace_back(buffer);
  }
  return lines;
}

const std::vector<std::string>& CombinedLines() {
  static const std::vector<std::string> lines = MakeCombinedLines();
  return lines;
}

// The same lines as a file, written once and removed when the program ends.
class BenchFile {
 public:
  BenchFile() {
    path_ = (std::filesystem::temp_directory_path() /
             ("velmora-format-bench-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".log"))
                .string();
    std::ofstream out(path_, std::ios::binary);
    for (const std::string& line : CombinedLines()) {
      out << line << "\r\n";
      bytes_ += line.size() + 2;
    }
  }
  ~BenchFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  const std::string& path() const { return path_; }
  int64_t bytes() const { return bytes_; }

 private:
  std::string path_;
  int64_t bytes_ = 0;
};

const BenchFile& File() {
  static const BenchFile file;
  return file;
}

void BM_MatchLine(benchmark::State& state) {
  const CompiledFormat format = CompiledFormat::Compile(FormatCandidates()[6]);
  const std::vector<std::string>& lines = CombinedLines();
  auto record = std::make_unique<LogRecord>();
  int64_t matched = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) {
      record->Reset();
      matched += MatchLine(line, *record, format);
    }
  }
  if (matched != state.iterations() * kLines) state.SkipWithError("a line did not match");
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_MatchLine)->Unit(benchmark::kMillisecond);

void BM_ReadMatchComplete(benchmark::State& state) {
  const CompiledFormat format = CompiledFormat::Compile(FormatCandidates()[6]);
  ParseOptions options;
  options.default_file = "index.html";
  options.time_offset_seconds = 18000;
  auto record = std::make_unique<LogRecord>();
  auto line = std::make_unique<LineBuffer>();
  int64_t analysed = 0;
  for (auto _ : state) {
    const std::unique_ptr<LogReader> reader = OpenLogReader(File().path());
    while (ReadLine(*reader, *line)) {
      record->Reset();
      if (MatchLine(line->view(), *record, format)) {
        TimeFromCalendar(*record);
        analysed += CompleteRecord(options, *record);
      }
    }
  }
  benchmark::DoNotOptimize(analysed);
  state.SetItemsProcessed(state.iterations() * kLines);
  state.SetBytesProcessed(state.iterations() * File().bytes());
}
BENCHMARK(BM_ReadMatchComplete)->Unit(benchmark::kMillisecond);

// The reading share of the path above: ReadLine alone over the same file.
void BM_ReadLine(benchmark::State& state) {
  auto line = std::make_unique<LineBuffer>();
  int64_t lines = 0;
  for (auto _ : state) {
    const std::unique_ptr<LogReader> reader = OpenLogReader(File().path());
    while (ReadLine(*reader, *line)) ++lines;
  }
  benchmark::DoNotOptimize(lines);
  state.SetItemsProcessed(state.iterations() * kLines);
  state.SetBytesProcessed(state.iterations() * File().bytes());
}
BENCHMARK(BM_ReadLine)->Unit(benchmark::kMillisecond);

void BM_DetectFormat(benchmark::State& state) {
  for (auto _ : state) {
    const std::unique_ptr<LogReader> reader = OpenLogReader(File().path());
    benchmark::DoNotOptimize(DetectFormat(*reader, ""));
  }
}
BENCHMARK(BM_DetectFormat)->Unit(benchmark::kMillisecond);

// The floor: the system's line counter over the same file (process start included).
void BM_WcL(benchmark::State& state) {
  const std::string command = "wc -l < '" + File().path() + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("wc -l failed");
  }
  state.SetItemsProcessed(state.iterations() * kLines);
  state.SetBytesProcessed(state.iterations() * File().bytes());
}
BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
