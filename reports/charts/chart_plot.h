// What the chart kinds share: the title band, the value axis with its panel and grid, and the
// guard that keeps numbers from the model drawable. Each kind draws into `area`, which the
// caller has filled with the background already.
#pragma once

#include <string_view>

#include "reports/charts/chart_axis.h"
#include "reports/charts/chart_canvas.h"
#include "reports/frame/report_model.h"

namespace velmora {

inline constexpr Rgb kChartBackground{255, 255, 255};
inline constexpr Rgb kChartPanel{240, 240, 224};
inline constexpr Rgb kChartInk{0, 0, 0};
inline constexpr Rgb kChartGrid{200, 200, 184};
inline constexpr Rgb kChartFrame{128, 128, 128};

// A value fit to compute with: not-a-number counts as 0 and magnitudes stop at 1e15, far above
// any count, so that widening and scaling never overflow.
double DrawableValue(double value);

// The title centred in a band of `band` pixels at the top of `area`.
void DrawTitle(ChartCanvas& canvas, std::string_view title, const ChartRect& area, double band);

// A value axis drawn to the left of a panel: `room` is where axis labels and panel go together.
struct ValueAxis {
  AxisScale scale;
  ChartRect plot;  // the panel; values map onto its height
  double Y(double value) const;
};

// Places the panel in `room` right of the widest grid label and draws panel, grid and labels.
ValueAxis DrawValueAxis(ChartCanvas& canvas, const AxisScale& scale, const ChartRect& room);

void DrawPieChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area);
void DrawBarChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area);
void DrawTimeChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area);

}  // namespace velmora
