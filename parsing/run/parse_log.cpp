#include "parsing/run/parse_log.h"

namespace velmora {

bool ParseLogFile::Create(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void ParseLogFile::Write(std::string_view text) {
  if (file_ == nullptr || text.empty()) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

void ParseLogFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

std::string FormatParseLogTime(Ticks utc) {
  const CalendarTime t = TicksToCalendar(utc);
  auto digit = [](int value) { return static_cast<char>('0' + value % 10); };
  std::string out;
  out += {digit(t.hour / 10),
          digit(t.hour),
          ':',
          digit(t.minute / 10),
          digit(t.minute),
          ':',
          digit(t.second / 10),
          digit(t.second),
          '.',
          digit(t.milliseconds / 100),
          digit(t.milliseconds / 10),
          digit(t.milliseconds),
          ' '};
  out += MonthName(t.month);
  out += ' ' + std::to_string(t.day) + ", " + std::to_string(t.year) + " UTC";
  return out;
}

std::string FormatRunSummary(const RunSummaryFigures& f) {
  const int64_t average_ms = f.new_files > 0 ? f.run_time_ms / f.new_files : 0;
  const int64_t lines_per_second = f.run_time_ms > 0 ? f.total_lines * 1000 / f.run_time_ms : 0;
  return "\r\n------------------------------\r\nTotal lines processed: " +
         std::to_string(f.total_lines) + "\r\nTotal errors: " + std::to_string(f.total_errors) +
         "\r\nAverage file processing time: " + std::to_string(average_ms) +
         " milliseconds\r\nAverage lines per second: " + std::to_string(lines_per_second) +
         "\r\n\r\n";
}

}  // namespace velmora
