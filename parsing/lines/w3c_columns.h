// The columns of a W3C Extended "#Fields:" directive, resolved once per directive into where each
// column's words go, so that data lines are split and stored without comparing any names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/byte_scan.h"
#include "parsing/records/log_record.h"

namespace velmora {

enum class W3cColumn : uint8_t {
  kIgnored,  // a name the analysis does not use
  kDate,
  kTime,
  kClientHost,
  kUserName,
  kSiteName,
  kServerName,
  kServerAddress,
  kServerPort,
  kMethod,
  kUriStem,
  kQuery,
  kStatus,
  kBytesSent,
  kBytesReceived,
  kTimeTaken,
  kProtocolVersion,
  kHostHeader,
  kUserAgent,
  kReferrer,
};

// The column a field name stands for, compared without regard to case ("cs(User-Agent)").
W3cColumn W3cColumnForName(std::string_view name);

// The columns named by the text after "#Fields:", words separated by blanks and tabs.
std::vector<W3cColumn> ResolveW3cColumns(std::string_view field_names);

// Where a text column goes in the record; null for the other columns. Members, not the fields
// of one record, so that a directive's columns are resolved once for all its lines.
LogText LogRecord::*W3cTextMember(W3cColumn column);
// Where a number column goes in the record; null for the other columns.
int32_t LogRecord::*W3cNumberMember(W3cColumn column);

// The decimal value of the word's leading digits: 0 without any, held at INT32_MAX at most.
inline int32_t W3cNumber(std::string_view word) {
  constexpr int64_t kMax = INT32_MAX;
  int64_t value = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value >= kMax) return INT32_MAX;  // more digits only make it larger
  }
  return static_cast<int32_t>(value);
}

// The position of the first blank or tab in `text` at or after `from`, or its size when none.
inline size_t FindW3cBlank(std::string_view text, size_t from) {
  const size_t i = std::min(from, text.size());
  return i + FindEitherByte(text.data() + i, text.size() - i, ' ', '\t');
}

// Splits `text` at runs of blanks and tabs and calls `take(word)` for each word in order; stops
// early when `take` returns false.
template <class Take>
void ForEachW3cWord(std::string_view text, Take take) {
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return;
    const size_t start = i;
    i = FindW3cBlank(text, i);
    if (!take(text.substr(start, i - start))) return;
  }
}

}  // namespace velmora
