// The value axis of the bar and time charts: the range the values are drawn over, the grid step
// and the labels of the grid lines.
#pragma once

#include <string>

namespace velmora {

struct AxisScale {
  double low = 0;
  double high = 1;   // always above low
  double step = 1;   // a power of ten; grid lines stand at its multiples
  int decimals = 0;  // of the labels
  double unit = 1;   // labels show value / unit followed by suffix
  const char* suffix = "";
};

// The axis over values from `smallest` to `largest`, each side widened by 5 % away from zero
// (a zero side stays). The step is ten to the power of the whole part of the range's decimal
// logarithm, so a range holds one to ten steps. Whole numbers print no decimals; `with_units`
// prints thousands, millions and billions as "k", "M" and "G".
AxisScale ScaleAxis(double smallest, double largest, bool whole_numbers, bool with_units);

// The label of a grid line at `value`.
std::string AxisLabel(const AxisScale& scale, double value);

}  // namespace velmora
