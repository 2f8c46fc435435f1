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

#include "parsing/log_format_mode.h"

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

// Placeholders of the retrieval pages, replaced by the user.
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
  uint32_t retrieval_options = 1;  // four option bits shared by the retrieval dialogs
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

// The report-time filter bar.
struct FilterBarState {
  int32_t show_non_visit = 0;
  int32_t time_interval = 1;    // days, 1..3
  int32_t constant_13 = 13;     // stored as read; always 13 in files this program writes
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

struct WorkspaceSettings {
  SettingsBlock block;
  std::vector<ResourceMask> resource_masks;
  std::string last_import_folder;
  std::vector<LogFilter> log_filters;
  FilterBarState filter_bar;
  std::vector<ReportFilter> report_filters;

  friend bool operator==(const WorkspaceSettings&, const WorkspaceSettings&) = default;
};

// The 15 masks of a new workspace, in order.
std::vector<ResourceMask> DefaultResourceMasks();

// The settings of a new workspace named `name`: block defaults, the default masks, no filters.
WorkspaceSettings NewWorkspaceSettings(std::string_view name);

// A workspace name is non-empty, at most 259 bytes, made of characters 0x20..0x7F other than
// * + / : ? and backslash, and is neither "." nor "..".
bool IsValidWorkspaceName(std::string_view name);

}  // namespace velmora
