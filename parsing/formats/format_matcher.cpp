#include "parsing/formats/format_matcher.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "core/ascii.h"
#include "core/byte_scan.h"
#include "core/tick_time.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

constexpr size_t kNoMatch = std::numeric_limits<size_t>::max();

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the field that starts at `pos`: the characters before its first terminator or the
// end of the line. kNoMatch when more than `width` characters come before a terminator; at the
// very end of the line one character more is accepted.
size_t ScanField(std::string_view line, size_t pos, const FormatToken& token) {
  const size_t available = line.size() - pos;
  const size_t limit = std::min<size_t>(available, size_t{token.width} + 1);
  size_t n = 0;
  if (token.terminator_pair) {
    // Whole vectors past the limit while the line lasts: one compare settles most fields.
    const size_t window = std::min(available, (limit + 15) & ~size_t{15});
    n = std::min(limit, FindEitherByte(line.data() + pos, window, token.terminators_of_pair[0],
                                       token.terminators_of_pair[1]));
  } else {
    while (n < limit && !token.terminators.Contains(line[pos + n])) ++n;
  }
  if (n == available || n <= token.width) return n;
  return kNoMatch;
}

// The value of a number field: digits, with "-" read as "0". Nothing else is accepted. The
// widths keep it below 10^19, so it fits without overflow.
bool ReadNumber(std::string_view text, uint64_t& value) {
  value = 0;
  for (char c : text) {
    if (c == '-') {
      c = '0';
    } else if (!IsDigit(c)) {
      return false;
    }
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

int32_t Saturate32(uint64_t value) {
  return static_cast<int32_t>(std::min<uint64_t>(value, std::numeric_limits<int32_t>::max()));
}

// 1..12 for "Jan".."Dec" in any case, 0 otherwise. Read on every line of most logs, so the three
// letters are folded into one number (c | 0x20 lowers a letter and turns no other byte into one).
int MonthFromAbbreviation(std::string_view text) {
  if (text.size() != 3) return 0;
  const uint32_t key = (uint32_t{static_cast<unsigned char>(text[0])} << 16 |
                        uint32_t{static_cast<unsigned char>(text[1])} << 8 |
                        uint32_t{static_cast<unsigned char>(text[2])}) |
                       0x202020u;
  constexpr auto kKey = [](const char(&m)[4]) {
    return uint32_t{static_cast<unsigned char>(m[0])} << 16 |
           uint32_t{static_cast<unsigned char>(m[1])} << 8 |
           uint32_t{static_cast<unsigned char>(m[2])};
  };
  switch (key) {
    case kKey("jan"):
      return 1;
    case kKey("feb"):
      return 2;
    case kKey("mar"):
      return 3;
    case kKey("apr"):
      return 4;
    case kKey("may"):
      return 5;
    case kKey("jun"):
      return 6;
    case kKey("jul"):
      return 7;
    case kKey("aug"):
      return 8;
    case kKey("sep"):
      return 9;
    case kKey("oct"):
      return 10;
    case kKey("nov"):
      return 11;
    case kKey("dec"):
      return 12;
    default:
      return 0;
  }
}

// Stores a matched text as the caller asked: copied, or borrowed from the line.
void SetText(LogText& text, std::string_view value, MatchedTexts how) {
  if (how == MatchedTexts::kBorrowed) {
    text.borrow(value.data(), value.size());
  } else {
    text.assign(value);
  }
}

// The dotted address of %s: three groups of one to three digits each followed by ".", then a
// fourth group that ends like any field. The host is stored exactly as written.
size_t MatchDottedAddress(std::string_view line, size_t pos, const FormatToken& token,
                          LogRecord& record, MatchedTexts how) {
  const size_t start = pos;
  for (int group = 0; group < 3; ++group) {
    size_t digits = 0;
    while (digits < 3 && pos < line.size() && IsDigit(line[pos])) {
      ++digits;
      ++pos;
    }
    if (digits == 0 || pos >= line.size() || line[pos] != '.') return kNoMatch;
    ++pos;
  }
  const size_t n = ScanField(line, pos, token);
  if (n == kNoMatch || n == 0) return kNoMatch;
  if (!std::all_of(line.begin() + pos, line.begin() + pos + n, IsDigit)) return kNoMatch;
  pos += n;
  SetText(record.client_host, line.substr(start, pos - start), how);
  return pos;
}

}  // namespace

bool MatchPattern(std::string_view line, LogRecord& record, const CompiledFormat& format,
                  MatchedTexts how) {
  using K = FormatTokenKind;
  size_t pos = 0;
  bool hour_read = false;  // %a applies to an hour read earlier in this line only

  for (const FormatToken& token : format.tokens()) {
    switch (token.kind) {
      case K::kLiteral: {
        const std::string_view literal = format.Literal(token);
        // Literals are mostly one or two characters: a loop beats a call to memcmp.
        if (line.size() - pos < literal.size()) return false;
        for (size_t i = 0; i < literal.size(); ++i) {
          if (line[pos + i] != literal[i]) return false;
        }
        pos += literal.size();
        continue;
      }
      case K::kBlanks:
      case K::kOptionalBlanks: {
        const size_t start = pos;
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        if (token.kind == K::kBlanks && pos == start) return false;
        continue;
      }
      case K::kDottedAddress:
        pos = MatchDottedAddress(line, pos, token, record, how);
        if (pos == kNoMatch) return false;
        continue;
      default:
        break;
    }

    const size_t n = ScanField(line, pos, token);
    if (n == kNoMatch) return false;
    const std::string_view text = line.substr(pos, n);
    pos += n;

    switch (token.kind) {
      case K::kSkipAny:
        break;
      case K::kSkipNonEmpty:
        if (text.empty()) return false;
        break;
      case K::kClientHost:
      case K::kMethod:
      case K::kUri:
      case K::kQuery:
      case K::kReferrer:
      case K::kUserAgent: {
        if (text.empty()) return false;
        if (token.kind == K::kClientHost) {
          SetText(record.client_host, text, how);
        } else if (token.kind == K::kMethod) {
          SetText(record.method, text, how);
        } else if (token.kind == K::kQuery) {
          SetText(record.query, text, how);
        } else if (token.kind == K::kReferrer) {
          SetText(record.referrer, text, how);
        } else if (token.kind == K::kUserAgent) {
          SetText(record.user_agent, text, how);
        } else {
          const size_t question = text.find('?');
          SetText(record.uri_stem, text.substr(0, question), how);
          if (question != std::string_view::npos) {
            SetText(record.query, text.substr(question + 1), how);
          }
        }
        break;
      }
      case K::kMonthName: {
        const int month = MonthFromAbbreviation(text);
        if (month == 0) return false;
        record.calendar_time.month = static_cast<uint16_t>(month);
        break;
      }
      case K::kAmPm: {
        if (text.size() != 1 || !hour_read) return false;
        uint16_t& hour = record.calendar_time.hour;
        if (hour < 1 || hour > 12) return false;
        if ((text[0] == 'a' || text[0] == 'A') && hour == 12) {
          hour = 0;
        } else if ((text[0] == 'p' || text[0] == 'P') && hour < 12) {
          hour = static_cast<uint16_t>(hour + 12);
        }
        break;
      }
      default: {
        uint64_t value = 0;
        if (!ReadNumber(text, value)) return false;
        CalendarTime& when = record.calendar_time;
        switch (token.kind) {
          case K::kStatus:
            if (value < 100 || value > 599) return false;
            record.status = static_cast<int32_t>(value);
            break;
          case K::kBytesSent:
            record.bytes_sent = Saturate32(value);
            break;
          case K::kTimeTakenMs:
            record.time_taken = Saturate32(value);
            break;
          case K::kTimeTakenSeconds:
            // Saturates instead of wrapping: nine digits of seconds exceed 32 bits of ms.
            record.time_taken = Saturate32(value * 1000);
            break;
          case K::kUnixTime:
            SetUnixTime(record, value);
            break;
          case K::kYear4:
            if (text.size() != 4 || value < 1930 || value > 2070) return false;
            when.year = static_cast<uint16_t>(value);
            break;
          case K::kYear2:
            if (text.size() != 2) return false;
            when.year = static_cast<uint16_t>(value < 70 ? 2000 + value : 1900 + value);
            break;
          case K::kMonth:
            if (value < 1 || value > 12) return false;
            when.month = static_cast<uint16_t>(value);
            break;
          case K::kDay:
            if (value < 1 || value > 31) return false;
            when.day = static_cast<uint16_t>(value);
            break;
          case K::kHour:
            if (value > 23) return false;
            when.hour = static_cast<uint16_t>(value);
            hour_read = true;
            break;
          case K::kMinute:
            if (value > 59) return false;
            when.minute = static_cast<uint16_t>(value);
            break;
          case K::kSecond:
            if (value > 59) return false;
            when.second = static_cast<uint16_t>(value);
            break;
          default:
            return false;  // every kind is handled above; a new one must not match silently
        }
      }
    }
  }
  return pos == line.size();
}

bool MatchLine(std::string_view line, LogRecord& record, std::string_view format) {
  return MatchLine(line, record, CompiledFormat::Compile(format));
}

}  // namespace velmora
