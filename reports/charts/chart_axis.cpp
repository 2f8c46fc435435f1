#include "reports/charts/chart_axis.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace velmora {
namespace {

// log10(2): the decimal logarithm as the base-2 one scaled.
constexpr double kLog10Of2 = 0.3010299956639812;
// A range of exactly a power of ten computes its logarithm a hair below the whole number; it
// still takes that power as its step.
constexpr double kLogSlack = 1e-9;

struct Unit {
  double size;
  const char* suffix;
};
constexpr Unit kUnits[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "k"}};

}  // namespace

AxisScale ScaleAxis(double smallest, double largest, bool whole_numbers, bool with_units) {
  AxisScale scale;
  scale.low = smallest < 0 ? smallest * 1.05 : smallest * 0.95;
  scale.high = largest < 0 ? largest * 0.95 : largest * 1.05;
  if (!(scale.high > scale.low)) {
    // Only values that are all zero get here.
    scale.low = 0;
    scale.high = 1;
  }
  const double exponent = std::floor(std::log2(scale.high - scale.low) * kLog10Of2 + kLogSlack);
  scale.step = std::pow(10.0, exponent);
  if (whole_numbers && scale.step < 1) scale.step = 1;
  scale.decimals = scale.step < 1 ? static_cast<int>(std::lround(-std::log10(scale.step))) : 0;
  if (with_units) {
    for (const Unit& unit : kUnits) {
      if (scale.step >= unit.size) {
        scale.unit = unit.size;
        scale.suffix = unit.suffix;
        break;
      }
    }
  }
  return scale;
}

std::string AxisLabel(const AxisScale& scale, double value) {
  // A grid line at zero computed as -0.0000001 prints as 0, not -0, and zero needs no unit.
  double shown = value / scale.unit;
  if (std::fabs(shown) < scale.step / scale.unit / 2) shown = 0;
  char format[32];
  std::snprintf(format, sizeof format, "%%.%df%s", scale.decimals, shown == 0 ? "" : scale.suffix);
  const int size = std::snprintf(nullptr, 0, format, shown);
  if (size <= 0) return "";
  std::vector<char> text(static_cast<size_t>(size) + 1);
  std::snprintf(text.data(), text.size(), format, shown);
  return std::string(text.data(), static_cast<size_t>(size));
}

}  // namespace velmora
