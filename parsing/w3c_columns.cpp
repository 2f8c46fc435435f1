#include "parsing/w3c_columns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>

#include "core/ascii.h"
#include "core/byte_order.h"

namespace velmora {
namespace {

struct NamedColumn {
  std::string_view name;
  W3cColumn column;
};

constexpr std::array<NamedColumn, 19> kColumns = {{
    {"date", W3cColumn::kDate},
    {"time", W3cColumn::kTime},
    {"c-ip", W3cColumn::kClientHost},
    {"cs-username", W3cColumn::kUserName},
    {"s-sitename", W3cColumn::kSiteName},
    {"s-computername", W3cColumn::kServerName},
    {"s-ip", W3cColumn::kServerAddress},
    {"s-port", W3cColumn::kServerPort},
    {"cs-method", W3cColumn::kMethod},
    {"cs-uri-stem", W3cColumn::kUriStem},
    {"cs-uri-query", W3cColumn::kQuery},
    {"sc-status", W3cColumn::kStatus},
    {"sc-bytes", W3cColumn::kBytesSent},
    {"cs-bytes", W3cColumn::kBytesReceived},
    {"time-taken", W3cColumn::kTimeTaken},
    {"cs-version", W3cColumn::kProtocolVersion},
    {"cs-host", W3cColumn::kHostHeader},
    {"cs(User-Agent)", W3cColumn::kUserAgent},
    {"cs(Referer)", W3cColumn::kReferrer},
}};

}  // namespace

W3cColumn W3cColumnForName(std::string_view name) {
  for (const NamedColumn& entry : kColumns) {
    if (AsciiEqualsIgnoreCase(name, entry.name)) return entry.column;
  }
  return W3cColumn::kIgnored;
}

std::vector<W3cColumn> ResolveW3cColumns(std::string_view field_names) {
  std::vector<W3cColumn> columns;
  ForEachW3cWord(field_names, [&columns](std::string_view name) {
    columns.push_back(W3cColumnForName(name));
    return true;
  });
  return columns;
}

LogText* W3cTextField(LogRecord& record, W3cColumn column) {
  switch (column) {
    case W3cColumn::kClientHost:
      return &record.client_host;
    case W3cColumn::kUserName:
      return &record.user_name;
    case W3cColumn::kSiteName:
      return &record.site_name;
    case W3cColumn::kServerName:
      return &record.server_name;
    case W3cColumn::kServerAddress:
      return &record.server_address;
    case W3cColumn::kMethod:
      return &record.method;
    case W3cColumn::kUriStem:
      return &record.uri_stem;
    case W3cColumn::kQuery:
      return &record.query;
    case W3cColumn::kProtocolVersion:
      return &record.protocol_version;
    case W3cColumn::kHostHeader:
      return &record.host_header;
    case W3cColumn::kUserAgent:
      return &record.user_agent;
    case W3cColumn::kReferrer:
      return &record.referrer;
    default:
      return nullptr;
  }
}

int32_t* W3cNumberField(LogRecord& record, W3cColumn column) {
  switch (column) {
    case W3cColumn::kServerPort:
      return &record.server_port;
    case W3cColumn::kStatus:
      return &record.status;
    case W3cColumn::kBytesSent:
      return &record.bytes_sent;
    case W3cColumn::kBytesReceived:
      return &record.bytes_received;
    case W3cColumn::kTimeTaken:
      return &record.time_taken;
    default:
      return nullptr;
  }
}

size_t FindW3cBlank(std::string_view text, size_t from) {
  // Eight bytes at a time: a byte equal to the blank or the tab turns to zero under the xor, and
  // the lowest zero byte of a word is found exactly by the borrow trick (a false mark can only
  // follow a true one). Words average a dozen bytes and user agents a hundred; a byte loop spent
  // more on splitting a line than on everything else the parse thread does with it.
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHighs = 0x8080808080808080;
  const char* p = text.data();
  const size_t n = text.size();
  size_t i = std::min(from, n);
#if defined(__SSE2__)
  // Sixteen at a time where the vector unit every x86-64 has is there; the words then the tail.
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  for (; n - i >= 16; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const int marks =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(bytes, tab)));
    if (marks != 0) return i + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(marks)));
  }
#endif
  for (; n - i >= 8; i += 8) {
    const uint64_t word = LoadLE64(p + i);  // the first byte lowest
    const uint64_t blanks = word ^ (kOnes * ' ');
    const uint64_t tabs = word ^ (kOnes * '\t');
    const uint64_t marks =
        ((blanks - kOnes) & ~blanks & kHighs) | ((tabs - kOnes) & ~tabs & kHighs);
    if (marks != 0) return i + static_cast<size_t>(std::countr_zero(marks) / 8);
  }
  while (i < n && p[i] != ' ' && p[i] != '\t') ++i;
  return i;
}

int32_t W3cNumber(std::string_view word) {
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') break;
    value = std::min<int64_t>(value * 10 + (c - '0'), kMax);
  }
  return static_cast<int32_t>(value);
}

}  // namespace velmora
