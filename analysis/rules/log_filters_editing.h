// Editing the log filter list: check a filter, add it at the end, remove one, move one up or
// down. Filters are numbered from 1 in list order. A refused edit
// changes nothing and says why; an accepted filter has its network numbers set from its
// address text.
#pragma once

#include <vector>

#include "analysis/rules/filter_types.h"
#include "analysis/rules/resource_rules_editing.h"
#include "core/result.h"

namespace velmora {

// Filter texts are compared with request fields, which hold at most this many characters.
inline constexpr size_t kMaxFilterTextLength = 2048;
inline constexpr size_t kMaxFilterNameLength = 259;

// Checks every field of `filter` and sets its address and mask from its address text.
// Refused: an empty or over-long name; an operation, type or logging action out of range; a
// text over 2,048 characters or holding a NUL; an address text that is not an address or
// network (a.b.c.d up to 255 each, or a.b.c.d/w with w up to 32) while the address is tested.
Status ValidateLogFilter(LogFilter& filter);

// Whether the filter tests anything: a filter without a condition applies to every request.
bool HasCondition(const LogFilter& filter);

// ValidateLogFilter, then appends the filter.
Status AddLogFilter(std::vector<LogFilter>& filters, LogFilter filter);
// Replaces filter `number` (1-based) by `filter` once that is valid.
Status ReplaceLogFilter(std::vector<LogFilter>& filters, int number, LogFilter filter);
Status RemoveLogFilter(std::vector<LogFilter>& filters, int number);
Status MoveLogFilter(std::vector<LogFilter>& filters, int number, MoveDirection direction);

}  // namespace velmora
