// ParseDriver: one parse run over a workspace's logs/ folder. It lists the files that ParsedLogs
// does not name yet, in case-insensitive path order, reads each through the reader its extension
// asks for with the parser its format asks for, hands the records to the RequestSink, records each
// file read to its end in ParsedLogs, and writes the account of the run to parsing.log.
//
// Run is the worker procedure of the "Parsing files" progress; it talks to its ProgressDialog only
// through SetStatus, SetDetail, SetFileCount, ResetFileBar, KeepGoing and PostOk.
//
// A run is all or nothing: the database keeps what undoes it from before its first write
// (ParseDatabase::BeginWrites), and a run that is cancelled (seen every few hundred lines) or
// whose tables cannot be written (a full disk) stops and is undone, so that the next run reads
// the same files again into the same tables. A cancelled run posts no OK.
//
// A file counts as parsed only when it could be opened, its parser read it to its end and its name
// was added to ParsedLogs; nothing else (size, time) is compared, so a recorded file is never read
// again. A file that could not be opened reads as empty but stays new for the next run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/tick_time.h"
#include "parsing/formats/log_format.h"
#include "parsing/lines/parse_sink.h"
#include "parsing/readers/log_reader.h"
#include "parsing/run/log_positions.h"
#include "parsing/run/parse_database.h"
#include "parsing/run/parse_log.h"
#include "parsing/run/parse_settings.h"
#include "parsing/run/request_sink.h"
#include "platform/clock.h"
#include "platform/progress_dialog.h"

namespace velmora {

inline constexpr std::string_view kParsingTitle = "Parsing files";

// The line parsers and the format detection; tests replace them.
struct LogParsers {
  std::function<std::optional<LogFormat>(LogReader&, std::string_view stored_format)> detect;
  std::function<bool(LogReader&, const ParseOptions&, ParseSink&)> parse_w3c;
  std::function<bool(LogReader&, const LogFormat&, const ParseOptions&, ParseSink&)> parse_custom;

  static LogParsers Standard();
};

struct ParseHooks {
  // Called when detection sets the stored format (to a found format string, or empty for W3C
  // Extended): the caller saves the workspace settings.
  std::function<void(const std::string& stored_format)> save_stored_format;
  // Called before each new file is read: its data makes every cached report stale.
  std::function<void()> reports_stale;
  // The UTC clock of the log's times and the steady clock of the run time; empty for the real ones.
  std::function<Ticks()> utc_now;
  std::function<SteadyClock::time_point()> steady_now;
  // Empty members are taken from LogParsers::Standard().
  LogParsers parsers;
};

// What a run did, for the command that started it.
struct ParseRunSummary {
  int32_t total_files = 0;   // files in logs/
  int32_t new_files = 0;     // of those, not in ParsedLogs at the start
  int32_t parsed_files = 0;  // new files read to their end and recorded
  int64_t total_lines = 0;
  int64_t total_errors = 0;
  int64_t run_time_ms = 0;
  bool database_failed = false;  // new files were there but the database did not open
  bool cancelled = false;
  bool write_failed = false;          // a table could not be written (a full disk); the run stopped
  bool undone = false;                // the run's writes were undone: the database is as before it
  std::vector<std::string> warnings;  // files replaced under a parsed file's name
  std::vector<std::string> unreadable;  // "<file>: <why>" for each file that could not be read
  std::string failure;  // why the run could not write or keep its writes; empty when it did
  std::string parse_log_path;
  std::string stored_format;   // the stored format after the run
  CompletionTally completion;  // what the rules and filters decided, when the options counted it
};

// The order a parse run reads its logs in: ascending without regard to case, byte order breaking
// ties.
bool LogFileOrder(std::string_view a, std::string_view b);

// Files in `logs_folder` that are not directories, as full paths sorted by LogFileOrder, and
// their count before `is_parsed` filtered them. A folder that is missing or unreadable lists
// nothing.
struct LogListing {
  int32_t total_files = 0;
  std::vector<std::string> new_paths;
};
LogListing ListNewLogFiles(const std::string& logs_folder,
                           const std::function<bool(std::string_view name)>& is_parsed);

class ParseDriver {
 public:
  ParseDriver(ParseSettings settings, ParseDatabase& database, RequestSink& requests,
              ParseHooks hooks = {});

  // The whole run; the worker procedure (returns the thread's exit code 0).
  int Run(ProgressDialog& dialog);
  // Parses one file; true when it was read to its end and is now recorded as parsed.
  bool ParseFile(const std::string& path, ProgressDialog& dialog);

  const ParseRunSummary& summary() const { return summary_; }

 private:
  class FileSink;

  // Every new file of the listing, with the database open and its writes begun; ends the run by
  // keeping or undoing them.
  void ParseNewFiles(const std::vector<std::string>& paths, ProgressDialog& dialog);
  // What of a file to read: from where an earlier run stopped, up to the last complete line.
  struct ReadWindow {
    uint64_t start = 0;
    uint64_t end = UINT64_MAX;
    std::string preamble;  // the "#Fields:" line a W3C log read from its middle needs
  };
  ReadWindow WindowOf(const std::string& path, uint64_t size, const LogFormat& format);
  // Whether a parsed file has grown, or has a last line that was left for this run.
  bool HasMoreToRead(const std::string& path) const;
  // Says in parsing.log and the summary why a file could not be read (to its end).
  void ReportUnreadable(const std::string& path, const std::string& reason);
  // The parse of a file whose name is not recorded; true when read to its end.
  bool ParseNewFile(const std::string& path, ProgressDialog& dialog);
  // Autodetect: finds the format and stores it; nullopt when the file is to be skipped.
  std::optional<LogFormat> DetectFileFormat(const std::string& path);
  int64_t MillisecondsSinceStart() const;

  ParseSettings settings_;
  ParseDatabase& database_;
  RequestSink& requests_;
  ParseHooks hooks_;
  ParseLogFile log_;
  LogPositions positions_;
  SteadyClock::time_point started_;
  ParseRunSummary summary_;
};

}  // namespace velmora
