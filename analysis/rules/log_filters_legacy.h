// Log filters of the oldest workspace format, converted to today's LogFilter when such a file
// is read. An old filter held only address, user-agent, referrer, method and status conditions
// and one action code; it had no name, so the converted filter is named after what it does,
// e.g. "IP_Address=127.0.0.1 Then Do not Log". The same wording summarises any filter in a list.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/rules/filter_types.h"

namespace velmora {

// One filter as the oldest format stored it. Operations as in LogFilter.
struct LegacyLogFilter {
  int32_t address_operation = 0;
  std::string address_text = {};
  int32_t user_agent_operation = 0;
  std::string user_agent_text = {};
  int32_t referrer_operation = 0;
  std::string referrer_text = {};
  int32_t method_operation = 0;
  std::string method_text = {};
  int32_t status_operation = 0;
  int32_t status = 0;
  // 0 "Do not Log", 1 "Log as Non-Visit", 2 "Log as Non-Visit and Set Resource Type to
  // Undefined", 3 "Log as Visit", 4 "Log as Visit and Set Resource Type to Undefined".
  int32_t action = 0;
};

// The filter with its name, conditions and actions; resource and query conditions,
// replacements and continue off. An action code outside 0..4 leaves type and logging
// unchanged and names no action.
LogFilter ConvertLegacyLogFilter(const LegacyLogFilter& legacy);

// The name of the converted filter: the pieces of the conditions present joined by "And ",
// then "Then " and the action's text.
std::string LegacyLogFilterName(const LegacyLogFilter& legacy);

// A one-line account of any filter in the same words, resource and query conditions,
// replacements and continue included, for listing filters.
std::string LogFilterSummary(const LogFilter& filter);

}  // namespace velmora
