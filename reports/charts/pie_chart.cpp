// The pie chart (kind 0): slices counter-clockwise from 45 degrees, each labelled in a framed box
// beside the pie, joined to the slice by a line from half its radius.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "reports/charts/chart_plot.h"
#include "reports/charts/chart_text.h"

namespace velmora {
namespace {

constexpr double kSmallestArea = 100;  // below this in either direction only the background
constexpr double kTopMargin = 30;
constexpr double kMargin = 10;
constexpr double kFirstAngle = std::numbers::pi / 4;
constexpr double kBoxGap = 16;  // between the pie and the label boxes
constexpr double kBoxPadding = 4;

struct PieLabel {
  std::string share;  // "50.00% "
  std::string label;
  double anchor_x, anchor_y;  // on the slice's middle angle, half the radius out
  double y;                   // the box's top, before and after spreading
  bool right;
  double value;
  bool shown = true;
};

// Moves the boxes of one side apart so none overlaps the next, keeping them inside [top, bottom].
// When they cannot all fit, the labels of the smallest slices are left out.
void Spread(std::vector<PieLabel*>& side, double box_height, double top, double bottom) {
  const auto fitting = static_cast<size_t>(std::max(0.0, (bottom - top + 2) / (box_height + 2)));
  if (side.size() > fitting) {
    std::stable_sort(side.begin(), side.end(),
                     [](const PieLabel* a, const PieLabel* b) { return a->value > b->value; });
    for (size_t i = fitting; i < side.size(); ++i) side[i]->shown = false;
    side.resize(fitting);
  }
  std::sort(side.begin(), side.end(),
            [](const PieLabel* a, const PieLabel* b) { return a->y < b->y; });
  double next = top;
  for (PieLabel* label : side) {
    label->y = std::max(label->y, next);
    next = label->y + box_height + 2;
  }
  double limit = bottom - box_height;
  for (auto it = side.rbegin(); it != side.rend(); ++it) {
    (*it)->y = std::min((*it)->y, limit);
    limit = (*it)->y - box_height - 2;
  }
}

}  // namespace

void DrawPieChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area) {
  if (area.width < kSmallestArea || area.height < kSmallestArea) return;
  DrawTitle(canvas, chart.title, area, kTopMargin);
  double total = 0;
  for (const ChartItem& item : chart.items) total += std::max(0.0, DrawableValue(item.value));
  if (!(total > 0)) return;

  const double side = std::min(area.width - 2 * kMargin, area.height - kTopMargin - kMargin);
  const double radius = side / 2;
  const double cx = area.left + area.width / 2;
  const double cy = area.top + kTopMargin + (area.height - kTopMargin - kMargin) / 2;
  cairo_t* cr = canvas.cr();

  std::vector<PieLabel> labels;
  double start = kFirstAngle;
  for (const ChartItem& item : chart.items) {
    const double value = std::max(0.0, DrawableValue(item.value));
    if (value == 0) continue;
    const double span = value / total * 2 * std::numbers::pi;
    // Angles run counter-clockwise on the screen, where y grows downwards.
    cairo_move_to(cr, cx, cy);
    cairo_arc_negative(cr, cx, cy, radius, -start, -(start + span));
    cairo_close_path(cr);
    canvas.SetColour(item.colour);
    cairo_fill_preserve(cr);
    canvas.SetColour(Darker(item.colour));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const double middle = start + span / 2;
    labels.push_back({PieLabelText(value, total, ""), DisplayableText(item.label),
                      cx + radius / 2 * std::cos(middle), cy - radius / 2 * std::sin(middle),
                      cy - (radius + kBoxGap / 2) * std::sin(middle), std::cos(middle) >= 0,
                      value});
    start += span;
  }

  const double line = canvas.LineHeight(ChartFont::kLabel);
  const double box_height = line + 2 * kBoxPadding;
  const double room = std::max(0.0, area.width / 2 - radius - kBoxGap - kMargin);
  const auto measure = [&](std::string_view text) {
    return canvas.TextWidth(ChartFont::kLabel, text);
  };
  std::vector<PieLabel*> left, right;
  for (PieLabel& label : labels) {
    label.y -= box_height / 2;
    (label.right ? right : left).push_back(&label);
  }
  Spread(left, box_height, area.top + kTopMargin, area.bottom() - 2);
  Spread(right, box_height, area.top + kTopMargin, area.bottom() - 2);
  for (const PieLabel& label : labels) {
    if (!label.shown) continue;
    const double share_width = measure(label.share);
    if (share_width + 2 * kBoxPadding > room) continue;
    // The share always shows; the item label takes what room is left.
    const std::string text =
        label.share + FitLabel(label.label, room - 2 * kBoxPadding - share_width, measure);
    const double width = measure(text) + 2 * kBoxPadding;
    const double box_left =
        std::round(label.right ? cx + radius + kBoxGap : cx - radius - kBoxGap - width);
    const ChartRect box{box_left, std::round(label.y), std::ceil(width), std::ceil(box_height)};
    canvas.Line(label.anchor_x, label.anchor_y, label.right ? box.left : box.right(),
                box.top + box.height / 2, kChartInk);
    canvas.FillRect(box, kChartPanel);
    canvas.FrameRect(box, kChartInk);
    canvas.Text(ChartFont::kLabel, box.left + kBoxPadding, box.top + kBoxPadding, text, kChartInk);
  }
}

}  // namespace velmora
