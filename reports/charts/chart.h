// Charts of the report model's chart data: drawn into an image and saved as a PNG file (for the
// HTML export and `velmora chart`). A chart is as tall as a third of its width.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "reports/charts/rgb_image.h"
#include "reports/frame/report_model.h"

namespace velmora {

// Widths a chart may be saved at: a third of the smallest is one row; the largest keeps the
// image and its buffers to some tens of megabytes.
inline constexpr int32_t kMinChartWidth = 3;
inline constexpr int32_t kMaxChartWidth = 4096;

// Fails with kBadRequest, naming the widths allowed, for a width outside them.
Status CheckChartWidth(int32_t width);

// Whether a report's chart data draw a chart: an empty title means none.
bool HasChart(const std::optional<ChartData>& chart);

// The chart drawn into a width x height image: the background first, then the chart of its kind
// (nothing more for an unknown kind). Sizes outside 1..kMaxChartWidth give an empty image.
RgbImage RenderChart(const ChartData& chart, int32_t width, int32_t height);

// Draws the chart `width` pixels wide and width / 3 high and writes it to `file` as PNG. Fails
// with kBadRequest for a width outside kMinChartWidth..kMaxChartWidth, and with the system's
// reason when the file cannot be created or written.
Status SaveChartAsPng(const ChartData& chart, const std::string& file, int32_t width);
// The same picture as the bytes of a PNG file, for a front end that serves it; empty for a width
// outside kMinChartWidth..kMaxChartWidth.
std::vector<uint8_t> EncodeChartPng(const ChartData& chart, int32_t width);

// The file name a report's chart is saved under: the report id and "_graph.png".
std::string ChartFileName(std::string_view report_id);

}  // namespace velmora
