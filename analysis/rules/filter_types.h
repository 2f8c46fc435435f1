// The plain data of resource rules, log filters and the report-time filter, as the workspace
// settings hold them and the analysis applies them. Operations, targets and actions stay the
// 32-bit numbers the settings file stores, so a value read from a file is kept as read; the
// code that applies them treats a number outside its range as documented there, never as an
// index. The named constants below give those numbers their meaning.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Resource types, the low byte of a request class.
inline constexpr int32_t kTypeUndefined = 0;
inline constexpr int32_t kTypePage = 1;
inline constexpr int32_t kTypeDownload = 2;
inline constexpr int32_t kTypeImage = 3;

// Log-filter operations. Address: Any, Equals, Not Equals, Belongs to Subnet, Not Belongs to
// Subnet. Texts: Any, Equals, Not Equals, Includes, Not Includes. Method and status use the
// first three.
inline constexpr int32_t kFilterAny = 0;
inline constexpr int32_t kFilterEquals = 1;
inline constexpr int32_t kFilterNotEquals = 2;
inline constexpr int32_t kFilterInSubnet = 3;
inline constexpr int32_t kFilterIncludes = 3;
inline constexpr int32_t kFilterNotInSubnet = 4;
inline constexpr int32_t kFilterNotIncludes = 4;

// Log-filter actions: a type action 0..3 is a resource type; a logging action is Do not log,
// Log as Visit or Log as non-Visit.
inline constexpr int32_t kTypeActionUnchanged = 4;
inline constexpr int32_t kLoggingDoNotLog = 0;
inline constexpr int32_t kLoggingVisit = 1;
inline constexpr int32_t kLoggingNonVisit = 2;
inline constexpr int32_t kLoggingActionUnchanged = 3;

// Report filter conditions.
enum class ConditionOperation : int32_t {
  kEquals = 0,
  kNotEquals = 1,
  kIncludes = 2,
  kNotIncludes = 3
};
enum class ConditionTarget : int32_t {
  kReferrer = 0,
  kRefDomain = 1,
  kSearchEngine = 2,
  kSearchWord = 3,
  kSearchPhrase = 4,
  kExactPhrase = 5,
  kPage = 6,
  kDownload = 7,
  kImage = 8,
  kCountry = 9,
};
inline constexpr int32_t kConditionTargetCount = 10;

// Modes of the report-time filter (FilterBarState::filter_mode) and report filter match modes.
inline constexpr int32_t kFullFilter = 0;
inline constexpr int32_t kQuickFilter = 1;
inline constexpr int32_t kUnfiltered = 2;
inline constexpr int32_t kMatchAll = 0;
inline constexpr int32_t kMatchAny = 1;

// One flattened resource rule: a file mask and the RequestClass it gives, with the number of the
// rule (group) it came from.
struct ResourceMask {
  std::string mask;
  uint32_t request_class = 0;
  int32_t group = 0;

  friend bool operator==(const ResourceMask&, const ResourceMask&) = default;
};

// One log filter; member defaults are those of a new filter, which drops requests from the local
// machine. Operations: address 0 Any, 1 Equals, 2 Not Equals, 3 Belongs to Subnet, 4 Not Belongs;
// user agent, referrer, resource, query 0 Any, 1 Equals, 2 Not Equals, 3 Includes, 4 Not
// Includes; method and status 0 Any, 1 Equals, 2 Not Equals.
struct LogFilter {
  std::string name = "New Filter";
  int32_t address_operation = 1;
  std::string address_text = "127.0.0.1";
  uint32_t address = 0x7F000001;       // parsed from address_text
  uint32_t address_mask = 0xFFFFFFFF;  // parsed from address_text
  int32_t user_agent_operation = 0;
  std::string user_agent_text;
  int32_t referrer_operation = 0;
  std::string referrer_text;
  int32_t method_operation = 0;
  std::string method_text;
  int32_t status_operation = 0;
  int32_t status = 0;
  int32_t resource_operation = 0;
  std::string resource_text;
  int32_t query_operation = 0;
  std::string query_text;
  int32_t set_user_agent = 0;
  std::string new_user_agent;
  int32_t set_referrer = 0;
  std::string new_referrer;
  int32_t set_resource = 0;
  std::string new_resource;
  int32_t set_query = 0;
  std::string new_query;
  int32_t continue_with_others = 0;
  int32_t type_action = 0;     // 0..3 a ResourceType, 4 Unchanged
  int32_t logging_action = 0;  // 0 Do not log, 1 Log as Visit, 2 Log as non-Visit, 3 Unchanged

  friend bool operator==(const LogFilter&, const LogFilter&) = default;
};

// The state of the report-time filter that a workspace's settings keep.
struct FilterBarState {
  int32_t show_non_visit = 0;
  int32_t time_interval = 1;    // days, 1..3
  int32_t custom_weeks = 13;    // the Custom period in weeks; 13 in new workspaces
  std::string selected_filter;  // name of the selected saved report filter, "" for none
  int32_t filter_mode = 2;      // 0 Full filter, 1 Quick filter, 2 Unfiltered
  int32_t quick_operation = 0;  // FilterCondition operation
  int32_t quick_target = 0;     // FilterCondition target
  std::string ip_filter;        // at most 20 characters
  std::string quick_value;      // at most 2048 characters

  friend bool operator==(const FilterBarState&, const FilterBarState&) = default;
};

// One condition of a saved report filter. Target: 0 Referrer, 1 Ref. Domain, 2 Search Engine,
// 3 Search Word, 4 Search Phrase, 5 Exact S. Phrase, 6 Page, 7 Download, 8 Image, 9 Country.
// Operation: 0 Equals, 1 Not equals, 2 Includes, 3 Not includes.
struct FilterCondition {
  int32_t target = 0;
  int32_t operation = 0;
  std::string value;

  friend bool operator==(const FilterCondition&, const FilterCondition&) = default;
};

// A saved report filter. Match mode: 0 "All conditions are satisfied", 1 "At least one
// condition is satisfied".
struct ReportFilter {
  std::string name;
  int32_t match_mode = 0;
  std::vector<FilterCondition> conditions;

  friend bool operator==(const ReportFilter&, const ReportFilter&) = default;
};

}  // namespace velmora
