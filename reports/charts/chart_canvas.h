// The drawing surface of the charts: cairo behind the few operations they use, with the two
// chart fonts. Texts pass through DisplayableText before cairo sees them, since cairo stops
// drawing for good after one invalid string. When no font can be loaded at all, texts measure
// 0 and draw nothing, and everything else is still drawn.
#pragma once

#include <cairo.h>

#include <array>
#include <string_view>

#include "reports/frame/report_model.h"

namespace velmora {

struct ChartRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
};

enum class ChartFont : uint8_t { kTitle, kLabel };
enum class TextAlign : uint8_t { kLeft, kCenter, kRight };

// The lighter tone of a colour: every channel plus 48, at most 254.
Rgb Lighter(Rgb colour);
// A darker tone for outlines.
Rgb Darker(Rgb colour);

class ChartCanvas {
 public:
  explicit ChartCanvas(cairo_t* cr);
  ~ChartCanvas();
  ChartCanvas(const ChartCanvas&) = delete;
  ChartCanvas& operator=(const ChartCanvas&) = delete;

  cairo_t* cr() { return cr_; }
  void SetColour(Rgb colour);
  void FillRect(const ChartRect& rect, Rgb colour);
  // A one-pixel frame just inside `rect`.
  void FrameRect(const ChartRect& rect, Rgb colour);
  void Line(double x0, double y0, double x1, double y1, Rgb colour, double width = 1);

  double TextWidth(ChartFont font, std::string_view text);
  // Ascent plus descent of the font: the height of one line.
  double LineHeight(ChartFont font) const;
  // Draws one line of text whose top is at `y`, placed at `x` by `align`.
  void Text(ChartFont font, double x, double y, std::string_view text, Rgb colour,
            TextAlign align = TextAlign::kLeft);

 private:
  cairo_scaled_font_t* Font(ChartFont font) const { return fonts_[static_cast<size_t>(font)]; }

  cairo_t* cr_;
  std::array<cairo_scaled_font_t*, 2> fonts_ = {nullptr, nullptr};
  std::array<cairo_font_extents_t, 2> extents_{};
};

}  // namespace velmora
