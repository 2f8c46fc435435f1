// The report model: what one report shows, computed once and rendered by every front end (the
// terminal table, CSV, JSON, the HTML export and the web UI) without computing anything more.
// Cells hold the texts as displayed; values hold the numbers behind them, for sorting, charts
// and machine readers. The chart data are the items a chart draws, or no chart.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/tick_time.h"

namespace velmora {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The background of a row that asks for none in particular.
inline constexpr Rgb kPlainBackground{255, 255, 240};

enum class CellAlign : uint8_t { kLeft, kRight, kCenter };

struct ReportColumn {
  std::string caption;
  CellAlign align = CellAlign::kRight;
  bool wide = false;  // takes the room left over (the key column)
};

struct ReportRow {
  std::vector<std::string> cells;             // one per column, as displayed
  std::vector<std::optional<double>> values;  // one per column; none for a text cell
  Rgb colour = kPlainBackground;              // the row's background
  bool bold = false;
  std::array<int32_t, 2> images = {-1, -1};  // marks (for example trend arrows); -1 none
};

// The chart kinds: 0 pie, 1 to 4 bar chart variants, 5 and 6 time chart variants.
inline constexpr int32_t kChartPie = 0;
inline constexpr int32_t kChartBar = 2;
inline constexpr int32_t kChartTime = 5;

struct ChartItem {
  std::string label;
  double value = 0;
  Rgb colour;
  Ticks x = 0;  // time charts: where the point stands
};

struct ChartData {
  int32_t kind = kChartBar;
  std::string title;
  std::vector<ChartItem> items;
  // Every value is a whole number (within 0.00001): labels print integers.
  bool whole_numbers = true;
};

// How a report came to be; for the status line and for tests, not part of what it shows.
enum class CacheUse : uint8_t {
  kNone,    // the report reads no cached result
  kBuilt,   // its cached result was built (or rebuilt) for this call
  kReused,  // its cached result matched and was read as it stood
};

struct ReportModel {
  std::string id;
  std::string title;
  Ticks reference_day = 0;  // "Today"
  std::vector<ReportColumn> columns;
  std::vector<ReportRow> rows;
  int32_t sort_column = -1;  // -1: rows in their own order
  std::optional<ChartData> chart;
  int64_t generation_ms = 0;
  CacheUse cache_use = CacheUse::kNone;
  // The cells hold addresses a person may look up or open (the list of single visits).
  bool cell_actions = false;
};

}  // namespace velmora
