#include "reports/charts/chart.h"

#include <cairo.h>

#include "reports/charts/chart_plot.h"
#include "reports/charts/png_writer.h"

namespace velmora {
namespace {

void DrawChart(ChartCanvas& canvas, const ChartData& chart, const ChartRect& area) {
  canvas.FillRect(area, kChartBackground);
  if (chart.kind == kChartPie) {
    DrawPieChart(canvas, chart, area);
  } else if (chart.kind >= 1 && chart.kind <= 4) {
    DrawBarChart(canvas, chart, area);
  } else if (chart.kind == 5 || chart.kind == 6) {
    DrawTimeChart(canvas, chart, area);
  }
}

}  // namespace

Status CheckChartWidth(int32_t width) {
  if (width >= kMinChartWidth && width <= kMaxChartWidth) return {};
  return Error{0,
               "a chart is " + std::to_string(kMinChartWidth) + " to " +
                   std::to_string(kMaxChartWidth) + " pixels wide, not " + std::to_string(width),
               ErrorKind::kBadRequest};
}

bool HasChart(const std::optional<ChartData>& chart) {
  return chart.has_value() && !chart->title.empty();
}

RgbImage RenderChart(const ChartData& chart, int32_t width, int32_t height) {
  RgbImage image;
  if (width < 1 || height < 1 || width > kMaxChartWidth || height > kMaxChartWidth) return image;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return image;
  }
  cairo_t* cr = cairo_create(surface);
  {
    ChartCanvas canvas(cr);
    DrawChart(canvas, chart, {0, 0, static_cast<double>(width), static_cast<double>(height)});
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);

  // Cairo keeps a pixel as one native 32-bit word, 0x00RRGGBB; rows may be padded.
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  uint8_t* out = image.pixels.data();
  for (int32_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int32_t x = 0; x < width; ++x) {
      *out++ = static_cast<uint8_t>(row[x] >> 16);
      *out++ = static_cast<uint8_t>(row[x] >> 8);
      *out++ = static_cast<uint8_t>(row[x]);
    }
  }
  cairo_surface_destroy(surface);
  return image;
}

Status SaveChartAsPng(const ChartData& chart, const std::string& file, int32_t width) {
  if (Status usable = CheckChartWidth(width); !usable.ok()) return usable;
  const RgbImage image = RenderChart(chart, width, width / 3);
  if (image.pixels.empty()) return Error{0, "Cannot draw the chart image"};
  return WritePng(file, image);
}

std::vector<uint8_t> EncodeChartPng(const ChartData& chart, int32_t width) {
  if (!CheckChartWidth(width).ok()) return {};
  return EncodePng(RenderChart(chart, width, width / 3));
}

std::string ChartFileName(std::string_view report_id) {
  return std::string(report_id) + "_graph.png";
}

}  // namespace velmora
