// The cell texts and trend marks of the Traffic reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// "%d.%d%d Mb" of the bytes in hundredths of a mebibyte (halves up), with a blank between
// thousands: 1048576 bytes are "1.00 Mb", 1500 MiB "1 500.00 Mb".
std::string MegabyteText(double bytes);
// numerator x 100 / denominator as "%.2f%%", "<0.001%" below a thousandth of a percent, "0%"
// below a millionth; none when the denominator is 0.
std::optional<std::string> PercentText(int64_t numerator, int64_t denominator);

// The mark comparing a row's Week value P with its 4 Weeks value F on one scale: 0 (up) when F
// is not 0 and P x 100 / F > 105, else 1 (down) when P is not 0 and F x 100 / P > 105, else -1.
int32_t TrendMark(int64_t week_scaled, int64_t four_weeks_scaled);

// "2002-Oct-05": year, month abbreviation, two-digit day.
std::string DayText(int64_t day_ticks);

}  // namespace velmora
