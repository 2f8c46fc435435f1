// A ParseSink that keeps everything a parser tells it, for the parser tests. Test code only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "parsing/lines/parse_sink.h"
#include "parsing/records/log_record.h"

namespace velmora::testing {

// The parts of a record the parser tests look at.
struct SeenRecord {
  bool analysed = false;
  std::string client_host;
  std::string method;
  std::string uri_stem;
  std::string query;
  std::string user_agent;
  std::string referrer;
  int32_t status = 0;
  int32_t bytes_sent = 0;
  int32_t bytes_received = 0;
  CalendarTime calendar_time;
  Ticks time = 0;
};

class RecordingSink : public ParseSink {
 public:
  void WriteLog(std::string_view text) override { log.append(text); }
  void StartFileProgress() override { ++file_starts; }
  void SetFileProgress(int64_t position) override { progress.push_back(position); }
  void AddRunTotals(int64_t lines, int64_t errors) override {
    total_lines += lines;
    total_errors += errors;
  }
  void ProcessRecord(LogRecord& r, bool analysed) override {
    records.push_back(SeenRecord{analysed, std::string(r.client_host.view()),
                                 std::string(r.method.view()), std::string(r.uri_stem.view()),
                                 std::string(r.query.view()), std::string(r.user_agent.view()),
                                 std::string(r.referrer.view()), r.status, r.bytes_sent,
                                 r.bytes_received, r.calendar_time, r.time});
  }

  std::string log;
  int file_starts = 0;
  std::vector<int64_t> progress;
  int64_t total_lines = 0;
  int64_t total_errors = 0;
  std::vector<SeenRecord> records;
};

}  // namespace velmora::testing
