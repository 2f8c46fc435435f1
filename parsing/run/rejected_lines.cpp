#include "parsing/run/rejected_lines.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/formats/format_mismatch.h"
#include "parsing/readers/line_reader.h"
#include "parsing/readers/log_reader.h"

namespace velmora {
namespace {

constexpr std::string_view kFileLine = "Parsing file ";
constexpr std::string_view kFormatLine = "Log file format: ";
constexpr std::string_view kErrorsLine = "Errors: ";
constexpr std::string_view kW3c = "W3C Extended";

}  // namespace

std::vector<ParsedFileEntry> FilesOfParseLog(std::string_view log) {
  std::vector<ParsedFileEntry> files;
  while (!log.empty()) {
    const size_t end = log.find('\n');
    std::string_view line = log.substr(0, end);
    log = end == std::string_view::npos ? std::string_view() : log.substr(end + 1);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with(kFileLine)) {
      const size_t colon = line.find(": ");
      if (colon != std::string_view::npos) {
        files.push_back(ParsedFileEntry{std::string(line.substr(colon + 2)), "", -1});
      }
    } else if (files.empty()) {
      continue;
    } else if (line.starts_with(kFormatLine)) {
      const std::string_view format = line.substr(kFormatLine.size());
      files.back().format = format == kW3c ? "" : std::string(format);
    } else if (line.starts_with(kErrorsLine)) {
      files.back().errors = std::atoll(std::string(line.substr(kErrorsLine.size())).c_str());
    }
  }
  return files;
}

FileRejections FindRejectedLines(const std::string& path, std::string_view format, size_t limit) {
  FileRejections out;
  const CompiledFormat compiled = CompiledFormat::Compile(format);
  std::unique_ptr<LogReader> reader = OpenLogReader(path);
  auto record = std::make_unique<LogRecord>();
  std::string line;
  int64_t number = 1;
  // Lines as the parser reads them: carriage returns dropped, empty lines skipped, the text cut
  // at a zero byte, an overlong line cut where the parser cuts it.
  auto check = [&] {
    const size_t zero = line.find('\0');
    std::string_view text(line.data(), std::min({line.size(), zero, kMaxLineLength}));
    if (text.empty()) return;
    record->Reset();
    if (!MatchLine(text, *record, compiled)) {
      out.lines.push_back(RejectedLine{number, std::string(text), MismatchReason(text, compiled)});
    }
  };
  for (int c = reader->GetChar(); c >= 0 && out.lines.size() < limit; c = reader->GetChar()) {
    if (c == '\n') {
      check();
      line.clear();
      ++number;
    } else if (c != '\r') {
      line.push_back(static_cast<char>(c));
    }
  }
  if (out.lines.size() < limit) check();
  if (reader->failure()) out.failure = *reader->failure();
  return out;
}

}  // namespace velmora
