#include "parsing/run/parse_driver.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>

#include "core/ascii.h"
#include "core/workspace_layout.h"
#include "parsing/formats/format_detection.h"
#include "parsing/lines/custom_parser.h"
#include "parsing/lines/w3c_parser.h"
#include "parsing/readers/parallel_bzip2_log_reader.h"
#include "parsing/readers/window_log_reader.h"
#include "parsing/run/pipelined_sink.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string_view FileNameOf(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The position after the last line end of the first `size` bytes of `path`; `size` when they
// end with one (or cannot be read, which the reader then finds out).
uint64_t EndOfLastLine(const std::string& path, uint64_t size) {
  std::ifstream in(path, std::ios::binary);
  char chunk[4096];
  for (uint64_t end = size; end > 0;) {
    const uint64_t begin = end > sizeof chunk ? end - sizeof chunk : 0;
    in.seekg(static_cast<std::streamoff>(begin));
    in.read(chunk, static_cast<std::streamsize>(end - begin));
    if (in.gcount() != static_cast<std::streamsize>(end - begin)) return size;
    for (uint64_t i = end - begin; i > 0; --i) {
      if (chunk[i - 1] == '\n') return begin + i;
    }
    end = begin;
  }
  return 0;
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool LogFileOrder(std::string_view a, std::string_view b) {
  const int order = AsciiCompareIgnoreCase(a, b);
  return order != 0 ? order < 0 : a < b;
}

LogParsers LogParsers::Standard() {
  LogParsers parsers;
  parsers.detect = [](LogReader& reader, std::string_view stored) {
    return DetectFormat(reader, stored);
  };
  parsers.parse_w3c = [](LogReader& reader, const ParseOptions& options, ParseSink& sink) {
    return ParseW3C(reader, options, sink);
  };
  parsers.parse_custom = [](LogReader& reader, const LogFormat& format, const ParseOptions& options,
                            ParseSink& sink) { return ParseCustom(reader, format, options, sink); };
  return parsers;
}

LogListing ListNewLogFiles(const std::string& logs_folder,
                           const std::function<bool(std::string_view name)>& is_parsed) {
  LogListing listing;
  std::error_code ec;
  fs::directory_iterator it(logs_folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code type_ec;
    if (it->is_directory(type_ec)) continue;
    ++listing.total_files;
    const std::string name = it->path().filename().string();
    if (is_parsed(name)) continue;
    std::string path = WorkspacePath(logs_folder, name);
    auto at =
        std::upper_bound(listing.new_paths.begin(), listing.new_paths.end(), path, LogFileOrder);
    listing.new_paths.insert(at, std::move(path));
  }
  return listing;
}

// What the parsers see of the run: parsing.log, the per-file bar, the totals and the analysis.
class ParseDriver::FileSink final : public ParseSink {
 public:
  FileSink(ParseDriver& driver, ProgressDialog& dialog) : driver_(driver), dialog_(dialog) {}

  void WriteLog(std::string_view text) override { driver_.log_.Write(text); }
  void StartFileProgress() override { dialog_.ResetFileBar(kFileProgressRange); }
  void SetFileProgress(int64_t position) override {
    dialog_.SetDetail(std::nullopt, ClampToInt32(position));
  }
  void AddRunTotals(int64_t lines, int64_t errors) override {
    driver_.summary_.total_lines += lines;
    driver_.summary_.total_errors += errors;
  }
  bool KeepGoing() override { return dialog_.KeepGoing() && !driver_.database_.WriteFailed(); }
  void ProcessRecord(LogRecord& record, bool analysed) override {
    driver_.requests_.CountHourly(record);
    if (analysed) driver_.requests_.ProcessRecord(record);
  }

 private:
  ParseDriver& driver_;
  ProgressDialog& dialog_;
};

ParseDriver::ParseDriver(ParseSettings settings, ParseDatabase& database, RequestSink& requests,
                         ParseHooks hooks)
    : settings_(std::move(settings)),
      database_(database),
      requests_(requests),
      hooks_(std::move(hooks)) {
  LogParsers standard = LogParsers::Standard();
  if (!hooks_.parsers.detect) hooks_.parsers.detect = std::move(standard.detect);
  if (!hooks_.parsers.parse_w3c) hooks_.parsers.parse_w3c = std::move(standard.parse_w3c);
  if (!hooks_.parsers.parse_custom) hooks_.parsers.parse_custom = std::move(standard.parse_custom);
  if (!hooks_.utc_now) hooks_.utc_now = UtcNowTicks;
  if (!hooks_.steady_now) hooks_.steady_now = SteadyNow;
  summary_.parse_log_path = WorkspacePath(settings_.workspace_folder, kParseLogName);
  summary_.stored_format = settings_.stored_format;
}

int64_t ParseDriver::MillisecondsSinceStart() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(hooks_.steady_now() - started_)
      .count();
}

int ParseDriver::Run(ProgressDialog& dialog) {
  summary_.total_lines = 0;
  summary_.total_errors = 0;
  log_.Create(summary_.parse_log_path);
  started_ = hooks_.steady_now();
  log_.Write("Starting log: " + FormatParseLogTime(hooks_.utc_now()) + "\r\n");
  log_.Write("Parsing process started for workspace \"" + settings_.workspace_name + "\"\r\n");

  positions_ = database_.LoadLogPositions();
  const std::string logs_folder = WorkspacePath(settings_.workspace_folder, kLogsFolder);
  LogListing listing = ListNewLogFiles(logs_folder, [&](std::string_view name) {
    return database_.IsLogParsed(name) && !HasMoreToRead(WorkspacePath(logs_folder, name));
  });
  const int32_t count = static_cast<int32_t>(listing.new_paths.size());
  summary_.total_files = listing.total_files;
  summary_.new_files = count;
  log_.Write("Total Files: " + std::to_string(listing.total_files) +
             "\r\nNew Files: " + std::to_string(count) + "\r\n");

  if (count > 0) {
    log_.Write("Opening database... ");
    if (!database_.Open()) {
      log_.Write("Failed\r\n");
      summary_.database_failed = true;
    } else if (Status kept = database_.BeginWrites(); !kept.ok()) {
      log_.Write("Failed\r\nERROR: " + kept.error().message + "\r\n");
      summary_.failure = kept.error().message;
      database_.Release();
    } else {
      log_.Write("Success\r\n\r\n");
      ParseNewFiles(listing.new_paths, dialog);
    }
  }

  summary_.run_time_ms = MillisecondsSinceStart();
  if (settings_.options.tally) summary_.completion = *settings_.options.tally;
  if (count > 0) {
    log_.Write(FormatRunSummary(
        {summary_.total_lines, summary_.total_errors, summary_.run_time_ms, count}));
  }
  log_.Write("Process finished: " + FormatParseLogTime(hooks_.utc_now()) +
             "\r\nTotal time: " + std::to_string(summary_.run_time_ms) + " milliseconds");
  log_.Close();
  if (!summary_.cancelled) dialog.PostOk();
  return 0;
}

void ParseDriver::ParseNewFiles(const std::vector<std::string>& paths, ProgressDialog& dialog) {
  const int32_t count = static_cast<int32_t>(paths.size());
  std::vector<uint64_t> sizes;
  uint64_t total_bytes = 0;
  for (const std::string& path : paths) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    sizes.push_back(ec ? 0 : size);
    total_bytes += sizes.back();
  }
  uint64_t bytes_read = 0;  // of the files begun, the one a failure stopped counted half

  requests_.BeginRun();
  dialog.SetFileCount(count);
  for (int32_t i = 1; i <= count; ++i) {
    const std::string& path = paths[i - 1];
    const std::string_view name = FileNameOf(path);
    const std::string text = "Parsing file " + std::to_string(i) + " of " + std::to_string(count);
    log_.Write(text + ": " + std::string(name) + "\r\n");
    dialog.SetStatus(text, i - 1);
    dialog.SetDetail(name, 0);
    if (ParseFile(path, dialog)) ++summary_.parsed_files;
    bytes_read += sizes[i - 1];
    if (summary_.write_failed || database_.WriteFailed()) {
      bytes_read -= sizes[i - 1] / 2;
      summary_.write_failed = true;
      break;
    }
    if (!dialog.KeepGoing()) {
      dialog.SetStatus("Cancelling...", -1);
      summary_.cancelled = true;
      break;
    }
  }
  requests_.EndRun();  // the visit lists go to their tables: writes that may fail too
  if (database_.WriteFailed()) summary_.write_failed = true;
  if (!summary_.write_failed && !summary_.cancelled) {
    // Stale positions would have the next run read lines again: they fail the run like a table.
    if (Status saved = database_.SaveLogPositions(positions_); !saved.ok()) {
      summary_.write_failed = true;
      summary_.failure = saved.error().message;
    }
  }
  database_.Release();

  if (summary_.write_failed && summary_.failure.empty()) {
    summary_.failure = database_.WriteFailureText(
        total_bytes == 0 ? 1.0
                         : static_cast<double>(bytes_read) / static_cast<double>(total_bytes));
  }
  if (summary_.cancelled || summary_.write_failed) {
    if (summary_.write_failed) log_.Write("ERROR: " + summary_.failure + "\r\n");
    if (Status undone = database_.UndoWrites(); !undone.ok()) {
      summary_.failure = "the run could not be undone now (" + undone.error().message +
                         "); it is undone when the workspace is next opened";
      log_.Write("ERROR: " + summary_.failure + "\r\n\r\n");
      return;
    }
    summary_.undone = true;
    summary_.parsed_files = 0;
    log_.Write(summary_.cancelled ? "Run cancelled" : "The run stopped");
    log_.Write(": it was undone, and the next run reads its files again.\r\n\r\n");
    return;
  }
  if (Status kept = database_.CommitWrites(); !kept.ok()) {
    summary_.failure = "the run's data could not be made safe (" + kept.error().message +
                       "): it is undone when the workspace is next opened, and the next run "
                       "reads its files again";
    log_.Write("ERROR: " + summary_.failure + "\r\n\r\n");
  }
}

void ParseDriver::ReportUnreadable(const std::string& path, const std::string& reason) {
  const std::string text = std::string(FileNameOf(path)) + ": " + reason;
  log_.Write("ERROR: " + text + "\r\n");
  summary_.unreadable.push_back(text);
}

bool ParseDriver::ParseFile(const std::string& path, ProgressDialog& dialog) {
  if (database_.IsLogParsed(FileNameOf(path)) && !HasMoreToRead(path)) return true;
  return ParseNewFile(path, dialog);
}

bool ParseDriver::HasMoreToRead(const std::string& path) const {
  const std::string_view name = FileNameOf(path);
  return positions_.HasMoreToRead(std::string(path.substr(0, path.size() - name.size())), name);
}

std::optional<LogFormat> ParseDriver::DetectFileFormat(const std::string& path) {
  log_.Write("Detecting log file format...");
  std::optional<LogFormat> found;
  {
    std::unique_ptr<LogReader> reader = OpenLogReader(path);
    found = hooks_.parsers.detect(*reader, summary_.stored_format);
    if (reader->failure() && reader->delivered() == 0) {
      log_.Write(" Failed\r\n");
      ReportUnreadable(path, *reader->failure());
      return std::nullopt;
    }
  }
  if (!found) {
    log_.Write(" Failed.");
    if (summary_.stored_format.empty()) {
      log_.Write("\r\nERROR: Failed to detect Log File Format, Skipping\r\n");
      return std::nullopt;
    }
    log_.Write(" Using default format\r\n");
    return LogFormat::Custom(summary_.stored_format);
  }
  log_.Write(" Success\r\n");
  summary_.stored_format = found->is_w3c() ? std::string() : found->format_string();
  if (hooks_.save_stored_format) hooks_.save_stored_format(summary_.stored_format);
  return found;
}

ParseDriver::ReadWindow ParseDriver::WindowOf(const std::string& path, uint64_t size,
                                              const LogFormat& format) {
  ReadWindow window;
  const std::string_view name = FileNameOf(path);
  const LogPosition* known = positions_.Find(name);
  if (known != nullptr && database_.IsLogParsed(name)) {
    const std::optional<FileHead> head = ReadFileHead(path, known->head_length);
    if (head && head->length == known->head_length && head->crc == known->head_crc) {
      window.start = known->consumed;
    } else {
      const std::string warning = std::string(name) +
                                  " is not the file parsed under this name before (its first "
                                  "bytes differ): it is read from its start";
      log_.Write("WARNING: " + warning + "\r\n");
      summary_.warnings.push_back(warning);
      known = nullptr;
    }
  }
  if (LogReaderKindOfFile(path) == LogReaderKind::kPlain && !(known && known->size == size)) {
    // A last line without its line end may be still being written: it waits for a run that
    // finds the file unchanged.
    window.end = EndOfLastLine(path, size);
  }
  if (window.start > 0 && format.is_w3c()) {
    std::unique_ptr<LogReader> scan = OpenLogReader(path);
    window.preamble = FieldsLineBefore(*scan, window.start);
  }
  return window;
}

bool ParseDriver::ParseNewFile(const std::string& path, ProgressDialog& dialog) {
  if (hooks_.reports_stale) hooks_.reports_stale();

  std::optional<LogFormat> format;
  switch (settings_.log_format_mode) {
    case LogFormatMode::kW3cExtended:
      format = LogFormat::W3cExtended();
      break;
    case LogFormatMode::kCustom:
      format = LogFormat::Custom(summary_.stored_format);
      break;
    case LogFormatMode::kAutodetect:
      format = DetectFileFormat(path);
      if (!format) return false;  // stays new: tried again on the next run
      break;
  }

  FileSink file_sink(*this, dialog);
  // Matching the lines and analysing the records overlap on two cores.
  std::optional<PipelinedSink> pipelined;
  if (settings_.accelerated) pipelined.emplace(file_sink);
  ParseSink& sink = pipelined ? static_cast<ParseSink&>(*pipelined) : file_sink;
  bool read_to_end;
  const std::string name(FileNameOf(path));
  std::error_code size_ec;
  const uint64_t size = fs::file_size(path, size_ec);
  const ReadWindow window = WindowOf(path, size, *format);
  uint64_t consumed = 0;
  {
    std::unique_ptr<LogReader> reader =
        settings_.accelerated ? OpenAcceleratedLogReader(path) : OpenLogReader(path);
    WindowLogReader* windowed = nullptr;
    if (window.start > 0 || window.end != UINT64_MAX) {
      auto wrapped = std::make_unique<WindowLogReader>(std::move(reader), window.start, window.end,
                                                       window.preamble);
      windowed = wrapped.get();
      reader = StartLogReader(std::move(wrapped), path);
    }
    read_to_end = format->is_w3c()
                      ? hooks_.parsers.parse_w3c(*reader, settings_.options, sink)
                      : hooks_.parsers.parse_custom(*reader, *format, settings_.options, sink);
    consumed = windowed != nullptr ? windowed->content_delivered() : reader->delivered();
    if (reader->failure()) {
      ReportUnreadable(path, *reader->failure());
      // Nothing read: the file stays new and is tried again. Lines read before damage (a
      // truncated archive) are counted, and the file is recorded so that they are not read
      // again; should it grow to its end, the next run reads on.
      if (consumed == window.start) read_to_end = false;
    }
  }
  if (pipelined) pipelined->Finish();
  if (!read_to_end) return false;
  if (const std::optional<FileHead> head = ReadFileHead(path); head && !size_ec) {
    positions_.Set(name, {consumed, size, head->length, head->crc});
  }
  // A file whose lines are in the tables but whose name is not recorded would be read again by
  // the next run: the run must be undone instead.
  if (!database_.AddParsedLog(FileNameOf(path))) {
    summary_.write_failed = true;
    return false;
  }
  return true;
}

}  // namespace velmora
