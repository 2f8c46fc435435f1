#include "parsing/lines/w3c_parser.h"

#include <memory>
#include <string>
#include <vector>

#include "core/ascii.h"
#include "parsing/lines/w3c_columns.h"
#include "parsing/readers/line_reader.h"

namespace velmora {
namespace {

constexpr int64_t kProgressEveryLines = 128;
constexpr size_t kDateTimeWordLength = 250;  // the date and time scratch texts keep this much

bool IsW3cSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsW3cSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsW3cSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The rest of `line` after `directive` when the line starts with it, ignoring case.
bool AfterDirective(std::string_view line, std::string_view directive, std::string_view& rest) {
  if (line.size() < directive.size() ||
      !AsciiEqualsIgnoreCase(line.substr(0, directive.size()), directive)) {
    return false;
  }
  rest = line.substr(directive.size());
  return true;
}

// Where one column's words go, resolved when its "#Fields:" directive is read.
struct W3cSlot {
  W3cColumn column = W3cColumn::kIgnored;
  LogText LogRecord::*text = nullptr;
  int32_t LogRecord::*number = nullptr;
};

// What one file's directives have said so far.
struct W3cFileState {
  std::vector<W3cSlot> columns;
  std::string default_date;
  std::string default_time;
  // CloudFront writes the user agent URL-encoded ("Mozilla/5.0%20(X11;...)") so that it stays one
  // word; its columns are known by the edge location it names.
  bool agent_url_encoded = false;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%" and two hexadecimal digits become that byte; anything else stays as written.
void DecodePercentEscapes(LogText& text) {
  const std::string_view encoded = text.view();
  if (encoded.find('%') == std::string_view::npos) return;
  std::string decoded;
  decoded.reserve(encoded.size());
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size() && HexDigit(encoded[i + 1]) >= 0 &&
        HexDigit(encoded[i + 2]) >= 0) {
      decoded.push_back(
          static_cast<char>(HexDigit(encoded[i + 1]) * 16 + HexDigit(encoded[i + 2])));
      i += 2;
    } else {
      decoded.push_back(encoded[i]);
    }
  }
  text.assign(decoded);
}

// A date or time word as far as it is kept.
std::string_view DateTimeWord(std::string_view word) { return word.substr(0, kDateTimeWordLength); }

void AssignWord(std::string& text, std::string_view word) { text.assign(DateTimeWord(word)); }

void ApplyDirective(std::string_view line, W3cFileState& state) {
  std::string_view rest;
  // The words start right after the colon: blanks and tabs before them are skipped by the
  // splitting, so "#Date:2002-05-24" loses nothing.
  if (AfterDirective(line, "#Date:", rest)) {
    state.default_date.clear();
    state.default_time.clear();
    int word_index = 0;
    ForEachW3cWord(rest, [&](std::string_view word) {
      AssignWord(word_index++ == 0 ? state.default_date : state.default_time, word);
      return word_index < 2;
    });
  } else if (AfterDirective(line, "#Fields:", rest)) {
    state.columns.clear();
    state.agent_url_encoded = rest.find("x-edge-location") != std::string_view::npos;
    for (const W3cColumn column : ResolveW3cColumns(rest)) {
      state.columns.push_back({column, W3cTextMember(column), W3cNumberMember(column)});
    }
  }
}

// Fills the record from one data line; false when neither the line nor a "#Date:" directive
// gives the date (or the time), with the error text in `error`.
bool ReadDataLine(std::string_view line, const W3cFileState& state, LogRecord& record,
                  std::string_view& error) {
  // Views of the line's words (or of the directive's): nothing is copied until they are joined.
  std::string_view date;
  std::string_view time;
  size_t column = 0;
  ForEachW3cWord(line, [&](std::string_view word) {
    const W3cSlot& slot = state.columns[column];
    if (slot.text != nullptr) {
      // Borrowed from the line: the record is handed on before the next line is read.
      (record.*slot.text).borrow(word.data(), word.size());
    } else if (slot.number != nullptr) {
      record.*slot.number = W3cNumber(word);
    } else if (slot.column == W3cColumn::kDate) {
      date = DateTimeWord(word);
    } else if (slot.column == W3cColumn::kTime) {
      time = DateTimeWord(word);
    }
    return ++column < state.columns.size();
  });

  if (date.empty()) date = state.default_date;
  if (date.empty()) {
    error = "Log file does not contain date information";
    return false;
  }
  if (time.empty()) time = state.default_time;
  if (time.empty()) {
    error = "Log file does not contain time information";
    return false;
  }
  record.date_time.assign(date);
  record.date_time.append(" ");
  record.date_time.append(time);
  return true;
}

}  // namespace

bool ParseW3C(LogReader& reader, const ParseOptions& options, ParseSink& sink) {
  sink.WriteLog("Log file format: W3C Extended\r\n");
  sink.StartFileProgress();

  auto state = std::make_unique<W3cFileState>();
  auto record = std::make_unique<LogRecord>();
  auto line = std::make_unique<LineBuffer>();
  int64_t lines = 0;
  int empty_lines = 0;

  while (ReadLine(reader, *line)) {
    ++lines;
    if (lines % kProgressEveryLines == 0) {
      sink.SetFileProgress(reader.FileProgress());
      if (!sink.KeepGoing()) return false;
    }
    if (line->truncated()) continue;  // its later columns are lost; W3C counts no errors
    const std::string_view text = Trim(line->view());
    if (text.empty()) {
      if (++empty_lines > kW3cMaxEmptyLines) break;
      continue;
    }
    empty_lines = 0;
    if (text.front() == '#') {
      ApplyDirective(text, *state);
      continue;
    }
    if (state->columns.empty()) continue;

    record->Reset();
    std::string_view error;
    if (!ReadDataLine(text, *state, *record, error)) {
      sink.WriteLog("ERROR: ");
      sink.WriteLog(error);
      return false;
    }
    if (state->agent_url_encoded) DecodePercentEscapes(record->user_agent);
    const bool analysed = CompleteRecord(options, *record);
    sink.ProcessRecord(*record, analysed);
  }

  sink.WriteLog("Lines Processed: " + std::to_string(lines) + "\r\n\r\n");
  sink.AddRunTotals(lines, 0);
  sink.SetFileProgress(kFileProgressRange);
  return true;
}

}  // namespace velmora
