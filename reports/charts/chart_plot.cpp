#include "reports/charts/chart_plot.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "reports/charts/chart_text.h"

namespace velmora {
namespace {

constexpr double kLargestValue = 1e15;
constexpr double kLabelGap = 6;
// Enough for any step the axis chooses (at most ten a range); a guard, not a layout rule.
constexpr int kMostGridLines = 50;

}  // namespace

double DrawableValue(double value) {
  if (std::isnan(value)) return 0;
  return std::clamp(value, -kLargestValue, kLargestValue);
}

void DrawTitle(ChartCanvas& canvas, std::string_view title, const ChartRect& area, double band) {
  const double height = canvas.LineHeight(ChartFont::kTitle);
  const std::string fitted =
      FitLabel(DisplayableText(title), area.width - 8,
               [&](std::string_view text) { return canvas.TextWidth(ChartFont::kTitle, text); });
  canvas.Text(ChartFont::kTitle, area.left + area.width / 2,
              area.top + std::max(0.0, (band - height) / 2), fitted, kChartInk, TextAlign::kCenter);
}

double ValueAxis::Y(double value) const {
  return plot.bottom() - (value - scale.low) / (scale.high - scale.low) * plot.height;
}

ValueAxis DrawValueAxis(ChartCanvas& canvas, const AxisScale& scale, const ChartRect& room) {
  const double first = std::ceil(scale.low / scale.step) * scale.step;
  std::vector<std::pair<double, std::string>> lines;
  double widest = 0;
  for (int i = 0; i < kMostGridLines; ++i) {
    const double value = first + i * scale.step;
    if (value > scale.high) break;
    lines.emplace_back(value, AxisLabel(scale, value));
    widest = std::max(widest, canvas.TextWidth(ChartFont::kLabel, lines.back().second));
  }
  widest = std::min(widest, room.width / 3);
  ValueAxis axis{scale, room};
  axis.plot.left = room.left + widest + kLabelGap;
  axis.plot.width = std::max(0.0, room.right() - axis.plot.left);
  canvas.FillRect(axis.plot, kChartPanel);
  const double half_line = canvas.LineHeight(ChartFont::kLabel) / 2;
  for (const auto& [value, label] : lines) {
    const double y = std::round(axis.Y(value)) + 0.5;
    canvas.Line(axis.plot.left, y, axis.plot.right(), y, kChartGrid);
    canvas.Text(ChartFont::kLabel, axis.plot.left - kLabelGap / 2, y - half_line, label, kChartInk,
                TextAlign::kRight);
  }
  canvas.FrameRect(axis.plot, kChartFrame);
  return axis;
}

}  // namespace velmora
