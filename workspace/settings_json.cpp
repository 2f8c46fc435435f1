#include "workspace/settings_json.h"

#include <cstdint>
#include <limits>
#include <variant>
#include <vector>

#include "workspace/settings_keys.h"

namespace velmora {
namespace {

using nlohmann::json;

constexpr int64_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kU32Max = std::numeric_limits<uint32_t>::max();
constexpr size_t kNameLength = kTextFieldSize - 1;
// Filter texts are compared with request fields, which hold up to 2048 characters.
constexpr size_t kFilterTextLength = 2048;
constexpr size_t kIpFilterLength = 20;

// One field of a list item: its JSON name, the member it maps to and what it accepts.
template <class T>
struct Field {
  std::string_view name;
  std::variant<int32_t T::*, uint32_t T::*, std::string T::*> member;
  int64_t min = 0;
  int64_t max = 0;
  size_t max_length = 0;
};

template <class T>
constexpr Field<T> I32(std::string_view name, int32_t T::*m, int64_t min, int64_t max) {
  return {name, m, min, max, 0};
}
template <class T>
constexpr Field<T> U32(std::string_view name, uint32_t T::*m, int64_t max = kU32Max) {
  return {name, m, 0, max, 0};
}
template <class T>
constexpr Field<T> Text(std::string_view name, std::string T::*m, size_t max_length) {
  return {name, m, 0, 0, max_length};
}

const Field<ResourceMask> kMaskFields[] = {
    Text("mask", &ResourceMask::mask, kNameLength),
    U32("request-class", &ResourceMask::request_class, 0x2FF),
    I32("group", &ResourceMask::group, 0, kI32Max),
};

using LF = LogFilter;
const Field<LogFilter> kLogFilterFields[] = {
    Text("name", &LF::name, kNameLength),
    I32("address-operation", &LF::address_operation, 0, 4),
    Text("address-text", &LF::address_text, kFilterTextLength),
    U32("address", &LF::address),
    U32("address-mask", &LF::address_mask),
    I32("user-agent-operation", &LF::user_agent_operation, 0, 4),
    Text("user-agent-text", &LF::user_agent_text, kFilterTextLength),
    I32("referrer-operation", &LF::referrer_operation, 0, 4),
    Text("referrer-text", &LF::referrer_text, kFilterTextLength),
    I32("method-operation", &LF::method_operation, 0, 2),
    Text("method-text", &LF::method_text, kFilterTextLength),
    I32("status-operation", &LF::status_operation, 0, 2),
    I32("status", &LF::status, kI32Min, kI32Max),
    I32("resource-operation", &LF::resource_operation, 0, 4),
    Text("resource-text", &LF::resource_text, kFilterTextLength),
    I32("query-operation", &LF::query_operation, 0, 4),
    Text("query-text", &LF::query_text, kFilterTextLength),
    I32("set-user-agent", &LF::set_user_agent, 0, 1),
    Text("new-user-agent", &LF::new_user_agent, kFilterTextLength),
    I32("set-referrer", &LF::set_referrer, 0, 1),
    Text("new-referrer", &LF::new_referrer, kFilterTextLength),
    I32("set-resource", &LF::set_resource, 0, 1),
    Text("new-resource", &LF::new_resource, kFilterTextLength),
    I32("set-query", &LF::set_query, 0, 1),
    Text("new-query", &LF::new_query, kFilterTextLength),
    I32("continue", &LF::continue_with_others, 0, 1),
    I32("type-action", &LF::type_action, 0, 4),
    I32("logging-action", &LF::logging_action, 0, 3),
};

using FB = FilterBarState;
const Field<FilterBarState> kFilterBarFields[] = {
    I32("show-non-visit", &FB::show_non_visit, 0, 1),
    I32("time-interval", &FB::time_interval, 1, 3),
    I32("custom-weeks", &FB::custom_weeks, 1, 5200),
    Text("selected-filter", &FB::selected_filter, kNameLength),
    I32("filter-mode", &FB::filter_mode, 0, 2),
    I32("quick-operation", &FB::quick_operation, 0, 3),
    I32("quick-target", &FB::quick_target, 0, 9),
    Text("ip-filter", &FB::ip_filter, kIpFilterLength),
    Text("quick-value", &FB::quick_value, kFilterTextLength),
};

const Field<ReportFilter> kReportFilterFields[] = {
    Text("name", &ReportFilter::name, kNameLength),
    I32("match-mode", &ReportFilter::match_mode, 0, 1),
};

const Field<FilterCondition> kConditionFields[] = {
    I32("target", &FilterCondition::target, 0, 9),
    I32("operation", &FilterCondition::operation, 0, 3),
    Text("value", &FilterCondition::value, kFilterTextLength),
};

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t extra = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// Texts are bytes; JSON wants UTF-8. Texts that are UTF-8 already (the usual case on Linux) go
// out unchanged; any other text is taken as Latin-1 so that it can still be shown.
json JsonText(const std::string& s) {
  if (IsValidUtf8(s)) return s;
  std::string out;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

template <class T, size_t N>
json ItemToJson(const T& item, const Field<T> (&fields)[N]) {
  json out = json::object();
  for (const Field<T>& f : fields) {
    std::visit(
        [&](auto member) {
          using V = std::remove_cvref_t<decltype(item.*member)>;
          if constexpr (std::is_same_v<V, std::string>) {
            out[std::string(f.name)] = JsonText(item.*member);
          } else {
            out[std::string(f.name)] = item.*member;
          }
        },
        f.member);
  }
  return out;
}

Error Invalid(const std::string& where, std::string_view what) {
  return Error{0, where + " " + std::string(what)};
}

std::string RangeText(int64_t min, int64_t max) {
  if (min == 0 && max == 1) return "must be 0 or 1";
  return "must be a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

// Reads the fields of `value` into `item` (which holds the values of absent fields).
template <class T, size_t N>
Status ItemFromJson(const json& value, const std::string& where, const Field<T> (&fields)[N],
                    T& item, std::string_view nested = {}) {
  if (!value.is_object()) return Invalid(where, "must be an object");
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (!nested.empty() && it.key() == nested) continue;
    const Field<T>* field = nullptr;
    for (const Field<T>& f : fields) {
      if (f.name == it.key()) field = &f;
    }
    const std::string name = where + "." + it.key();
    if (field == nullptr) return Error{0, "Unknown field '" + it.key() + "' in " + where};
    const json& v = it.value();
    if (std::holds_alternative<std::string T::*>(field->member)) {
      if (!v.is_string()) return Invalid(name, "must be a text");
      const auto& text = v.get_ref<const std::string&>();
      if (text.size() > field->max_length) {
        return Invalid(name,
                       "must be at most " + std::to_string(field->max_length) + " characters");
      }
      if (text.find('\0') != std::string::npos) {
        return Invalid(name, "must not contain a NUL character");
      }
      item.*std::get<std::string T::*>(field->member) = text;
      continue;
    }
    if (!v.is_number_integer()) return Invalid(name, RangeText(field->min, field->max));
    int64_t number = 0;
    bool in_range = false;
    if (v.is_number_unsigned()) {
      const uint64_t u = v.get<uint64_t>();
      in_range = u <= static_cast<uint64_t>(field->max);
      number = static_cast<int64_t>(u);
    } else {
      number = v.get<int64_t>();
      in_range = number <= field->max;
    }
    if (!in_range || number < field->min) return Invalid(name, RangeText(field->min, field->max));
    if (std::holds_alternative<int32_t T::*>(field->member)) {
      item.*std::get<int32_t T::*>(field->member) = static_cast<int32_t>(number);
    } else {
      item.*std::get<uint32_t T::*>(field->member) = static_cast<uint32_t>(number);
    }
  }
  return {};
}

template <class T, size_t N>
Status ListFromJson(const json& value, std::string_view name, const Field<T> (&fields)[N],
                    std::vector<T>& out) {
  if (!value.is_array()) return Invalid(std::string(name), "must be a list");
  std::vector<T> items;
  items.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string where = std::string(name) + "[" + std::to_string(i) + "]";
    T item;
    if (Status s = ItemFromJson(value[i], where, fields, item); !s.ok()) return s;
    items.push_back(std::move(item));
  }
  out = std::move(items);
  return {};
}

// A request class is a ResourceType (0..3) in the low byte with at most one logging bit.
bool IsValidRequestClass(uint32_t c) {
  return (c & 0xFF) <= 3 && (c & ~0x3FFu) == 0 && (c & 0x300) != 0x300;
}

Status ReportFiltersFromJson(const json& value, std::vector<ReportFilter>& out) {
  if (!value.is_array()) return Invalid("report-filters", "must be a list");
  std::vector<ReportFilter> filters;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string where = "report-filters[" + std::to_string(i) + "]";
    ReportFilter filter;
    if (Status s = ItemFromJson(value[i], where, kReportFilterFields, filter, "conditions");
        !s.ok()) {
      return s;
    }
    if (auto it = value[i].find("conditions"); it != value[i].end()) {
      Status s = ListFromJson(*it, where + ".conditions", kConditionFields, filter.conditions);
      if (!s.ok()) return s;
    }
    filters.push_back(std::move(filter));
  }
  out = std::move(filters);
  return {};
}

Status ApplyDocument(WorkspaceSettings& s, const json& doc) {
  if (!doc.is_object()) return Error{0, "The settings document must be a JSON object"};
  for (auto it = doc.begin(); it != doc.end(); ++it) {
    const std::string& key = it.key();
    const json& v = it.value();
    if (key == "workspace-name") continue;
    Status status;
    if (key == "resource-masks") {
      status = ListFromJson(v, key, kMaskFields, s.resource_masks);
      for (size_t i = 0; status.ok() && i < s.resource_masks.size(); ++i) {
        if (!IsValidRequestClass(s.resource_masks[i].request_class)) {
          status = Invalid("resource-masks[" + std::to_string(i) + "].request-class",
                           "must be a resource type 0..3 plus 0, 0x100 or 0x200");
        }
      }
    } else if (key == "log-filters") {
      status = ListFromJson(v, key, kLogFilterFields, s.log_filters);
    } else if (key == "filter-bar") {
      status = ItemFromJson(v, key, kFilterBarFields, s.filter_bar);
    } else if (key == "report-filters") {
      status = ReportFiltersFromJson(v, s.report_filters);
    } else if (const SettingKey* k = FindSettingKey(key); k == nullptr) {
      status = Error{0, "Unknown setting '" + key + "'"};
    } else if (k->kind == SettingKind::kText) {
      status = v.is_string() ? SetSetting(s, key, v.get_ref<const std::string&>())
                             : Invalid(key, "must be a text");
    } else {
      // A choice may be written by its name, as on the command line.
      const bool named = v.is_string() && (k->time_zone || !k->value_names.empty());
      status = v.is_number_integer() ? SetSetting(s, key, v.dump())
               : named               ? SetSetting(s, key, v.get_ref<const std::string&>())
                                     : Invalid(key, "must be " + AcceptedValues(*k));
    }
    if (!status.ok()) return status;
  }
  return {};
}

}  // namespace

json SettingsToJson(const WorkspaceSettings& s) {
  json out = json::object();
  for (const SettingKey& k : SettingKeys()) {
    const std::string value = GetSetting(s, k.name).value();
    if (k.kind == SettingKind::kText) {
      out[std::string(k.name)] = JsonText(value);
    } else {
      out[std::string(k.name)] = std::stoll(value);
    }
  }
  json& masks = out["resource-masks"] = json::array();
  for (const ResourceMask& m : s.resource_masks) masks.push_back(ItemToJson(m, kMaskFields));
  json& filters = out["log-filters"] = json::array();
  for (const LogFilter& f : s.log_filters) filters.push_back(ItemToJson(f, kLogFilterFields));
  out["filter-bar"] = ItemToJson(s.filter_bar, kFilterBarFields);
  json& reports = out["report-filters"] = json::array();
  for (const ReportFilter& f : s.report_filters) {
    json item = ItemToJson(f, kReportFilterFields);
    json& conditions = item["conditions"] = json::array();
    for (const FilterCondition& c : f.conditions) {
      conditions.push_back(ItemToJson(c, kConditionFields));
    }
    reports.push_back(std::move(item));
  }
  return out;
}

std::string SettingsToJsonText(const WorkspaceSettings& settings) {
  return SettingsToJson(settings).dump(2) + "\n";
}

Status ImportSettingsJson(WorkspaceSettings& settings, const json& document) {
  // Work on a copy: the document is applied whole or not at all.
  WorkspaceSettings updated = settings;
  Status status;
  try {
    status = ApplyDocument(updated, document);
  } catch (const json::exception& e) {
    status = Error{0, std::string("The settings document is not valid: ") + e.what()};
  }
  if (status.ok()) settings = std::move(updated);
  return status;
}

Status ImportSettingsJsonText(WorkspaceSettings& settings, std::string_view text) {
  const json document = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) return Error{0, "The settings document is not valid JSON"};
  return ImportSettingsJson(settings, document);
}

}  // namespace velmora
