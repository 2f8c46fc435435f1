#include "parsing/formats/layout_names.h"

#include <memory>

#include "parsing/formats/format_candidates.h"
#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/formats/log_format.h"
#include "parsing/records/log_record.h"

namespace velmora {

int CountExtraFields(std::string_view extras) {
  int count = 0;
  size_t i = 0;
  while (true) {
    while (i < extras.size() && (extras[i] == ' ' || extras[i] == '\t')) ++i;
    if (i == extras.size()) return count;
    ++count;
    if (extras[i] == '"') {
      for (++i; i < extras.size() && extras[i] != '"'; ++i) {
        if (extras[i] == '\\') ++i;
      }
      if (i < extras.size()) ++i;  // the closing quote
    }
    while (i < extras.size() && extras[i] != ' ' && extras[i] != '\t') ++i;
  }
}

std::string LayoutName(std::string_view format_string, std::string_view sample_line) {
  std::string name = "custom format";
  for (const FormatCandidate& candidate : FormatCandidateTable()) {
    if (candidate.format == format_string) {
      name = candidate.layout;
      break;
    }
  }
  // The extra fields are what the closing "%W%j" skips: read them into the query instead.
  constexpr std::string_view kExtras = "%W%j";
  if (!format_string.ends_with(kExtras)) return name;
  std::string reading(format_string.substr(0, format_string.size() - 1));
  reading += 'q';
  auto record = std::make_unique<LogRecord>();
  record->Reset();
  const bool any = MatchLine(sample_line, *record, CompiledFormat::Compile(reading));
  const int fields = any ? CountExtraFields(record->query.view()) : 0;
  if (fields > 0) name += " + " + std::to_string(fields) + (fields == 1 ? " field" : " fields");
  return name;
}

std::string W3cLayoutName(std::string_view fields_line) {
  // Every CloudFront file names its edge location; no other server writes x-edge columns.
  if (fields_line.find("x-edge-location") != std::string_view::npos) {
    return "Amazon CloudFront (W3C Extended)";
  }
  return std::string(kW3cExtendedMarker);
}

}  // namespace velmora
