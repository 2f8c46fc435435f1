#include "parsing/formats/format_mismatch.h"

#include <memory>

#include "parsing/formats/format_matcher.h"

namespace velmora {
namespace {

struct FieldName {
  FormatTokenKind kind;
  std::string_view token;
  std::string_view name;
};

// Each field's letter and what it holds, as the format language documents them.
constexpr FieldName kFieldNames[] = {
    {FormatTokenKind::kClientHost, "%S", "client host"},
    {FormatTokenKind::kDottedAddress, "%s", "client address"},
    {FormatTokenKind::kSkipNonEmpty, "%u", "skipped field"},
    {FormatTokenKind::kSkipAny, "%j", "skipped text"},
    {FormatTokenKind::kMethod, "%e", "method"},
    {FormatTokenKind::kUri, "%r", "requested path"},
    {FormatTokenKind::kQuery, "%q", "query string"},
    {FormatTokenKind::kReferrer, "%f", "referrer"},
    {FormatTokenKind::kUserAgent, "%A", "user agent"},
    {FormatTokenKind::kStatus, "%c", "status"},
    {FormatTokenKind::kBytesSent, "%b", "bytes sent"},
    {FormatTokenKind::kTimeTakenMs, "%T", "time taken"},
    {FormatTokenKind::kTimeTakenSeconds, "%t", "time taken"},
    {FormatTokenKind::kUnixTime, "%U", "Unix time"},
    {FormatTokenKind::kYear4, "%Y", "year"},
    {FormatTokenKind::kYear2, "%y", "year"},
    {FormatTokenKind::kMonth, "%m", "month"},
    {FormatTokenKind::kMonthName, "%M", "month name"},
    {FormatTokenKind::kDay, "%d", "day"},
    {FormatTokenKind::kHour, "%h", "hour"},
    {FormatTokenKind::kMinute, "%n", "minute"},
    {FormatTokenKind::kSecond, "%o", "second"},
    {FormatTokenKind::kAmPm, "%a", "AM/PM mark"},
    {FormatTokenKind::kBlanks, "%w", "blanks"},
    {FormatTokenKind::kOptionalBlanks, "%W", "blanks"},
};

std::string Describe(const CompiledFormat& format, const FormatToken& token) {
  if (token.kind == FormatTokenKind::kLiteral) {
    return "the text '" + std::string(format.Literal(token)) + "' is not where the format has it";
  }
  for (const FieldName& field : kFieldNames) {
    if (field.kind == token.kind) {
      return "the " + std::string(field.name) + " (" + std::string(field.token) + ") does not fit";
    }
  }
  return "a field does not fit";
}

}  // namespace

std::string MismatchReason(std::string_view line, const CompiledFormat& format) {
  auto record = std::make_unique<LogRecord>();
  if (MatchLine(line, *record, format)) return "";
  const size_t count = format.tokens().size();
  for (size_t k = 1; k <= count; ++k) {
    record->Reset();
    if (!MatchLine(line, *record, format.FirstTokensThenRest(k))) {
      return Describe(format, format.tokens()[k - 1]);
    }
  }
  return "the line goes on after the format ends";
}

}  // namespace velmora
