#include "reports/charts/chart_text.h"

#include <cstdio>
#include <vector>

namespace velmora {
namespace {

constexpr std::string_view kEllipsis = "...";

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there.
size_t SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// Offsets where a character starts, and the end.
std::vector<size_t> Boundaries(std::string_view text) {
  std::vector<size_t> at;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) at.push_back(i);
  }
  at.push_back(text.size());
  return at;
}

// The largest n in [0, count] for which fits(n) holds, given that it holds for all smaller n;
// -1 when it holds for none.
int64_t LargestFitting(int64_t count, const std::function<bool(int64_t)>& fits) {
  int64_t low = -1, high = count;
  while (low < high) {
    const int64_t mid = low + (high - low + 1) / 2;
    if (fits(mid)) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

}  // namespace

std::string DisplayableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t length = SequenceLength(text, i);
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (length == 0 || c < 0x20 || c == 0x7F) {
      out += '?';
      ++i;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string FitLabel(std::string_view label, double width, const TextMeasure& measure) {
  if (measure(label) <= width) return std::string(label);
  const auto fits = [&](const std::string& text) { return measure(text) <= width; };
  const std::vector<size_t> at = Boundaries(label);
  const int64_t chars = static_cast<int64_t>(at.size()) - 1;
  const bool path = label.starts_with('/') || label.starts_with("http");
  if (path) {
    // The last part is what tells two paths apart; a trailing '/' belongs to it.
    const size_t search_end = label.size() > 1 ? label.size() - 2 : 0;
    const size_t slash = label.rfind('/', search_end);
    const std::string_view tail = slash == std::string_view::npos || slash == 0
                                      ? label.substr(label.size())
                                      : label.substr(slash);
    int64_t head_chars = 0;
    while (head_chars < chars && at[static_cast<size_t>(head_chars)] < label.size() - tail.size())
      ++head_chars;
    const auto with_head = [&](int64_t n) {
      return std::string(label.substr(0, at[static_cast<size_t>(n)])) + std::string(kEllipsis) +
             std::string(tail);
    };
    if (!tail.empty()) {
      const int64_t n = LargestFitting(head_chars, [&](int64_t k) { return fits(with_head(k)); });
      if (n >= 0) return with_head(n);
    }
    // Not even the last part fits: keep as much of the end as does.
    const auto with_end = [&](int64_t n) {
      return std::string(kEllipsis) + std::string(label.substr(at[static_cast<size_t>(chars - n)]));
    };
    const int64_t n = LargestFitting(chars, [&](int64_t k) { return fits(with_end(k)); });
    return n >= 0 ? with_end(n) : std::string();
  }
  const auto with_start = [&](int64_t n) {
    return std::string(label.substr(0, at[static_cast<size_t>(n)])) + std::string(kEllipsis);
  };
  const int64_t n = LargestFitting(chars, [&](int64_t k) { return fits(with_start(k)); });
  return n >= 0 ? with_start(n) : std::string();
}

std::string ShareText(double value, double total) {
  if (!(total > 0)) return "";
  const double scaled = value * 10000 / total + 0.5;
  const int hundredths = scaled <= 0 ? 0 : scaled >= 10000 ? 10000 : static_cast<int>(scaled);
  if (hundredths == 10000) return "100%";
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d%d%%", hundredths / 100, hundredths % 100 / 10,
                hundredths % 10);
  return text;
}

std::string PieLabelText(double value, double total, std::string_view label) {
  char share[32];
  std::snprintf(share, sizeof share, "%.2f%% ", total > 0 ? value / total * 100 : 0.0);
  return share + std::string(label);
}

std::string DateLabelText(Ticks time) {
  const CalendarTime t = TicksToCalendar(time);
  char text[16];
  std::snprintf(text, sizeof text, "%d%d-%d%d", t.month / 10 % 10, t.month % 10, t.day / 10 % 10,
                t.day % 10);
  return text;
}

}  // namespace velmora
