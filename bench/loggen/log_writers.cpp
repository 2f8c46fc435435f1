#include "bench/loggen/log_writers.h"

#include <charconv>

namespace velmora::loggen {
namespace {

void AppendUint(std::string& out, uint64_t n) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof(buffer), n).ptr;
  out.append(buffer, end);
}

void AppendTwoDigits(std::string& out, uint32_t n) {
  out += static_cast<char>('0' + n / 10 % 10);
  out += static_cast<char>('0' + n % 10);
}

void AppendAddress(std::string& out, uint32_t address) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    AppendUint(out, (address >> shift) & 0xFF);
    if (shift != 0) out += '.';
  }
}

void AppendOrDash(std::string& out, std::string_view text) {
  if (text.empty()) {
    out += '-';
  } else {
    out += text;
  }
}

void AppendClock(std::string& out, int64_t time) {
  const auto seconds = static_cast<uint32_t>(time % 86400);
  AppendTwoDigits(out, seconds / 3600);
  out += ':';
  AppendTwoDigits(out, seconds / 60 % 60);
  out += ':';
  AppendTwoDigits(out, seconds % 60);
}

// W3C columns are blank-separated: the agent's blanks become '+', as IIS writes them.
void AppendW3cText(std::string& out, std::string_view text) {
  if (text.empty()) {
    out += '-';
    return;
  }
  for (const char c : text) out += c == ' ' ? '+' : c;
}

constexpr std::string_view kW3cFields =
    "#Fields: date time c-ip cs-username s-ip s-port cs-method cs-uri-stem cs-uri-query "
    "sc-status sc-bytes cs-bytes time-taken cs(User-Agent) cs(Referer)\n";

}  // namespace

std::optional<LogLayout> ParseLogLayout(std::string_view name) {
  if (name == "combined") return LogLayout::kCombined;
  if (name == "common") return LogLayout::kCommon;
  if (name == "w3c") return LogLayout::kW3c;
  if (name == "iis") return LogLayout::kIis;
  if (name == "tsv") return LogLayout::kTsv;
  return std::nullopt;
}

std::optional<CalendarTime> ParseStartDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto number = [&](size_t pos, size_t len) -> int {
    int value = 0;
    for (size_t i = pos; i < pos + len; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  if (year < 1601 || month < 0 || day < 0) return std::nullopt;
  CalendarTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  if (!IsValidCalendarTime(t)) return std::nullopt;
  return t;
}

LineWriter::LineWriter(LogLayout layout, const CalendarTime& start_date)
    : layout_(layout), start_(CalendarToTicks(start_date).value_or(0)) {}

void LineWriter::EnterDay(int64_t day) {
  day_ = day;
  const CalendarTime c = TicksToCalendar(start_ + static_cast<Ticks>(day) * kTicksPerDay);
  w3c_date_.clear();
  AppendUint(w3c_date_, c.year);
  w3c_date_ += '-';
  AppendTwoDigits(w3c_date_, c.month);
  w3c_date_ += '-';
  AppendTwoDigits(w3c_date_, c.day);

  date_.clear();
  switch (layout_) {
    case LogLayout::kCombined:
    case LogLayout::kCommon:
      AppendTwoDigits(date_, c.day);
      date_ += '/';
      date_ += MonthAbbreviation(c.month);
      date_ += '/';
      AppendUint(date_, c.year);
      break;
    case LogLayout::kW3c:
      date_ = w3c_date_;
      break;
    case LogLayout::kIis:
      AppendUint(date_, c.month);
      date_ += '/';
      AppendUint(date_, c.day);
      date_ += '/';
      AppendUint(date_, c.year);
      break;
    case LogLayout::kTsv:
      AppendTwoDigits(date_, c.month);
      date_ += '/';
      AppendTwoDigits(date_, c.day);
      date_ += '/';
      AppendTwoDigits(date_, c.year % 100);
      break;
  }
}

void LineWriter::Append(const Request& r, std::string& out) {
  const int64_t day = r.time / 86400;
  if (day != day_) EnterDay(day);
  switch (layout_) {
    case LogLayout::kCombined:
      AppendCombined(r, true, out);
      break;
    case LogLayout::kCommon:
      AppendCombined(r, false, out);
      break;
    case LogLayout::kW3c:
      AppendW3c(r, out);
      break;
    case LogLayout::kIis:
      AppendIis(r, out);
      break;
    case LogLayout::kTsv:
      AppendTsv(r, out);
      break;
  }
}

void LineWriter::AppendCombined(const Request& r, bool with_agent, std::string& out) {
  if (r.client_host.empty()) {
    AppendAddress(out, r.client_address);
  } else {
    out += r.client_host;
  }
  out += " - ";
  AppendOrDash(out, r.user);
  out += " [";
  out += date_;
  out += ':';
  AppendClock(out, r.time);
  out += " +0000] \"";
  out += r.method;
  out += ' ';
  out += r.resource->url;
  out += r.http10 ? " HTTP/1.0\" " : " HTTP/1.1\" ";
  AppendUint(out, r.status);
  out += ' ';
  if (r.bytes_sent == 0) {
    out += '-';
  } else {
    AppendUint(out, r.bytes_sent);
  }
  if (with_agent) {
    out += " \"";
    AppendOrDash(out, r.referrer);
    out += "\" \"";
    AppendOrDash(out, r.user_agent);
    out += '"';
  }
  out += '\n';
}

// IIS starts each day's log with the directive block; a log that spans days repeats it.
void LineWriter::AppendW3cHeader(const Request& r, std::string& out) {
  out += "#Software: Microsoft Internet Information Services 10.0\n#Version: 1.0\n#Date: ";
  out += w3c_date_;
  out += ' ';
  AppendClock(out, r.time);
  out += '\n';
  out += kW3cFields;
}

void LineWriter::AppendW3c(const Request& r, std::string& out) {
  if (day_ > header_day_) {
    header_day_ = day_;
    AppendW3cHeader(r, out);
  }
  out += date_;
  out += ' ';
  AppendClock(out, r.time);
  out += ' ';
  AppendAddress(out, r.client_address);
  out += ' ';
  AppendOrDash(out, r.user);
  out += ' ';
  out += kServerAddress;
  out += ' ';
  AppendUint(out, r.server_port);
  out += ' ';
  out += r.method;
  out += ' ';
  out += r.resource->stem();
  out += ' ';
  AppendOrDash(out, r.resource->query());
  out += ' ';
  AppendUint(out, r.status);
  out += ' ';
  AppendUint(out, r.bytes_sent);
  out += ' ';
  AppendUint(out, r.bytes_received);
  out += ' ';
  AppendUint(out, r.time_taken_ms);
  out += ' ';
  AppendW3cText(out, r.user_agent);
  out += ' ';
  AppendW3cText(out, r.referrer);
  out += '\n';
}

void LineWriter::AppendIis(const Request& r, std::string& out) {
  AppendAddress(out, r.client_address);
  out += ", ";
  AppendOrDash(out, r.user);
  out += ", ";
  out += date_;
  out += ", ";
  AppendClock(out, r.time);
  out += ", W3SVC1, WEB01, ";
  out += kServerAddress;
  out += ", ";
  AppendUint(out, r.time_taken_ms);
  out += ", ";
  AppendUint(out, r.bytes_received);
  out += ", ";
  AppendUint(out, r.bytes_sent);
  out += ", ";
  AppendUint(out, r.status);
  out += ", ";
  AppendUint(out, r.win32_status);
  out += ", ";
  out += r.method;
  out += ", ";
  out += r.resource->stem();
  out += ", ";
  AppendOrDash(out, r.resource->query());
  out += ",\n";
}

void LineWriter::AppendTsv(const Request& r, std::string& out) {
  out += date_;
  out += ' ';
  AppendClock(out, r.time);
  out += '\t';
  AppendAddress(out, r.client_address);
  out += '\t';
  out += kServerAddress;
  out += "\tW3SVC1\t";
  AppendOrDash(out, r.user);
  out += '\t';
  out += r.method;
  out += '\t';
  out += r.resource->url;
  out += '\t';
  AppendOrDash(out, r.referrer);
  out += "\twww.example.com\t";
  AppendOrDash(out, r.user_agent);
  out += '\t';
  AppendUint(out, r.status);
  out += '\t';
  AppendUint(out, r.bytes_sent);
  out += '\t';
  AppendUint(out, r.time_taken_ms);
  out += '\n';
}

}  // namespace velmora::loggen
