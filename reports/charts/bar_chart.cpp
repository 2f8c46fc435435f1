// The bar chart (kinds 1 to 4): a legend of the items in the left third, one upright bar per item
// over a value axis in the rest, each bar labelled with its share of the total.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "reports/charts/chart_plot.h"
#include "reports/charts/chart_text.h"

namespace velmora {
namespace {

constexpr double kTitleBand = 40;  // the chart proper starts this far below the top
constexpr double kMargin = 10;
constexpr double kWidestBar = 75;
constexpr double kSwatch = 10;

void DrawLegend(ChartCanvas& canvas, const ChartData& chart, const ChartRect& column) {
  const double line = canvas.LineHeight(ChartFont::kLabel);
  const double row = std::max(line + 4, kSwatch + 4);
  const auto measure = [&](std::string_view text) {
    return canvas.TextWidth(ChartFont::kLabel, text);
  };
  double y = column.top;
  for (const ChartItem& item : chart.items) {
    if (y + row > column.bottom()) break;  // the rows that fit; the bars show all items
    const double middle = y + row / 2;
    const ChartRect swatch{column.left, std::round(middle - kSwatch / 2), kSwatch, kSwatch};
    canvas.FillRect(swatch, item.colour);
    canvas.FrameRect(swatch, Darker(item.colour));
    const double text_left = column.left + kSwatch + 6;
    const std::string label =
        FitLabel(DisplayableText(item.label), column.right() - text_left, measure);
    canvas.Text(ChartFont::kLabel, text_left, middle - line / 2, label, kChartInk);
    y += row;
  }
}

void DrawBar(ChartCanvas& canvas, const ChartRect& bar, Rgb colour) {
  if (bar.width <= 0 || bar.height <= 0) return;
  canvas.FillRect(bar, colour);
  // A lighter band gives the bar some body; it keeps clear of narrow bars' edges.
  if (bar.width >= 6) {
    const ChartRect band{bar.left + std::round(bar.width * 0.15), bar.top,
                         std::max(1.0, std::round(bar.width * 0.25)), bar.height};
    canvas.FillRect(band, Lighter(colour));
  }
  canvas.FrameRect(bar, Darker(colour));
}

}  // namespace

void DrawBarChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area) {
  DrawTitle(canvas, chart.title, area, kTitleBand);
  if (chart.items.empty() || area.height <= kTitleBand + kMargin) return;
  std::vector<double> values;
  for (const ChartItem& item : chart.items) values.push_back(DrawableValue(item.value));
  const double total = std::accumulate(values.begin(), values.end(), 0.0);
  // Bars stand on zero, so the axis always holds it.
  const double smallest = std::min(0.0, *std::min_element(values.begin(), values.end()));
  const double largest = std::max(0.0, *std::max_element(values.begin(), values.end()));
  const AxisScale scale = ScaleAxis(smallest, largest, chart.whole_numbers, true);

  const double third = std::floor(area.width / 3);
  const ChartRect body{area.left, area.top + kTitleBand, area.width,
                       area.height - kTitleBand - kMargin};
  DrawLegend(canvas, chart, {body.left + kMargin, body.top, third - 2 * kMargin, body.height});
  const ValueAxis axis = DrawValueAxis(
      canvas, scale, {body.left + third, body.top, body.width - third - kMargin, body.height});

  const double slot = axis.plot.width / static_cast<double>(values.size());
  const double bar_width = std::min(kWidestBar, std::max(1.0, std::floor(slot * 0.8)));
  const double base = axis.Y(std::clamp(0.0, scale.low, scale.high));
  const double line = canvas.LineHeight(ChartFont::kLabel);
  for (size_t i = 0; i < values.size(); ++i) {
    const double left =
        std::round(axis.plot.left + slot * static_cast<double>(i) + (slot - bar_width) / 2);
    const double top = std::round(std::min(base, axis.Y(values[i])));
    const double bottom = std::round(std::max(base, axis.Y(values[i])));
    DrawBar(canvas, {left, top, bar_width, bottom - top}, chart.items[i].colour);
    const std::string share = ShareText(values[i], total);
    if (share.empty() || canvas.TextWidth(ChartFont::kLabel, share) > slot) continue;
    // Above the bar where the panel leaves room, else just inside its top.
    const double label_top = top - line - 2 >= axis.plot.top ? top - line - 2 : top + 2;
    canvas.Text(ChartFont::kLabel, left + bar_width / 2, label_top, share, kChartInk,
                TextAlign::kCenter);
  }
}

}  // namespace velmora
