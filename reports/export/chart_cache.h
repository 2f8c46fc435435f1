// Chart pictures kept between exports: a picture is a function of its chart data and width, so
// one drawn before is copied instead of drawn and compressed again. The pictures live in the
// workspace's reports/ folder beside the cached results, and go with them when new data arrive.
#pragma once

#include <cstdint>
#include <string>

#include "reports/export/page_writer.h"
#include "reports/frame/report_model.h"

namespace velmora {

// A 64-bit digest of everything a chart picture is drawn from.
uint64_t ChartDigest(const ChartData& chart, int width);

// `draw` behind a cache in `cache_folder`: a picture found there (by digest) is copied to the
// target; a new one is drawn there first. When the cache cannot be used, it draws directly.
ChartWriter CachingChartWriter(std::string cache_folder, ChartWriter draw);

}  // namespace velmora
