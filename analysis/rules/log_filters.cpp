#include "analysis/rules/log_filters.h"

#include <string_view>
#include <utility>

#include "core/ascii.h"

namespace velmora {
namespace {

bool AddressHolds(int32_t operation, const NetworkAddress& network, uint32_t client) {
  switch (operation) {
    case kFilterEquals:
      return client == network.address;
    case kFilterNotEquals:
      return client != network.address;
    case kFilterInSubnet:
      return (client & network.mask) == (network.address & network.mask);
    case kFilterNotInSubnet:
      return (client & network.mask) != (network.address & network.mask);
    default:
      return true;
  }
}

bool StatusHolds(int32_t operation, int32_t wanted, int32_t status) {
  switch (operation) {
    case kFilterEquals:
      return status == wanted;
    case kFilterNotEquals:
      return status != wanted;
    default:
      return true;
  }
}

// Method: Equals and Not Equals only, ignoring case.
bool MethodHolds(int32_t operation, std::string_view wanted, std::string_view method) {
  switch (operation) {
    case kFilterEquals:
      return AsciiEqualsIgnoreCase(method, wanted);
    case kFilterNotEquals:
      return !AsciiEqualsIgnoreCase(method, wanted);
    default:
      return true;
  }
}

// Whole-text comparisons ignore case; Includes is a case-sensitive substring test that an empty
// filter text never passes (and Not Includes therefore always does).
bool TextHolds(int32_t operation, std::string_view wanted, std::string_view field) {
  switch (operation) {
    case kFilterEquals:
      return AsciiEqualsIgnoreCase(field, wanted);
    case kFilterNotEquals:
      return !AsciiEqualsIgnoreCase(field, wanted);
    case kFilterIncludes:
      return !wanted.empty() && field.find(wanted) != std::string_view::npos;
    case kFilterNotIncludes:
      return wanted.empty() || field.find(wanted) == std::string_view::npos;
    default:
      return true;
  }
}

void ApplyReplacements(const LogFilter& filter, LogRecord& record) {
  if (filter.set_referrer) record.referrer.assign(filter.new_referrer);
  if (filter.set_user_agent) record.user_agent.assign(filter.new_user_agent);
  if (filter.set_resource) record.uri_stem.assign(filter.new_resource);
  if (filter.set_query) record.query.assign(filter.new_query);
}

void ApplyActions(const LogFilter& filter, LogFilterVerdict& verdict) {
  switch (filter.logging_action) {
    case kLoggingDoNotLog:
      // Not logging leaves nothing for the rules to decide: the type counts as set too.
      verdict.logging = 0;
      verdict.logging_set = true;
      verdict.type_set = true;
      break;
    case kLoggingVisit:
      verdict.logging = 0x100;
      verdict.logging_set = true;
      break;
    case kLoggingNonVisit:
      verdict.logging = 0x200;
      verdict.logging_set = true;
      break;
    default:
      break;
  }
  if (filter.type_action >= kTypeUndefined && filter.type_action <= kTypeImage) {
    verdict.type = static_cast<uint32_t>(filter.type_action);
    verdict.type_set = true;
  }
}

}  // namespace

bool LogFilterMatches(const LogFilter& filter, const NetworkAddress& network,
                      const LogRecord& record) {
  return AddressHolds(filter.address_operation, network, record.client_address) &&
         StatusHolds(filter.status_operation, filter.status, record.status) &&
         MethodHolds(filter.method_operation, filter.method_text, record.method.view()) &&
         TextHolds(filter.referrer_operation, filter.referrer_text, record.referrer.view()) &&
         TextHolds(filter.user_agent_operation, filter.user_agent_text, record.user_agent.view()) &&
         TextHolds(filter.resource_operation, filter.resource_text, record.uri_stem.view()) &&
         TextHolds(filter.query_operation, filter.query_text, record.query.view());
}

LogFilterSet::LogFilterSet(std::vector<LogFilter> filters) : filters_(std::move(filters)) {
  networks_.reserve(filters_.size());
  for (const LogFilter& filter : filters_) {
    networks_.push_back(ParseNetworkText(filter.address_text));
  }
}

LogFilterVerdict LogFilterSet::Apply(LogRecord& record) const {
  LogFilterVerdict verdict;
  for (size_t i = 0; i < filters_.size(); ++i) {
    const LogFilter& filter = filters_[i];
    if (!LogFilterMatches(filter, networks_[i], record)) continue;
    ApplyReplacements(filter, record);
    ApplyActions(filter, verdict);
    if (!filter.continue_with_others) break;
  }
  return verdict;
}

LogFilterVerdict ApplyLogFilters(std::span<const LogFilter> filters, LogRecord& record) {
  return LogFilterSet(std::vector<LogFilter>(filters.begin(), filters.end())).Apply(record);
}

}  // namespace velmora
