#include "retrieval/first_entry.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_detection.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/records/log_record.h"

namespace velmora {
namespace {

template <class Take>
void ForEachLine(std::string_view text, Take&& take) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!take(line) || last) return;
    at = end + 1;
  }
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

bool ReadDate(std::string_view text, CalendarTime& t) {
  int y = 0, m = 0, d = 0;
  if (std::sscanf(std::string(text).c_str(), "%d-%d-%d", &y, &m, &d) != 3) return false;
  t.year = static_cast<uint16_t>(y);
  t.month = static_cast<uint16_t>(m);
  t.day = static_cast<uint16_t>(d);
  return true;
}

bool ReadTime(std::string_view text, CalendarTime& t) {
  int h = 0, mi = 0, s = 0;
  if (std::sscanf(std::string(text).c_str(), "%d:%d:%d", &h, &mi, &s) < 2) return false;
  t.hour = static_cast<uint16_t>(h);
  t.minute = static_cast<uint16_t>(mi);
  t.second = static_cast<uint16_t>(s);
  return true;
}

std::optional<CalendarTime> FirstW3c(std::string_view sample) {
  std::vector<std::string> fields;
  std::optional<CalendarTime> defaults;
  std::optional<CalendarTime> found;
  ForEachLine(sample, [&](std::string_view line) {
    if (line.starts_with("#Date:")) {
      const auto words = Words(line.substr(6));
      CalendarTime t;
      if (words.size() >= 2 && ReadDate(words[0], t) && ReadTime(words[1], t)) defaults = t;
      return true;
    }
    if (line.starts_with("#Fields:")) {
      fields.clear();
      for (std::string_view w : Words(line.substr(8))) fields.emplace_back(w);
      return true;
    }
    if (line.empty() || line[0] == '#' || fields.empty()) return true;
    const auto words = Words(line);
    CalendarTime t = defaults.value_or(CalendarTime{});
    bool date = defaults.has_value(), time = defaults.has_value();
    for (size_t i = 0; i < fields.size() && i < words.size(); ++i) {
      if (fields[i] == "date") date = ReadDate(words[i], t);
      if (fields[i] == "time") time = ReadTime(words[i], t);
    }
    if (date && time && IsValidCalendarTime(t)) found = t;
    return false;  // only the first data line counts
  });
  return found;
}

std::optional<CalendarTime> FirstCustom(std::string_view sample, std::string_view format) {
  const CompiledFormat compiled = CompiledFormat::Compile(format);
  auto record = std::make_unique<LogRecord>();
  std::optional<CalendarTime> found;
  ForEachLine(sample, [&](std::string_view line) {
    *record = LogRecord{};
    if (MatchLine(line, *record, compiled) && record->calendar_time.year != 0) {
      found = record->calendar_time;
      return false;
    }
    return true;
  });
  return found;
}

}  // namespace

std::optional<CalendarTime> FirstEntryTime(std::string_view sample, LogFormatMode mode,
                                           std::string_view format_string) {
  switch (mode) {
    case LogFormatMode::kW3cExtended:
      return FirstW3c(sample);
    case LogFormatMode::kCustom:
      return FirstCustom(sample, format_string);
    case LogFormatMode::kAutodetect:
      break;
  }
  FormatDetector detector(format_string);
  ForEachLine(sample, [&](std::string_view line) { return detector.AddLine(line); });
  const std::optional<LogFormat> format = detector.Result();
  if (!format) return std::nullopt;
  return format->is_w3c() ? FirstW3c(sample) : FirstCustom(sample, format->format_string());
}

}  // namespace velmora
