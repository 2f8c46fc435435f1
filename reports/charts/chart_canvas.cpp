#include "reports/charts/chart_canvas.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/ascii.h"
#include "reports/charts/chart_text.h"

namespace velmora {
namespace {

struct FontChoice {
  const char* family;
  cairo_font_weight_t weight;
  double pixels;
};
// Liberation Serif is metric-compatible with the serif title font the charts were laid out for;
// DejaVu Sans is a narrow, clear face for small labels.
constexpr std::array<FontChoice, 2> kFonts = {{
    {"Liberation Serif", CAIRO_FONT_WEIGHT_BOLD, 22},
    {"DejaVu Sans", CAIRO_FONT_WEIGHT_NORMAL, 13},
}};
constexpr const char* kFallbackFamily = "sans-serif";

// `family` when fontconfig has it; otherwise the generic sans family, so that a missing font
// gives an ordinary face rather than whatever fontconfig would substitute for the name.
const char* InstalledFamily(const char* family) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  if (pattern == nullptr) return kFallbackFamily;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  bool found = false;
  FcChar8* matched = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch) {
    found = AsciiEqualsIgnoreCase(reinterpret_cast<const char*>(matched), family);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return found ? family : kFallbackFamily;
}

cairo_scaled_font_t* LoadFont(const FontChoice& choice) {
  cairo_font_face_t* face = cairo_toy_font_face_create(InstalledFamily(choice.family),
                                                       CAIRO_FONT_SLANT_NORMAL, choice.weight);
  cairo_matrix_t size, device;
  cairo_matrix_init_scale(&size, choice.pixels, choice.pixels);
  cairo_matrix_init_identity(&device);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_scaled_font_t* font = cairo_scaled_font_create(face, &size, &device, options);
  cairo_font_options_destroy(options);
  cairo_font_face_destroy(face);
  if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(font);
    return nullptr;
  }
  return font;
}

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_LEAK_CHECKED 1
#endif
#endif

// Fontconfig links its cached patterns by encoded offsets that a leak checker cannot follow, so
// its caches and cairo's, held until the process ends, read as leaks. Builds that check for leaks
// release them at exit, when no chart is being drawn any more; others leave that to the system.
void ReleaseFontCachesAtExit() {
#if defined(VELMORA_LEAK_CHECKED)
  static const bool registered = std::atexit([] {
                                   cairo_debug_reset_static_data();
                                   FcFini();
                                 }) == 0;
  (void)registered;
#endif
}

}  // namespace

Rgb Lighter(Rgb colour) {
  const auto up = [](uint8_t c) { return static_cast<uint8_t>(std::min(c + 48, 254)); };
  return {up(colour.red), up(colour.green), up(colour.blue)};
}

Rgb Darker(Rgb colour) {
  const auto down = [](uint8_t c) { return static_cast<uint8_t>(c * 3 / 5); };
  return {down(colour.red), down(colour.green), down(colour.blue)};
}

ChartCanvas::ChartCanvas(cairo_t* cr) : cr_(cr) {
  ReleaseFontCachesAtExit();
  for (size_t i = 0; i < kFonts.size(); ++i) {
    fonts_[i] = LoadFont(kFonts[i]);
    if (fonts_[i] != nullptr) cairo_scaled_font_extents(fonts_[i], &extents_[i]);
  }
}

ChartCanvas::~ChartCanvas() {
  for (cairo_scaled_font_t* font : fonts_) {
    if (font != nullptr) cairo_scaled_font_destroy(font);
  }
}

void ChartCanvas::SetColour(Rgb colour) {
  cairo_set_source_rgb(cr_, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

void ChartCanvas::FillRect(const ChartRect& rect, Rgb colour) {
  if (rect.width <= 0 || rect.height <= 0) return;
  SetColour(colour);
  cairo_rectangle(cr_, rect.left, rect.top, rect.width, rect.height);
  cairo_fill(cr_);
}

void ChartCanvas::FrameRect(const ChartRect& rect, Rgb colour) {
  if (rect.width < 1 || rect.height < 1) return;
  SetColour(colour);
  cairo_set_line_width(cr_, 1);
  cairo_rectangle(cr_, rect.left + 0.5, rect.top + 0.5, rect.width - 1, rect.height - 1);
  cairo_stroke(cr_);
}

void ChartCanvas::Line(double x0, double y0, double x1, double y1, Rgb colour, double width) {
  SetColour(colour);
  cairo_set_line_width(cr_, width);
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  cairo_stroke(cr_);
}

double ChartCanvas::TextWidth(ChartFont font, std::string_view text) {
  if (Font(font) == nullptr || text.empty()) return 0;
  const std::string shown = DisplayableText(text);
  cairo_text_extents_t extents;
  cairo_scaled_font_text_extents(Font(font), shown.c_str(), &extents);
  return extents.x_advance;
}

double ChartCanvas::LineHeight(ChartFont font) const {
  const cairo_font_extents_t& e = extents_[static_cast<size_t>(font)];
  return Font(font) == nullptr ? 0 : e.ascent + e.descent;
}

void ChartCanvas::Text(ChartFont font, double x, double y, std::string_view text, Rgb colour,
                       TextAlign align) {
  if (Font(font) == nullptr || text.empty()) return;
  const double width = TextWidth(font, text);
  if (align == TextAlign::kCenter) x -= width / 2;
  if (align == TextAlign::kRight) x -= width;
  const std::string shown = DisplayableText(text);
  cairo_set_scaled_font(cr_, Font(font));
  SetColour(colour);
  cairo_move_to(cr_, x, y + extents_[static_cast<size_t>(font)].ascent);
  cairo_show_text(cr_, shown.c_str());
}

}  // namespace velmora
