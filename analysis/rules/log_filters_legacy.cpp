#include "analysis/rules/log_filters_legacy.h"

#include <array>
#include <string_view>
#include <vector>

#include "analysis/rules/network_text.h"
#include "analysis/rules/resource_rules.h"

namespace velmora {
namespace {

struct LegacyAction {
  std::string_view text;
  int32_t logging_action;
  int32_t type_action;
};

constexpr std::array<LegacyAction, 5> kLegacyActions = {{
    {"Do not Log", kLoggingDoNotLog, kTypeActionUnchanged},
    {"Log as Non-Visit", kLoggingNonVisit, kTypeActionUnchanged},
    {"Log as Non-Visit and Set Resource Type to Undefined", kLoggingNonVisit, kTypeUndefined},
    {"Log as Visit", kLoggingVisit, kTypeActionUnchanged},
    {"Log as Visit and Set Resource Type to Undefined", kLoggingVisit, kTypeUndefined},
}};

// The condition pieces, each ending in a blank, for the conditions that test something.
class Pieces {
 public:
  void Address(int32_t operation, std::string_view text) {
    static constexpr std::array<std::string_view, 4> kForms = {
        "IP_Address=", "IP_Address<>", "IP_Address in ", "IP_Address not in "};
    if (operation >= 1 && operation <= 4) Add(kForms[operation - 1], text, "");
  }
  // Texts quoted; `field` is "UserAgent", "Referrer", ...; `comparisons` 2 or 4 forms.
  void Text(std::string_view field, int32_t operation, std::string_view text, int comparisons) {
    if (operation < 1 || operation > comparisons) return;
    static constexpr std::array<std::string_view, 4> kForms = {"='", "<>'", " includes '",
                                                               " not includes '"};
    Add(std::string(field) + std::string(kForms[operation - 1]), text, "'");
  }
  void Status(int32_t operation, int32_t status) {
    if (operation == 1) Add("Status=", std::to_string(status), "");
    if (operation == 2) Add("Status<>", std::to_string(status), "");
  }

  std::string Joined() const {
    std::string joined;
    for (size_t i = 0; i < pieces_.size(); ++i) {
      if (i > 0) joined += "And ";
      joined += pieces_[i];
    }
    return joined;
  }

 private:
  void Add(std::string_view head, std::string_view value, std::string_view tail) {
    pieces_.push_back(std::string(head) + std::string(value) + std::string(tail) + " ");
  }
  std::vector<std::string> pieces_;
};

}  // namespace

std::string LegacyLogFilterName(const LegacyLogFilter& legacy) {
  Pieces pieces;
  pieces.Address(legacy.address_operation, legacy.address_text);
  pieces.Text("UserAgent", legacy.user_agent_operation, legacy.user_agent_text, 4);
  pieces.Text("Referrer", legacy.referrer_operation, legacy.referrer_text, 4);
  pieces.Text("Method", legacy.method_operation, legacy.method_text, 2);
  pieces.Status(legacy.status_operation, legacy.status);
  std::string name = pieces.Joined() + "Then ";
  if (legacy.action >= 0 && legacy.action < static_cast<int32_t>(kLegacyActions.size())) {
    name += kLegacyActions[static_cast<size_t>(legacy.action)].text;
  }
  return name;
}

LogFilter ConvertLegacyLogFilter(const LegacyLogFilter& legacy) {
  LogFilter filter;
  filter.name = LegacyLogFilterName(legacy);
  filter.address_operation = legacy.address_operation;
  filter.address_text = legacy.address_text;
  const NetworkAddress network = ParseNetworkText(legacy.address_text);
  filter.address = network.address;
  filter.address_mask = network.mask;
  filter.user_agent_operation = legacy.user_agent_operation;
  filter.user_agent_text = legacy.user_agent_text;
  filter.referrer_operation = legacy.referrer_operation;
  filter.referrer_text = legacy.referrer_text;
  filter.method_operation = legacy.method_operation;
  filter.method_text = legacy.method_text;
  filter.status_operation = legacy.status_operation;
  filter.status = legacy.status;
  filter.logging_action = kLoggingActionUnchanged;
  filter.type_action = kTypeActionUnchanged;
  if (legacy.action >= 0 && legacy.action < static_cast<int32_t>(kLegacyActions.size())) {
    const LegacyAction& action = kLegacyActions[static_cast<size_t>(legacy.action)];
    filter.logging_action = action.logging_action;
    filter.type_action = action.type_action;
  }
  return filter;
}

std::string LogFilterSummary(const LogFilter& filter) {
  Pieces pieces;
  pieces.Address(filter.address_operation, filter.address_text);
  pieces.Status(filter.status_operation, filter.status);
  pieces.Text("Method", filter.method_operation, filter.method_text, 2);
  pieces.Text("Referrer", filter.referrer_operation, filter.referrer_text, 4);
  pieces.Text("UserAgent", filter.user_agent_operation, filter.user_agent_text, 4);
  pieces.Text("Resource", filter.resource_operation, filter.resource_text, 4);
  pieces.Text("QueryString", filter.query_operation, filter.query_text, 4);
  std::string summary = pieces.Joined() + "Then ";

  std::vector<std::string> actions;
  if (filter.set_user_agent) actions.push_back("Set User Agent to '" + filter.new_user_agent + "'");
  if (filter.set_referrer) actions.push_back("Set Referrer to '" + filter.new_referrer + "'");
  if (filter.set_resource) actions.push_back("Set Resource to '" + filter.new_resource + "'");
  if (filter.set_query) actions.push_back("Set Query String to '" + filter.new_query + "'");
  if (!LoggingName(filter.logging_action).empty()) {
    actions.push_back(std::string(LoggingName(filter.logging_action)));
  }
  if (!ResourceTypeName(filter.type_action).empty()) {
    actions.push_back("Set Resource Type to " + std::string(ResourceTypeName(filter.type_action)));
  }
  if (filter.continue_with_others) actions.push_back("Continue with other filters");
  for (size_t i = 0; i < actions.size(); ++i) {
    if (i > 0) summary += ", ";
    summary += actions[i];
  }
  return summary;
}

}  // namespace velmora
