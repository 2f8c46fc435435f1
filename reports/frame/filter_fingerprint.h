// The filter fingerprint: one number that changes whenever the report-time filter could count
// other visits, kept in each cached result so that a cache built under another filter is never
// reused.
//
// A CRC-32 (register from all ones, complemented) over, in this order: when a saved filter is
// selected, its match mode, its name and each condition's operation, target and value; then the
// filter mode, whether an "IP Filter:" is set, the Custom weeks and the parsed address, mask and
// count of numbers read; then "Show Non-visit" and, in Quick filter mode, the quick condition's
// operation, target and value. Numbers go in as 4 little-endian bytes, texts with their NUL.
// The visitor-list interval in days counts nothing in these reports and is left out.
#pragma once

#include <cstdint>
#include <span>

#include "analysis/rules/filter_types.h"

namespace velmora {

uint32_t FilterFingerprint(const FilterBarState& bar, std::span<const ReportFilter> saved_filters);

}  // namespace velmora
