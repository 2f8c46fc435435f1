// The custom log format language, compiled. A format string is read once, left to right, into a
// list of tokens: literal runs and fields, each field carrying its width and the set of
// characters that ends it (resolved from the format text that follows the token letter). Lines
// are then matched against the tokens (format_matcher.h) without looking at the text again.
//
// Every string is a valid format: unknown "%x" pairs compile to nothing, a "%" at the very end
// ends the format, a backslash at the very end is a literal backslash. A whole format of the form
// "%{name}" that names a layout of named_layouts.h compiles to that layout instead of tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct NamedLayout;

// The characters that end a field: 256 bits, one per byte value.
class TerminatorSet {
 public:
  constexpr void Add(unsigned char c) { bits_[c >> 6] |= uint64_t{1} << (c & 63); }
  constexpr bool Contains(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return (bits_[u >> 6] >> (u & 63)) & 1;
  }
  constexpr bool empty() const { return (bits_[0] | bits_[1] | bits_[2] | bits_[3]) == 0; }
  // The set's characters when it holds one or two (the one twice); false when none or more.
  constexpr bool OneOrTwo(char& first, char& second) const {
    int found[2] = {-1, -1};
    int count = 0;
    for (int word = 0; word < 4; ++word) {
      for (uint64_t bits = bits_[word]; bits != 0; bits &= bits - 1) {
        if (count == 2) return false;
        found[count++] = word * 64 + __builtin_ctzll(bits);
      }
    }
    if (count == 0) return false;
    first = static_cast<char>(found[0]);
    second = static_cast<char>(found[count - 1]);
    return true;
  }
  friend constexpr bool operator==(const TerminatorSet&, const TerminatorSet&) = default;

 private:
  uint64_t bits_[4] = {0, 0, 0, 0};
};

enum class FormatTokenKind : uint8_t {
  kLiteral,           // a run of characters that must appear as written (also "%%", escapes)
  kClientHost,        // %S
  kDottedAddress,     // %s
  kSkipNonEmpty,      // %u %v
  kSkipAny,           // %j
  kMethod,            // %e
  kUri,               // %r: the stem, and the query after a "?"
  kQuery,             // %q
  kReferrer,          // %f
  kUserAgent,         // %A %B
  kStatus,            // %c
  kBytesSent,         // %b
  kTimeTakenMs,       // %T
  kTimeTakenSeconds,  // %t
  kUnixTime,          // %U
  kYear4,             // %Y
  kYear2,             // %y
  kMonth,             // %m
  kMonthName,         // %M
  kDay,               // %d
  kHour,              // %h
  kMinute,            // %n
  kSecond,            // %o
  kAmPm,              // %a
  kBlanks,            // %w
  kOptionalBlanks,    // %W
};

// A field without a width limit.
inline constexpr uint32_t kUnlimitedWidth = UINT32_MAX;

struct FormatToken {
  FormatTokenKind kind = FormatTokenKind::kLiteral;
  uint32_t width = 0;           // most characters before the terminator (fields only)
  uint32_t literal_offset = 0;  // kLiteral: where its characters sit in literals()
  uint32_t literal_length = 0;
  TerminatorSet terminators;  // empty when the field runs to the end of the line
  // When `terminators` holds one or two characters, they (the one twice), for a vector search.
  bool terminator_pair = false;
  char terminators_of_pair[2] = {0, 0};
};

class CompiledFormat {
 public:
  CompiledFormat() = default;
  static CompiledFormat Compile(std::string_view format);

  std::span<const FormatToken> tokens() const { return tokens_; }
  std::string_view Literal(const FormatToken& token) const {
    return std::string_view(literals_).substr(token.literal_offset, token.literal_length);
  }
  // The format string this was compiled from.
  const std::string& text() const { return text_; }
  // The first `count` tokens, then a field that takes whatever the line holds after them: a line
  // matches it when it matches the format that far (used to find where a line stops matching).
  CompiledFormat FirstTokensThenRest(size_t count) const;
  // The layout a "%{name}" format names (named_layouts.h), or null for a pattern.
  const NamedLayout* named() const { return named_; }
  // True for the header line of a named layout that has one: no request, and no error.
  bool IsHeaderLine(std::string_view line) const;

 private:
  std::string text_;
  const NamedLayout* named_ = nullptr;
  std::string literals_;
  std::vector<FormatToken> tokens_;
};

}  // namespace velmora
