// Charts as a person would check them: the texts they print, the axis they choose, and the
// pictures, judged by which colours appear where rather than by exact bytes, so that a font or
// anti-aliasing change does not break them while a slice turned the wrong way or a bar in the
// legend column does.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <numbers>

#include "reports/charts/chart.h"
#include "reports/charts/chart_axis.h"
#include "reports/charts/chart_text.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kRed{200, 30, 30}, kGreen{0, 160, 0}, kBlue{40, 60, 220};

// The lighter tone bars are shaded with: every channel plus 48, at most 254.
Rgb Shade(Rgb c) {
  const auto up = [](int v) { return static_cast<uint8_t>(std::min(v + 48, 254)); };
  return {up(c.red), up(c.green), up(c.blue)};
}

Rgb At(const RgbImage& image, int x, int y) {
  const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 3];
  return {p[0], p[1], p[2]};
}

// Pixels of exactly `colour` in [x0, x1) x [y0, y1).
int Count(const RgbImage& image, Rgb colour, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += At(image, x, y) == colour;
  return n;
}
int Count(const RgbImage& image, Rgb colour) {
  return Count(image, colour, 0, 0, image.width, image.height);
}
// Pixels dark enough to be text or lines, in a region.
int Dark(const RgbImage& image, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const Rgb p = At(image, x, y);
      n += p.red + p.green + p.blue < 200;
    }
  return n;
}

ChartData Chart(int32_t kind, std::vector<double> values) {
  ChartData chart{kind, "Requested Pages (Week)", {}, true};
  const Rgb colours[] = {kRed, kGreen, kBlue};
  for (size_t i = 0; i < values.size(); ++i) {
    chart.items.push_back({"/page" + std::to_string(i) + ".html", values[i], colours[i % 3],
                           static_cast<Ticks>(i) * kTicksPerDay + 1000 * kTicksPerDay});
  }
  return chart;
}

TEST(ChartTextTest, SharesPercentagesAndDates) {
  EXPECT_EQ(ShareText(1, 2), "50.00%");  // two equal items
  EXPECT_EQ(ShareText(7, 7), "100%");    // one item holds the total
  EXPECT_EQ(ShareText(1, 3), "33.33%");
  EXPECT_EQ(ShareText(2, 3), "66.67%");
  EXPECT_EQ(ShareText(1, 20000), "0.01%");
  EXPECT_EQ(ShareText(0, 5), "0.00%");
  EXPECT_EQ(ShareText(-1, 5), "0.00%");
  EXPECT_EQ(ShareText(99999, 100000), "100%");
  EXPECT_EQ(ShareText(1, 0), "");
  EXPECT_EQ(PieLabelText(1, 2, "/a"), "50.00% /a");
  EXPECT_EQ(PieLabelText(5, 5, "x"), "100.00% x");
  CalendarTime t;
  t.year = 2024, t.month = 3, t.day = 7;
  EXPECT_EQ(DateLabelText(*CalendarToTicks(t)), "03-07");
  t.month = 12, t.day = 31;
  EXPECT_EQ(DateLabelText(*CalendarToTicks(t)), "12-31");
}

TEST(ChartTextTest, LabelsAreMadeDrawableAndFitted) {
  EXPECT_EQ(DisplayableText("caf\xc3\xa9 \xe2\x82\xac"), "caf\xc3\xa9 \xe2\x82\xac");
  EXPECT_EQ(DisplayableText("a\xff"
                            "b\xc3"
                            "c\x1b[31m\x7f"),
            "a?b?c?[31m?");
  EXPECT_EQ(DisplayableText("\xed\xa0\x80\xf4\x90\x80\x80"), "???????");  // surrogate, > U+10FFFF
  EXPECT_EQ(DisplayableText(std::string("a\0b", 3)), "a?b");

  // One pixel a character.
  const TextMeasure chars = [](std::string_view text) {
    return static_cast<double>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  const struct {
    std::string label;
    double width;
    std::string fitted;
  } cases[] = {
      {"/a/b.html", 9, "/a/b.html"},
      {"/images/2024/march/photo.jpg", 20, "/images.../photo.jpg"},
      {"http://www.example.org/a/b/c/index.html", 26, "http://www.e.../index.html"},
      {"/docs/", 6, "/docs/"},
      {"/a/very-long-file-name.html", 10, "...me.html"},
      {"Mozilla/5.0 (X11; Linux)", 10, "Mozilla..."},
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 4, "\xc3\xa9..."},
      {"anything", 2, ""},
      {"", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitLabel(c.label, c.width, chars), c.fitted) << c.label;
    EXPECT_LE(chars(FitLabel(c.label, c.width, chars)), std::max(c.width, 0.0));
  }
}

TEST(ChartAxisTest, StepIsThePowerOfTenBelowTheRange) {
  const struct {
    double smallest, largest;
    bool whole;
    double low, high, step;
    std::string top_label;  // of the highest grid line
  } cases[] = {
      // Widened 5 % on the side away from zero; zero stays.
      {0, 100, true, 0, 105, 100, "100"},
      {0, 100 / 1.05, true, 0, 100, 100, "100"},  // a range of a power of ten exactly
      {0, 95.2, true, 0, 99.96, 10, "90"},        // just below it
      {0, 1000 / 1.05, true, 0, 1000, 1000, "1k"},
      {0, 10 / 1.05, false, 0, 10, 10, "10"},
      {0, 1 / 1.05, false, 0, 1, 1, "1"},
      {0, 0.95, false, 0, 0.9975, 0.1, "0.9"},
      {0, 0.095, false, 0, 0.09975, 0.01, "0.09"},
      {0, 0.095, true, 0, 0.09975, 1, "0"},  // whole numbers never step below 1
      {50, 200, true, 47.5, 210, 100, "200"},
      {-40, -10, true, -42, -9.5, 10, "-10"},
      {0, 0, true, 0, 1, 1, "1"},
      {0, 2500000, true, 0, 2625000, 1e6, "2M"},
  };
  for (const auto& c : cases) {
    const AxisScale scale = ScaleAxis(c.smallest, c.largest, c.whole, true);
    EXPECT_NEAR(scale.low, c.low, 1e-6) << c.largest;
    EXPECT_NEAR(scale.high, c.high, 1e-6) << c.largest;
    EXPECT_DOUBLE_EQ(scale.step, c.step) << c.largest;
    EXPECT_EQ(AxisLabel(scale, std::floor(scale.high / scale.step + 1e-9) * scale.step),
              c.top_label)
        << c.largest;
  }
  EXPECT_EQ(AxisLabel(ScaleAxis(0, 2500000, true, false), 2e6), "2000000");
  EXPECT_EQ(AxisLabel(ScaleAxis(0, 2500000, true, true), 0), "0");
  EXPECT_EQ(AxisLabel(ScaleAxis(0, 0.95, false, false), 1e-17), "0.0");
}

TEST(ChartImageTest, SavedChartsAreAThirdAsHighAsWide) {
  testing::TempDir dir;
  const std::string file = dir / ChartFileName("pagesreq");
  EXPECT_EQ(ChartFileName("pagesreq"), "pagesreq_graph.png");
  for (const auto& [width, height] : {std::pair{600, 200}, {768, 256}, {3, 1}, {100, 33}}) {
    ASSERT_TRUE(SaveChartAsPng(Chart(kChartBar, {3, 2, 1}), file, width).ok()) << width;
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> head(24);
    in.read(reinterpret_cast<char*>(head.data()), 24);
    EXPECT_EQ((head[16] << 24 | head[17] << 16 | head[18] << 8 | head[19]), width);
    EXPECT_EQ((head[20] << 24 | head[21] << 16 | head[22] << 8 | head[23]), height);
  }
  for (int32_t width : {0, -5, 2, 4097, std::numeric_limits<int32_t>::max()}) {
    const Status saved = SaveChartAsPng(Chart(kChartBar, {1}), file, width);
    ASSERT_FALSE(saved.ok()) << width;
    EXPECT_EQ(saved.error().kind, ErrorKind::kBadRequest);
  }
}

TEST(ChartImageTest, APieBelowAHundredPixelsIsOnlyBackground) {
  const ChartData pie = Chart(kChartPie, {1, 1});
  for (const auto& [width, height] : {std::pair{99, 300}, {300, 99}}) {
    const RgbImage image = RenderChart(pie, width, height);
    EXPECT_EQ(Count(image, kWhite), width * height) << width << "x" << height;
  }
  EXPECT_GT(Count(RenderChart(pie, 100, 100), kRed), 100);
}

TEST(ChartImageTest, PieSlicesRunCounterClockwiseFromFortyFiveDegrees) {
  // Two equal slices: the first spans 45 to 225 degrees, the upper left; the second the rest.
  const RgbImage image = RenderChart(Chart(kChartPie, {1, 1}), 768, 256);
  const int cx = 384, cy = 30 + 108, r = 108;
  const auto at_angle = [&](double degrees) {
    const double a = degrees * std::numbers::pi / 180;
    return At(image, cx + static_cast<int>(r * 0.7 * std::cos(a)),
              cy - static_cast<int>(r * 0.7 * std::sin(a)));
  };
  EXPECT_EQ(at_angle(135), kRed);
  EXPECT_EQ(at_angle(60), kRed);
  EXPECT_EQ(at_angle(315), kGreen);
  EXPECT_EQ(at_angle(30), kGreen);
  const int red = Count(image, kRed), green = Count(image, kGreen);
  EXPECT_NEAR(red, green, 0.03 * red);
  EXPECT_GT(red, 0.4 * std::numbers::pi * r * r);
  // The label boxes beside the pie hold text on both sides; the title above it.
  EXPECT_GT(Dark(image, 0, 30, cx - r, 256), 100);
  EXPECT_GT(Dark(image, cx + r, 30, 768, 256), 100);
  EXPECT_GT(Dark(image, 0, 0, 768, 30), 100);
}

TEST(ChartImageTest, BarsStandRightOfTheLegendInOrderOfTheirValues) {
  const RgbImage image = RenderChart(Chart(kChartBar, {50, 30, 20}), 768, 256);
  // The legend column's swatches, and no bar there.
  for (Rgb colour : {kRed, kGreen, kBlue}) {
    EXPECT_GT(Count(image, colour, 0, 40, 256, 256), 30);
    EXPECT_LT(Count(image, colour, 0, 40, 256, 256), 100);
    EXPECT_EQ(Count(image, colour, 0, 0, 768, 40), 0);
  }
  const auto bar = [&](Rgb colour) {
    return Count(image, colour, 256, 40, 768, 256) + Count(image, Shade(colour), 256, 40, 768, 256);
  };
  EXPECT_GT(bar(kRed), bar(kGreen));
  EXPECT_GT(bar(kGreen), bar(kBlue));
  EXPECT_NEAR(bar(kRed) / 50.0, bar(kBlue) / 20.0, 0.1 * bar(kRed) / 50.0);
  EXPECT_GT(Count(image, Shade(kRed)), 100);     // the shade
  EXPECT_GT(Dark(image, 0, 0, 768, 40), 100);    // the title
  EXPECT_GT(Dark(image, 20, 40, 256, 120), 50);  // legend texts

  // No bar is wider than 75 pixels, however wide the chart.
  const RgbImage wide = RenderChart(Chart(kChartBar, {5}), 3000, 1000);
  int widest = 0;
  for (int x = 1000; x < 3000; ++x)
    widest += At(wide, x, 900) == kRed || At(wide, x, 900) == Shade(kRed);
  EXPECT_GT(widest, 60);
  EXPECT_LE(widest, 75);
}

TEST(ChartImageTest, TimeChartsMarkEveryDay) {
  for (int32_t kind : {5, 6}) {
    const RgbImage image = RenderChart(Chart(kind, {10, 40, 25, 30, 5, 50, 45}), 768, 256);
    // Circles in the three colours inside the panel, dates below it, the fill only for kind 6.
    for (Rgb colour : {kRed, kGreen, kBlue}) EXPECT_GT(Count(image, colour, 0, 40, 768, 256), 10);
    EXPECT_GT(Dark(image, 0, 222, 768, 256), 50) << kind;
    EXPECT_EQ(Count(image, Shade(kRed)) > 5000, kind == 6) << kind;
  }
}

TEST(ChartImageTest, HostileChartDataDrawsWithoutHarm) {
  std::vector<ChartData> charts;
  for (int32_t kind : {0, 2, 5, 6, 7, -1}) {
    charts.push_back(Chart(kind, {}));
    charts.push_back(Chart(kind, {0, 0}));
    ChartData odd =
        Chart(kind, {std::nan(""), 1e300, -1e300, -5, std::numeric_limits<double>::infinity()});
    odd.items[0].label = std::string("\xff\xfe\x00\x1b[2J", 6);
    odd.items[1].label = std::string(5000, 'x');
    odd.items[2].label = "/" + std::string(3000, '/');
    odd.title = std::string(400, '\xe2');
    charts.push_back(odd);
    std::vector<double> many(3000);
    for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<double>(i % 17);
    charts.push_back(Chart(kind, many));
  }
  for (const ChartData& chart : charts) {
    for (const auto& [width, height] : {std::pair{768, 256}, {3, 1}, {1, 40}, {120, 120}}) {
      const RgbImage image = RenderChart(chart, width, height);
      EXPECT_EQ(image.pixels.size(), static_cast<size_t>(width) * height * 3);
    }
  }
  EXPECT_TRUE(RenderChart(charts[0], 0, 10).pixels.empty());
  EXPECT_TRUE(RenderChart(charts[0], 10, -1).pixels.empty());
}

}  // namespace
}  // namespace velmora
