#include "workspace/settings_keys.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>
#include <type_traits>

#include "core/ascii.h"
#include "parsing/records/time_zones.h"

namespace velmora {
namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr size_t kMaxText = kTextFieldSize - 1;

template <auto Field>
const std::string& GetText(const WorkspaceSettings& s) {
  return s.block.*Field;
}
template <auto Field>
std::string& MutableText(WorkspaceSettings& s) {
  return s.block.*Field;
}
const std::string& GetImportFolder(const WorkspaceSettings& s) { return s.last_import_folder; }
std::string& MutableImportFolder(WorkspaceSettings& s) { return s.last_import_folder; }

template <auto Field>
int64_t GetNumber(const WorkspaceSettings& s) {
  return static_cast<int64_t>(s.block.*Field);
}
template <auto Field>
void SetNumber(WorkspaceSettings& s, int64_t v) {
  using T = std::remove_cvref_t<decltype(s.block.*Field)>;
  s.block.*Field = static_cast<T>(v);
}
template <uint32_t Bit>
int64_t GetFlag(const WorkspaceSettings& s) {
  return (s.block.flags & Bit) != 0 ? 1 : 0;
}
template <uint32_t Bit>
void SetFlag(WorkspaceSettings& s, int64_t v) {
  s.block.flags = v != 0 ? (s.block.flags | Bit) : (s.block.flags & ~Bit);
}

struct Entry {
  SettingKey key;
  const std::string& (*get_text)(const WorkspaceSettings&) = nullptr;
  std::string& (*mutable_text)(WorkspaceSettings&) = nullptr;
  int64_t (*get_number)(const WorkspaceSettings&) = nullptr;
  void (*set_number)(WorkspaceSettings&, int64_t) = nullptr;
};

template <auto Field>
constexpr Entry Text(std::string_view name, size_t max_length = kMaxText, bool read_only = false) {
  return {{name, SettingKind::kText, 0, 0, max_length, read_only},
          &GetText<Field>,
          &MutableText<Field>,
          nullptr,
          nullptr};
}
constexpr std::string_view kSwitchNames[] = {"off", "on"};
// In the order the settings file numbers them.
constexpr std::string_view kRetrieveMethodNames[] = {"fetchlet", "ftp", "local"};
constexpr std::string_view kLogFormatNames[] = {"w3c", "auto", "custom"};
constexpr std::string_view kCompressionNames[] = {"bzip2", "gzip", "none"};

template <auto Field>
constexpr Entry Number(std::string_view name, int64_t min, int64_t max,
                       std::span<const std::string_view> value_names = {}) {
  return {{name, SettingKind::kNumber, min, max, 0, false, value_names},
          nullptr,
          nullptr,
          &GetNumber<Field>,
          &SetNumber<Field>};
}
template <auto Field>
constexpr Entry Switch(std::string_view name) {
  return Number<Field>(name, 0, 1, kSwitchNames);
}
template <auto Field>
constexpr Entry Zone(std::string_view name) {
  Entry entry = Number<Field>(name, 0, kTimeZoneCount - 1);
  entry.key.time_zone = true;
  return entry;
}
template <uint32_t Bit>
constexpr Entry Flag(std::string_view name) {
  return {{name, SettingKind::kNumber, 0, 1, 0, false, kSwitchNames},
          nullptr,
          nullptr,
          &GetFlag<Bit>,
          &SetFlag<Bit>};
}

using B = SettingsBlock;

// The values a change may set; a settings file may hold others, which are kept as read.
const std::array kEntries = {
    Text<&B::workspace_name>("workspace-name", kMaxText, true),
    Text<&B::server_names>("server-names"),
    Text<&B::default_file>("default-file"),
    Text<&B::http_server>("http-server"),
    Text<&B::ftp_server>("ftp-server"),
    Text<&B::fetchlet_path>("fetchlet-path"),
    Text<&B::http_log_path>("http-log-path"),
    Text<&B::ftp_log_path>("ftp-log-path"),
    Number<&B::ftp_port>("ftp-port", 1, 65535),
    Switch<&B::passive_ftp>("passive-ftp"),
    Text<&B::http_user>("http-user"),
    Text<&B::ftp_login>("ftp-login"),
    Text<&B::http_password>("http-password"),
    Text<&B::ftp_password>("ftp-password"),
    Number<&B::retrieval_options>("retrieval-options", 0, 15),
    Switch<&B::fetchlet_gzip>("fetchlet-gzip"),
    Number<&B::http_files_to_keep>("http-files-to-keep", 1, 9999),
    Number<&B::ftp_files_to_keep>("ftp-files-to-keep", 0, 999),
    Number<&B::retrieve_method>("retrieve-method", 0, 2, kRetrieveMethodNames),
    Number<&B::local_compression>("local-compression", 0, 2, kCompressionNames),
    Number<&B::log_format_mode>("log-format-mode", 0, 2, kLogFormatNames),
    Text<&B::custom_format>("custom-format", kCustomFormatFieldSize - 1),
    Number<&B::session_timeout>("session-timeout", 1, kInt32Max),
    Zone<&B::server_time_zone>("server-time-zone"),
    Zone<&B::your_time_zone>("your-time-zone"),
    Switch<&B::switch_to_recent>("switch-to-recent"),
    Flag<kFlagAdvancedVisitDetection>("advanced-visit-detection"),
    Flag<kFlagStoreFullPath>("store-full-path"),
    Flag<kFlagEnableFilters>("enable-filters"),
    Number<&B::export_limit>("export-limit", 0, kInt32Max),
    Number<&B::combined_export_limit>("combined-export-limit", 0, kInt32Max),
    Switch<&B::open_exported_report>("open-exported-report"),
    Entry{{"last-import-folder", SettingKind::kText, 0, 0, kMaxText, false},
          &GetImportFolder,
          &MutableImportFolder,
          nullptr,
          nullptr},
};

const std::array<SettingKey, kEntries.size()> kKeys = [] {
  std::array<SettingKey, kEntries.size()> keys;
  for (size_t i = 0; i < kEntries.size(); ++i) keys[i] = kEntries[i].key;
  return keys;
}();

const Entry* FindEntry(std::string_view name) {
  for (const Entry& e : kEntries) {
    if (e.key.name == name) return &e;
  }
  return nullptr;
}

// A value name in any case, or nullopt.
std::optional<int64_t> NamedValue(const SettingKey& k, std::string_view value) {
  for (size_t i = 0; i < k.value_names.size(); ++i) {
    if (AsciiEqualsIgnoreCase(k.value_names[i], value)) return k.min + static_cast<int64_t>(i);
  }
  return std::nullopt;
}

std::string ZoneList() {
  std::string list;
  for (size_t i = 0; i < TimeZones().size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "\n  %2zu  ", i);
    list += number;
    list += TimeZones()[i].name;
  }
  return list;
}

}  // namespace

std::string AcceptedValues(const SettingKey& k) {
  if (k.kind == SettingKind::kText) {
    return "a text of at most " + std::to_string(k.max_length) + " bytes";
  }
  if (k.time_zone) {
    return "a zone number from " + std::to_string(k.min) + " to " + std::to_string(k.max) +
           ", a UTC offset such as UTC+01:00 or -05:00, or a zone's name or a part of it such "
           "as London";
  }
  if (!k.value_names.empty()) {
    std::string text;
    for (size_t i = 0; i < k.value_names.size(); ++i) {
      if (i > 0) text += i + 1 == k.value_names.size() ? " or " : ", ";
      text += std::string(k.value_names[i]) + " (" + std::to_string(k.min + i) + ")";
    }
    return text;
  }
  return "a whole number from " + std::to_string(k.min) + " to " + std::to_string(k.max);
}

namespace {

Error Refusal(const SettingKey& k) {
  std::string text = std::string(k.name) + " must be " + AcceptedValues(k);
  if (k.time_zone) text += "; the zones are:" + ZoneList();
  return Error{0, std::move(text)};
}

}  // namespace

std::span<const SettingKey> SettingKeys() { return kKeys; }

const SettingKey* FindSettingKey(std::string_view name) {
  const Entry* e = FindEntry(name);
  return e != nullptr ? &kKeys[static_cast<size_t>(e - kEntries.data())] : nullptr;
}

Result<std::string> GetSetting(const WorkspaceSettings& settings, std::string_view key) {
  const Entry* e = FindEntry(key);
  if (e == nullptr) return Error{0, "Unknown setting '" + std::string(key) + "'"};
  if (e->key.kind == SettingKind::kText) return e->get_text(settings);
  return std::to_string(e->get_number(settings));
}

Status SetSetting(WorkspaceSettings& settings, std::string_view key, std::string_view value) {
  const Entry* e = FindEntry(key);
  if (e == nullptr) return Error{0, "Unknown setting '" + std::string(key) + "'"};
  const SettingKey& k = e->key;
  const std::string name(k.name);
  if (k.read_only) return Error{0, name + " cannot be changed"};
  if (k.kind == SettingKind::kText) {
    if (value.size() > k.max_length) {
      return Error{0, name + " must be at most " + std::to_string(k.max_length) + " characters"};
    }
    if (value.find('\0') != std::string_view::npos) {
      return Error{0, name + " must not contain a NUL character"};
    }
    e->mutable_text(settings) = std::string(value);
    return {};
  }
  int64_t number = 0;
  const char* end = value.data() + value.size();
  const auto [ptr, ec] = std::from_chars(value.data(), end, number);
  // No zone has a negative number, so "-5" is an offset.
  const bool zone_offset = k.time_zone && ec == std::errc() && number < 0;
  if (value.empty() || ec != std::errc() || ptr != end || zone_offset) {
    std::optional<int64_t> named = NamedValue(k, value);
    if (!named && k.time_zone) {
      if (std::optional<int> zone = FindTimeZone(value)) named = *zone;
    }
    if (!named) return Refusal(k);
    number = *named;
  }
  if (number < k.min || number > k.max) return Refusal(k);
  e->set_number(settings, number);
  return {};
}

}  // namespace velmora
