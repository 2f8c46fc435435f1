#include "analysis/rules/network_text.h"

#include <algorithm>
#include <cstddef>
#include <optional>

namespace velmora {
namespace {

// Enough for any number the clamps care about; longer digit runs saturate here.
constexpr int64_t kSaturated = 1'000'000'000'000;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d": blanks, an optional sign, at least one digit. Advances `pos` past it on success and
// leaves it unspecified otherwise (reading ends there anyway).
std::optional<int64_t> ReadNumber(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const size_t digits_start = pos;
  int64_t value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = std::min(value * 10 + (text[pos] - '0'), kSaturated);
    ++pos;
  }
  if (pos == digits_start) return std::nullopt;
  return negative ? -value : value;
}

uint32_t Clamp(int64_t value, int64_t high) {
  return static_cast<uint32_t>(std::clamp<int64_t>(value, 0, high));
}

}  // namespace

NetworkAddress ParseNetworkText(std::string_view text) {
  constexpr char kSeparators[] = {'.', '.', '.', '/'};
  int64_t numbers[5] = {0, 0, 0, 0, 0};
  int read = 0;
  size_t consumed = 0;  // the end of the last number read
  while (read < 5) {
    size_t pos = consumed;
    if (read > 0) {
      if (pos >= text.size() || text[pos] != kSeparators[read - 1]) break;
      ++pos;
    }
    const std::optional<int64_t> number = ReadNumber(text, pos);
    if (!number) break;
    numbers[read++] = *number;
    consumed = pos;
  }

  NetworkAddress result;
  result.numbers_read = read;
  result.length_read = consumed;
  result.address = Clamp(numbers[0], 255) << 24 | Clamp(numbers[1], 255) << 16 |
                   Clamp(numbers[2], 255) << 8 | Clamp(numbers[3], 255);
  if (read == 5) {
    const uint32_t width = Clamp(numbers[4], 32);
    result.mask = width == 0 ? 0 : ~uint32_t{0} << (32 - width);
  }
  return result;
}

}  // namespace velmora
