// The time chart (kinds 5 and 6): one point per item at its time, joined by lines and marked by
// small circles, over a value axis; the days along the bottom. Kind 6 also fills the area under
// the line with the lighter tone.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "reports/charts/chart_plot.h"
#include "reports/charts/chart_text.h"

namespace velmora {
namespace {

constexpr double kTitleBand = 40;
constexpr double kMargin = 10;
constexpr double kInset = 10;  // keeps the first and last circles inside the panel
constexpr double kCircle = 3;
constexpr int32_t kFilledTimeChart = 6;

}  // namespace

void DrawTimeChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area) {
  DrawTitle(canvas, chart.title, area, kTitleBand);
  if (chart.items.empty()) return;
  const double line = canvas.LineHeight(ChartFont::kLabel);
  const ChartRect room{area.left + kMargin, area.top + kTitleBand, area.width - 2 * kMargin,
                       area.height - kTitleBand - line - 2 * kMargin};
  if (room.height <= 0 || room.width <= 2 * kInset) return;

  // Points in time order, whatever the order of the items.
  std::vector<size_t> order(chart.items.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return chart.items[a].x < chart.items[b].x; });
  double smallest = DrawableValue(chart.items[0].value), largest = smallest;
  for (const ChartItem& item : chart.items) {
    smallest = std::min(smallest, DrawableValue(item.value));
    largest = std::max(largest, DrawableValue(item.value));
  }
  const ValueAxis axis =
      DrawValueAxis(canvas, ScaleAxis(smallest, largest, chart.whole_numbers, false), room);
  const Ticks first = chart.items[order.front()].x;
  const Ticks last = chart.items[order.back()].x;
  const double span = static_cast<double>(last - first);
  const double usable = axis.plot.width - 2 * kInset;
  const auto x_of = [&](const ChartItem& item) {
    return span > 0 ? axis.plot.left + kInset + static_cast<double>(item.x - first) / span * usable
                    : axis.plot.left + axis.plot.width / 2;
  };
  cairo_t* cr = canvas.cr();
  const Rgb colour = chart.items[order.front()].colour;

  if (chart.kind == kFilledTimeChart && order.size() > 1) {
    const double base = axis.Y(std::clamp(0.0, axis.scale.low, axis.scale.high));
    cairo_move_to(cr, x_of(chart.items[order.front()]), base);
    for (size_t i : order)
      cairo_line_to(cr, x_of(chart.items[i]), axis.Y(DrawableValue(chart.items[i].value)));
    cairo_line_to(cr, x_of(chart.items[order.back()]), base);
    cairo_close_path(cr);
    canvas.SetColour(Lighter(colour));
    cairo_fill(cr);
  }
  for (size_t k = 0; k < order.size(); ++k) {
    const ChartItem& item = chart.items[order[k]];
    const double y = axis.Y(DrawableValue(item.value));
    if (k == 0) {
      cairo_move_to(cr, x_of(item), y);
    } else {
      cairo_line_to(cr, x_of(item), y);
    }
  }
  canvas.SetColour(Darker(colour));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);

  double free_from = area.left;  // date labels that would overlap the previous one are left out
  for (size_t i : order) {
    const ChartItem& item = chart.items[i];
    const double x = x_of(item);
    cairo_new_path(cr);
    cairo_arc(cr, x, axis.Y(DrawableValue(item.value)), kCircle, 0, 2 * std::numbers::pi);
    canvas.SetColour(item.colour);
    cairo_fill_preserve(cr);
    canvas.SetColour(Darker(item.colour));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const std::string date = DateLabelText(item.x);
    const double width = canvas.TextWidth(ChartFont::kLabel, date);
    if (x - width / 2 < free_from || x + width / 2 > area.right()) continue;
    canvas.Line(x, axis.plot.bottom(), x, axis.plot.bottom() + 3, kChartFrame);
    canvas.Text(ChartFont::kLabel, x, axis.plot.bottom() + 4, date, kChartInk, TextAlign::kCenter);
    free_from = x + width / 2 + 6;
  }
}

}  // namespace velmora
