#include "workspace/settings_keys.h"

#include <array>
#include <charconv>
#include <limits>
#include <type_traits>

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
template <auto Field>
constexpr Entry Number(std::string_view name, int64_t min, int64_t max) {
  return {{name, SettingKind::kNumber, min, max, 0, false},
          nullptr,
          nullptr,
          &GetNumber<Field>,
          &SetNumber<Field>};
}
template <uint32_t Bit>
constexpr Entry Flag(std::string_view name) {
  return {
      {name, SettingKind::kNumber, 0, 1, 0, false}, nullptr, nullptr, &GetFlag<Bit>, &SetFlag<Bit>};
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
    Number<&B::passive_ftp>("passive-ftp", 0, 1),
    Text<&B::http_user>("http-user"),
    Text<&B::ftp_login>("ftp-login"),
    Text<&B::http_password>("http-password"),
    Text<&B::ftp_password>("ftp-password"),
    Number<&B::retrieval_options>("retrieval-options", 0, 15),
    Number<&B::fetchlet_gzip>("fetchlet-gzip", 0, 1),
    Number<&B::http_files_to_keep>("http-files-to-keep", 1, 9999),
    Number<&B::ftp_files_to_keep>("ftp-files-to-keep", 0, 999),
    Number<&B::retrieve_method>("retrieve-method", 0, 2),
    Number<&B::local_compression>("local-compression", 0, 2),
    Number<&B::log_format_mode>("log-format-mode", 0, 2),
    Text<&B::custom_format>("custom-format", kCustomFormatFieldSize - 1),
    Number<&B::session_timeout>("session-timeout", 1, kInt32Max),
    Number<&B::server_time_zone>("server-time-zone", 0, kTimeZoneCount - 1),
    Number<&B::your_time_zone>("your-time-zone", 0, kTimeZoneCount - 1),
    Number<&B::switch_to_recent>("switch-to-recent", 0, 1),
    Flag<kFlagAdvancedVisitDetection>("advanced-visit-detection"),
    Flag<kFlagStoreFullPath>("store-full-path"),
    Flag<kFlagEnableFilters>("enable-filters"),
    Number<&B::export_limit>("export-limit", 0, kInt32Max),
    Number<&B::combined_export_limit>("combined-export-limit", 0, kInt32Max),
    Number<&B::open_exported_report>("open-exported-report", 0, 1),
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

std::string RangeText(const SettingKey& k) {
  const std::string name(k.name);
  if (k.min == 0 && k.max == 1) return name + " must be 0 or 1";
  return name + " must be a whole number from " + std::to_string(k.min) + " to " +
         std::to_string(k.max);
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
  if (value.empty() || ec != std::errc() || ptr != end || number < k.min || number > k.max) {
    return Error{0, RangeText(k)};
  }
  e->set_number(settings, number);
  return {};
}

}  // namespace velmora
