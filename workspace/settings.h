// WorkspaceSettings: every setting of one workspace, as plain data. The fixed part
// (SettingsBlock) mirrors the 5760-byte block of the settings file field by field; the lists
// (resource masks, log filters, the filter bar and the saved report filters) follow it in the file.
// Texts are held without their NUL; passwords are held in clear and scrambled only on disk. The
// byte layout lives in settings_block_codec.cpp alone. Values read from a file are kept as read,
// so code that indexes a table with a setting (time zones, modes) must bound the index itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/rules/filter_types.h"
#include "analysis/rules/resource_rules.h"
#include "parsing/formats/log_format_mode.h"

namespace velmora {

// Capacities of the fixed text fields, NUL included: a text holds at most capacity - 1 bytes.
inline constexpr size_t kTextFieldSize = 260;
inline constexpr size_t kCustomFormatFieldSize = 2048;

enum class RetrieveMethod : int32_t { kFetchlet = 0, kFtp = 1, kLocalDirectory = 2 };
enum class LocalCompression : int32_t { kBzip2 = 0, kGzip = 1, kNone = 2 };

// Bits of SettingsBlock::flags.
inline constexpr uint32_t kFlagAdvancedVisitDetection = 1u << 0;
inline constexpr uint32_t kFlagStoreFullPath = 1u << 1;
inline constexpr uint32_t kFlagEnableFilters = 1u << 2;

// Placeholder server names of a new workspace, for the user to replace.
inline constexpr std::string_view kPlaceholderHttpServer = "www.example.com";
inline constexpr std::string_view kPlaceholderFtpServer = "ftp.example.com";

// The fixed settings; member defaults are those of a new workspace.
struct SettingsBlock {
  std::string workspace_name;
  std::string server_names;  // the site's own domains, comma-separated
  std::string default_file = "index.htm";
  std::string http_server = std::string(kPlaceholderHttpServer);
  std::string ftp_server = std::string(kPlaceholderFtpServer);
  std::string fetchlet_path = "/cgi-bin/fl.dll";
  std::string http_log_path = "/logs";
  std::string ftp_log_path = "/logs/";
  int32_t ftp_port = 21;
  int32_t passive_ftp = 1;
  std::string http_user;
  std::string ftp_login;
  std::string http_password;
  std::string ftp_password;
  uint32_t retrieval_options = 1;  // four option bits, one set for every retrieval method
  int32_t fetchlet_gzip = 1;
  int32_t http_files_to_keep = 91;
  int32_t ftp_files_to_keep = 91;
  RetrieveMethod retrieve_method = RetrieveMethod::kLocalDirectory;
  LogFormatMode log_format_mode = LogFormatMode::kAutodetect;
  LocalCompression local_compression = LocalCompression::kGzip;
  std::string custom_format;     // up to 2047 bytes; also where format detection stores its result
  int32_t session_timeout = 30;  // minutes
  int32_t server_time_zone = 24;
  int32_t your_time_zone = 24;
  int32_t switch_to_recent = 1;
  uint32_t flags = kFlagAdvancedVisitDetection | kFlagStoreFullPath;
  int32_t export_limit = 100;          // 0 = unlimited
  int32_t combined_export_limit = 30;  // 0 = unlimited
  int32_t open_exported_report = 1;

  friend bool operator==(const SettingsBlock&, const SettingsBlock&) = default;
};

struct WorkspaceSettings {
  SettingsBlock block;
  std::vector<ResourceMask> resource_masks;
  std::string last_import_folder;
  std::vector<LogFilter> log_filters;
  FilterBarState filter_bar;
  std::vector<ReportFilter> report_filters;

  friend bool operator==(const WorkspaceSettings&, const WorkspaceSettings&) = default;
};

// The settings of a new workspace named `name`: block defaults, the default masks, no filters.
WorkspaceSettings NewWorkspaceSettings(std::string_view name);

// A workspace name is non-empty, at most 259 bytes, made of characters 0x20..0x7F other than
// * + / : ? and backslash, and is neither "." nor "..".
bool IsValidWorkspaceName(std::string_view name);

}  // namespace velmora
