#include "analysis/rules/log_filters_editing.h"

#include <string>
#include <string_view>
#include <utility>

#include "analysis/rules/network_text.h"

namespace velmora {
namespace {

Error Refused(std::string message) { return Error{0, std::move(message)}; }

Status CheckOperation(std::string_view what, int32_t operation, int32_t highest,
                      std::string_view allowed) {
  if (operation < 0 || operation > highest) {
    return Refused("The " + std::string(what) + " operation " + std::to_string(operation) +
                   " is not one of " + std::string(allowed));
  }
  return {};
}

Status CheckText(std::string_view what, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    return Refused("The " + std::string(what) + " cannot hold a NUL character");
  }
  if (text.size() > kMaxFilterTextLength) {
    return Refused("The " + std::string(what) + " is longer than " +
                   std::to_string(kMaxFilterTextLength) + " characters");
  }
  return {};
}

Status CheckFlag(std::string_view what, int32_t flag) {
  if (flag != 0 && flag != 1) return Refused("\"" + std::string(what) + "\" must be 0 or 1");
  return {};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads 1 to 3 digits of a value up to `highest` at `pos`.
bool ReadPart(std::string_view text, size_t& pos, int highest) {
  const size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
  }
  return pos > start && value <= highest;
}

// An address or network the way it is meant to be written: a.b.c.d with each number up to 255,
// optionally "/w" with w up to 32, nothing else but blanks around it. A number out of range is
// a typing error the user must see: the run would quietly clamp it to another network.
bool IsNetworkText(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && (pos >= text.size() || text[pos++] != '.')) return false;
    if (!ReadPart(text, pos, 255)) return false;
  }
  if (pos < text.size() && text[pos] == '/') {
    ++pos;
    if (!ReadPart(text, pos, 32)) return false;
  }
  return pos == text.size();
}

constexpr std::string_view kTextOperations = "Any, Equals, Not Equals, Includes, Not Includes";
constexpr std::string_view kExactOperations = "Any, Equals, Not Equals";

}  // namespace

Status ValidateLogFilter(LogFilter& filter) {
  if (filter.name.empty()) return Refused("A filter needs a name");
  if (filter.name.size() > kMaxFilterNameLength || filter.name.find('\0') != std::string::npos) {
    return Refused("The filter name must be at most " + std::to_string(kMaxFilterNameLength) +
                   " characters without NUL");
  }
  const std::pair<std::string_view, int32_t> text_operations[] = {
      {"user-agent", filter.user_agent_operation},
      {"referrer", filter.referrer_operation},
      {"resource", filter.resource_operation},
      {"query", filter.query_operation},
  };
  if (Status s =
          CheckOperation("address", filter.address_operation, 4,
                         "Any, Equals, Not Equals, Belongs to Subnet, Not Belongs to Subnet");
      !s.ok()) {
    return s;
  }
  for (const auto& [what, operation] : text_operations) {
    if (Status s = CheckOperation(what, operation, 4, kTextOperations); !s.ok()) return s;
  }
  if (Status s = CheckOperation("method", filter.method_operation, 2, kExactOperations); !s.ok()) {
    return s;
  }
  if (Status s = CheckOperation("status", filter.status_operation, 2, kExactOperations); !s.ok()) {
    return s;
  }

  const std::pair<std::string_view, const std::string*> texts[] = {
      {"address text", &filter.address_text},     {"user-agent text", &filter.user_agent_text},
      {"referrer text", &filter.referrer_text},   {"method text", &filter.method_text},
      {"resource text", &filter.resource_text},   {"query text", &filter.query_text},
      {"new user agent", &filter.new_user_agent}, {"new referrer", &filter.new_referrer},
      {"new resource", &filter.new_resource},     {"new query string", &filter.new_query},
  };
  for (const auto& [what, text] : texts) {
    if (Status s = CheckText(what, *text); !s.ok()) return s;
  }
  const std::pair<std::string_view, int32_t> flags[] = {
      {"Set User Agent to", filter.set_user_agent},
      {"Set Referrer to", filter.set_referrer},
      {"Set Resource to", filter.set_resource},
      {"Set Query String to", filter.set_query},
      {"Continue with other filters", filter.continue_with_others},
  };
  for (const auto& [what, flag] : flags) {
    if (Status s = CheckFlag(what, flag); !s.ok()) return s;
  }
  if (filter.type_action < 0 || filter.type_action > kTypeActionUnchanged) {
    return Refused(
        "The resource type action must be Undefined, Page, Download, Image or Unchanged");
  }
  if (filter.logging_action < 0 || filter.logging_action > kLoggingActionUnchanged) {
    return Refused(
        "The logging action must be Do not log, Log as Visit, Log as non-Visit or Unchanged");
  }
  if (filter.address_operation != kFilterAny && !IsNetworkText(filter.address_text)) {
    return Refused("The address '" + filter.address_text.substr(0, 40) +
                   "' is not an address a.b.c.d or a network a.b.c.d/w (numbers up to 255, w up "
                   "to 32)");
  }
  const NetworkAddress network = ParseNetworkText(filter.address_text);
  filter.address = network.address;
  filter.address_mask = network.mask;
  return {};
}

bool HasCondition(const LogFilter& f) {
  for (const int32_t operation :
       {f.address_operation, f.user_agent_operation, f.referrer_operation, f.method_operation,
        f.status_operation, f.resource_operation, f.query_operation}) {
    if (operation != kFilterAny) return true;
  }
  return false;
}

Status AddLogFilter(std::vector<LogFilter>& filters, LogFilter filter) {
  if (Status s = ValidateLogFilter(filter); !s.ok()) return s;
  filters.push_back(std::move(filter));
  return {};
}

Status ReplaceLogFilter(std::vector<LogFilter>& filters, int number, LogFilter filter) {
  Result<size_t> index = ItemIndex(filters.size(), number, "filter");
  if (!index.ok()) return index.error();
  if (Status s = ValidateLogFilter(filter); !s.ok()) return s;
  filters[*index] = std::move(filter);
  return {};
}

Status RemoveLogFilter(std::vector<LogFilter>& filters, int number) {
  Result<size_t> index = ItemIndex(filters.size(), number, "filter");
  if (!index.ok()) return index.error();
  filters.erase(filters.begin() + static_cast<std::ptrdiff_t>(*index));
  return {};
}

Status MoveLogFilter(std::vector<LogFilter>& filters, int number, MoveDirection direction) {
  Result<size_t> target = MoveTarget(filters.size(), number, direction, "filter");
  if (!target.ok()) return target.error();
  std::swap(filters[static_cast<size_t>(number - 1)], filters[*target]);
  return {};
}

}  // namespace velmora
