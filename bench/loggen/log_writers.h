// Turns generated requests into the text of access logs in five layouts:
//   combined  NCSA combined: host ident user [dd/Mon/yyyy:HH:MM:SS +0000] "METHOD /url HTTP/1.1"
//             status bytes "referrer" "user agent"
//   common    the same without referrer and agent
//   w3c       W3C Extended, as IIS writes it: a #Software/#Version/#Date/#Fields block at the
//             start and again at each new day, blank-separated columns, '+' for blanks in the
//             agent
//   iis       the IIS comma-separated native layout, one line per request
//   tsv       tab-separated: "MM/DD/YY HH:MM:SS", client ip, server ip, site, user, method, url,
//             referrer, host, user agent, status, bytes, time taken (ms)
// Times are GMT, counted from 00:00 of the start date. An empty field is written "-", as servers
// write it, and every line ends with a single line feed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bench/loggen/traffic_model.h"
#include "core/tick_time.h"

namespace velmora::loggen {

enum class LogLayout : uint8_t { kCombined, kCommon, kW3c, kIis, kTsv };

std::optional<LogLayout> ParseLogLayout(std::string_view name);

// Reads "yyyy-mm-dd" as a valid date in 1601..9999; nullopt for anything else.
std::optional<CalendarTime> ParseStartDate(std::string_view text);

// The address the generated server answers on, in the layouts that log it.
inline constexpr std::string_view kServerAddress = "203.0.113.10";

class LineWriter {
 public:
  LineWriter(LogLayout layout, const CalendarTime& start_date);

  // Appends the line of `r` to `out`, preceded by the directives the layout needs at this time.
  void Append(const Request& r, std::string& out);

 private:
  void EnterDay(int64_t day);
  void AppendW3cHeader(const Request& r, std::string& out);
  void AppendCombined(const Request& r, bool with_agent, std::string& out);
  void AppendW3c(const Request& r, std::string& out);
  void AppendIis(const Request& r, std::string& out);
  void AppendTsv(const Request& r, std::string& out);

  LogLayout layout_;
  Ticks start_ = 0;
  int64_t day_ = -1;         // day whose date text is cached
  int64_t header_day_ = -1;  // newest day that has its W3C directives
  std::string date_;         // the cached day in the layout's date form
  std::string w3c_date_;     // the cached day as yyyy-mm-dd, for #Date
};

}  // namespace velmora::loggen
