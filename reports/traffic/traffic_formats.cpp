#include "reports/traffic/traffic_formats.h"

#include <cmath>
#include <cstdio>

#include "core/tick_time.h"

namespace velmora {

std::string MegabyteText(double bytes) {
  const auto h = static_cast<int64_t>(std::floor(bytes * 100.0 / 1048576.0 + 0.5));
  const int64_t m = h / 100;
  const int64_t c = h % 100;
  char text[64];
  if (m < 1000) {
    std::snprintf(text, sizeof text, "%lld.%lld%lld Mb", static_cast<long long>(m),
                  static_cast<long long>(c / 10), static_cast<long long>(c % 10));
  } else if (m < 1000000) {
    std::snprintf(text, sizeof text, "%lld %03lld.%02lld Mb", static_cast<long long>(m / 1000),
                  static_cast<long long>(m % 1000), static_cast<long long>(c));
  } else {
    std::snprintf(text, sizeof text, "%lld %03lld %03lld.%02lld Mb",
                  static_cast<long long>(m / 1000000), static_cast<long long>(m / 1000 % 1000),
                  static_cast<long long>(m % 1000), static_cast<long long>(c));
  }
  return text;
}

std::optional<std::string> PercentText(int64_t numerator, int64_t denominator) {
  if (denominator == 0) return std::nullopt;
  const double p = static_cast<double>(numerator) * 100.0 / static_cast<double>(denominator);
  if (p < 0.000001) return "0%";
  if (p < 0.001) return "<0.001%";
  char text[64];
  std::snprintf(text, sizeof text, "%.2f%%", p);
  return text;
}

int32_t TrendMark(int64_t week_scaled, int64_t four_weeks_scaled) {
  const int64_t p = week_scaled;
  const int64_t f = four_weeks_scaled;
  if (f != 0 && p * 100 / f > 105) return 0;
  if (p != 0 && f * 100 / p > 105) return 1;
  return -1;
}

std::string DayText(int64_t day_ticks) {
  const CalendarTime t = TicksToCalendar(static_cast<Ticks>(day_ticks));
  char text[48];
  std::snprintf(text, sizeof text, "%d-%s-%02d", t.year,
                std::string(MonthAbbreviation(t.month)).c_str(), t.day);
  return text;
}

}  // namespace velmora
