#include "parsing/formats/format_compiler.h"

#include <algorithm>
#include <optional>

#include "parsing/formats/named_layouts.h"

namespace velmora {
namespace {

struct FieldShape {
  FormatTokenKind kind;
  uint32_t width;
};

constexpr uint32_t kTextWidth = 2048;
// The request and the referrer hold a query of up to 64 KiB besides their 2,048 characters
// (which is all the record keeps of them): such a line is a request to count, not an error.
constexpr uint32_t kUrlWidth = 2048 + 65536;
constexpr uint32_t kNumberWidth = 9;

// The field a token letter names, or nothing for a letter the language does not know.
std::optional<FieldShape> FieldForLetter(char letter) {
  using K = FormatTokenKind;
  switch (letter) {
    case 'S':
      return FieldShape{K::kClientHost, kTextWidth};
    case 's':
      return FieldShape{K::kDottedAddress, 3};
    case 'u':
    case 'v':
      return FieldShape{K::kSkipNonEmpty, kUnlimitedWidth};
    case 'j':
      return FieldShape{K::kSkipAny, kUnlimitedWidth};
    case 'e':
      return FieldShape{K::kMethod, kTextWidth};
    case 'r':
      return FieldShape{K::kUri, kUrlWidth};
    case 'q':
      return FieldShape{K::kQuery, kUrlWidth};
    case 'f':
      return FieldShape{K::kReferrer, kUrlWidth};
    case 'A':
    case 'B':
      return FieldShape{K::kUserAgent, kTextWidth};
    case 'c':
      return FieldShape{K::kStatus, kNumberWidth};
    case 'b':
      return FieldShape{K::kBytesSent, kNumberWidth};
    case 'T':
      return FieldShape{K::kTimeTakenMs, kNumberWidth};
    case 't':
      return FieldShape{K::kTimeTakenSeconds, kNumberWidth};
    case 'U':
      return FieldShape{K::kUnixTime, 18};
    case 'Y':
      return FieldShape{K::kYear4, 4};
    case 'y':
      return FieldShape{K::kYear2, 2};
    case 'm':
      return FieldShape{K::kMonth, 2};
    case 'M':
      return FieldShape{K::kMonthName, 3};
    case 'd':
      return FieldShape{K::kDay, 2};
    case 'h':
      return FieldShape{K::kHour, 2};
    case 'n':
      return FieldShape{K::kMinute, 2};
    case 'o':
      return FieldShape{K::kSecond, 2};
    case 'a':
      return FieldShape{K::kAmPm, 1};
    case 'w':
      return FieldShape{K::kBlanks, kUnlimitedWidth};
    case 'W':
      return FieldShape{K::kOptionalBlanks, kUnlimitedWidth};
    default:
      return std::nullopt;
  }
}

// What ends a field is fixed by the format text right after its token letter, not by the token
// that text compiles to: "%x" (which matches nothing) still makes the digits terminators.
TerminatorSet TerminatorsAt(std::string_view format, size_t next) {
  TerminatorSet set;
  if (next >= format.size()) return set;  // the field runs to the end of the line
  const char c = format[next];
  const char after = next + 1 < format.size() ? format[next + 1] : '\0';
  if (c == '%') {
    if (after == 'w' || after == 'W') {
      set.Add(' ');
      set.Add('\t');
      if (after == 'W' && next + 2 < format.size()) {
        set.Add(static_cast<unsigned char>(format[next + 2]));
      }
    } else {
      for (unsigned char d = '0'; d <= '9'; ++d) set.Add(d);
    }
  } else if (c == '\\') {
    set.Add(after == 't' ? '\t' : after == 'n' ? '\n' : '\\');
  } else {
    set.Add(static_cast<unsigned char>(c));
  }
  return set;
}

}  // namespace

bool CompiledFormat::IsHeaderLine(std::string_view line) const {
  return named_ != nullptr && !named_->header.empty() && line.starts_with(named_->header);
}

CompiledFormat CompiledFormat::Compile(std::string_view format) {
  CompiledFormat out;
  out.text_ = std::string(format);
  out.named_ = FindNamedLayout(format);
  if (out.named_ != nullptr) return out;  // no tokens: MatchLine hands lines to its parser

  // Appends one literal character, growing the current literal run when the last token is one.
  auto add_literal = [&out](char c) {
    if (out.tokens_.empty() || out.tokens_.back().kind != FormatTokenKind::kLiteral) {
      FormatToken token;
      token.literal_offset = static_cast<uint32_t>(out.literals_.size());
      out.tokens_.push_back(token);
    }
    out.literals_.push_back(c);
    ++out.tokens_.back().literal_length;
  };

  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c == '%') {
      if (i + 1 >= format.size()) break;  // a "%" at the very end ends the format
      const char letter = format[i + 1];
      i += 2;
      if (letter == '%') {
        add_literal('%');
      } else if (const std::optional<FieldShape> field = FieldForLetter(letter)) {
        FormatToken token;
        token.kind = field->kind;
        token.width = field->width;
        token.terminators = TerminatorsAt(format, i);
        token.terminator_pair =
            token.terminators.OneOrTwo(token.terminators_of_pair[0], token.terminators_of_pair[1]);
        out.tokens_.push_back(token);
      }
      // Any other letter is ignored: it matches nothing.
    } else if (c == '\\') {
      const char next = i + 1 < format.size() ? format[i + 1] : '\0';
      if (next == 't' || next == 'n' || next == '\\') {
        add_literal(next == 't' ? '\t' : next == 'n' ? '\n' : '\\');
        i += 2;
      } else {
        // A lone backslash matches itself; what follows it is read as the next item.
        add_literal('\\');
        i += 1;
      }
    } else {
      add_literal(c);
      i += 1;
    }
  }
  return out;
}

CompiledFormat CompiledFormat::FirstTokensThenRest(size_t count) const {
  CompiledFormat out = *this;
  out.tokens_.resize(std::min(count, tokens_.size()));
  FormatToken rest;
  rest.kind = FormatTokenKind::kSkipAny;
  rest.width = kUnlimitedWidth;
  out.tokens_.push_back(rest);
  return out;
}

}  // namespace velmora
