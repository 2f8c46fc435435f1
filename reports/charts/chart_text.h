// The texts a chart prints, apart from how they are drawn: item labels made safe to draw,
// shortened to a width, and the share, percentage and date labels.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/tick_time.h"

namespace velmora {

// `text` as valid UTF-8 without control characters: labels come from logs and may hold any
// bytes, which the drawing library refuses. Bytes that are no part of a valid sequence and
// control characters become '?'.
std::string DisplayableText(std::string_view text);

// The width of a text in pixels, measured with the chart's label font.
using TextMeasure = std::function<double(std::string_view)>;

// `label` (displayable) fitted into `width`. A path or URL (a label that begins with '/' or
// "http") keeps its start and its last part with "..." between them, as far as they fit, then
// the end of its last part; any other label keeps its start and ends in "...". Empty when not
// even "..." fits.
std::string FitLabel(std::string_view label, double width, const TextMeasure& measure);

// A bar's share of the total: "100%" for the whole, otherwise hundredths of a percent as
// "12.34%". Empty when the total is not positive.
std::string ShareText(double value, double total);

// A pie slice's label: its share in percent with two decimals, then its label ("50.00% /a").
std::string PieLabelText(double value, double total, std::string_view label);

// The time axis label of a day: month and day, two digits each ("03-07").
std::string DateLabelText(Ticks time);

}  // namespace velmora
