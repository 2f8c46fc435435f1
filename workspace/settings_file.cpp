// Layout of the settings file, in order, without padding ("u32" little-endian, "text" the bytes
// and one NUL):
//
//   1. SettingsBlock, 5760 bytes, passwords scrambled (settings_block_codec.cpp).
//   2. u32 mask count; per mask: u32 request class, u32 group, text mask.
//   3. text: folder of the last local import.
//   4. u32 log filter count; per filter: text name; u32 status value; u32 IP, method, referrer,
//      status and user-agent operators; u32 IP network; u32 IP mask; text IP, method, referrer,
//      user-agent, resource and query values; u32 overwriting resource type; u32 query and
//      resource operators; u32 flags "Set Referrer to", "Set Query String to", "Set Resource to",
//      "Set User Agent to", "Continue with other filters"; u32 logging strategy; text query,
//      referrer, resource and user-agent replacements.
//   5. Filter bar: u32 show non-visit; u32 time interval; u32 13; text selected saved filter
//      ("" unless it names a saved filter); u32 filter mode; u32 quick operation; u32 quick
//      target; text IP filter; text quick-filter value.
//   6. u32 report filter count; per filter: u32 match mode; text name; u32 condition count; per
//      condition: u32 target; u32 operation; text value.
#include "workspace/settings_file.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/byte_order.h"
#include "workspace/settings_block_codec.h"

namespace velmora {
namespace {

namespace sf = settings_format;

// The fewest bytes one list item can take; a count that needs more than remain is damage.
constexpr size_t kMinMaskBytes = 4 + 4 + 1;
constexpr size_t kMinLogFilterBytes = 17 * 4 + 11 * 1;
constexpr size_t kMinReportFilterBytes = 4 + 1 + 4;
constexpr size_t kMinConditionBytes = 4 + 4 + 1;

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  void U32(uint32_t v) {
    char b[4];
    StoreLE32(b, v);
    out_.append(b, 4);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  // Stops at an embedded NUL: the reader could not tell it from the end.
  void Text(std::string_view s) {
    out_.append(s.substr(0, s.find('\0')));
    out_.push_back('\0');
  }

 private:
  std::string& out_;
};

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool U32(uint32_t& v) {
    if (remaining() < 4) return false;
    v = LoadLE32(bytes_.data() + pos_);
    pos_ += 4;
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool Text(std::string& s) {
    if (remaining() == 0) return false;
    const auto* begin = reinterpret_cast<const char*>(bytes_.data() + pos_);
    const void* nul = std::memchr(begin, 0, remaining());
    if (nul == nullptr) return false;
    s.assign(begin, static_cast<const char*>(nul));
    pos_ += s.size() + 1;
    return true;
  }
  // Reads a count and checks that that many items of at least `min_item` bytes can still follow.
  bool Count(uint32_t& n, size_t min_item) { return U32(n) && n <= remaining() / min_item; }
  size_t remaining() const { return bytes_.size() - pos_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

void WriteLogFilter(Writer& w, const LogFilter& f) {
  w.Text(f.name);
  w.I32(f.status);
  w.I32(f.address_operation);
  w.I32(f.method_operation);
  w.I32(f.referrer_operation);
  w.I32(f.status_operation);
  w.I32(f.user_agent_operation);
  w.U32(f.address);
  w.U32(f.address_mask);
  w.Text(f.address_text);
  w.Text(f.method_text);
  w.Text(f.referrer_text);
  w.Text(f.user_agent_text);
  w.Text(f.resource_text);
  w.Text(f.query_text);
  w.I32(f.type_action);
  w.I32(f.query_operation);
  w.I32(f.resource_operation);
  w.I32(f.set_referrer);
  w.I32(f.set_query);
  w.I32(f.set_resource);
  w.I32(f.set_user_agent);
  w.I32(f.continue_with_others);
  w.I32(f.logging_action);
  w.Text(f.new_query);
  w.Text(f.new_referrer);
  w.Text(f.new_resource);
  w.Text(f.new_user_agent);
}

bool ReadLogFilter(Reader& r, LogFilter& f) {
  return r.Text(f.name) && r.I32(f.status) && r.I32(f.address_operation) &&
         r.I32(f.method_operation) && r.I32(f.referrer_operation) && r.I32(f.status_operation) &&
         r.I32(f.user_agent_operation) && r.U32(f.address) && r.U32(f.address_mask) &&
         r.Text(f.address_text) && r.Text(f.method_text) && r.Text(f.referrer_text) &&
         r.Text(f.user_agent_text) && r.Text(f.resource_text) && r.Text(f.query_text) &&
         r.I32(f.type_action) && r.I32(f.query_operation) && r.I32(f.resource_operation) &&
         r.I32(f.set_referrer) && r.I32(f.set_query) && r.I32(f.set_resource) &&
         r.I32(f.set_user_agent) && r.I32(f.continue_with_others) && r.I32(f.logging_action) &&
         r.Text(f.new_query) && r.Text(f.new_referrer) && r.Text(f.new_resource) &&
         r.Text(f.new_user_agent);
}

bool ReadFilterBar(Reader& r, FilterBarState& b) {
  return r.I32(b.show_non_visit) && r.I32(b.time_interval) && r.I32(b.custom_weeks) &&
         r.Text(b.selected_filter) && r.I32(b.filter_mode) && r.I32(b.quick_operation) &&
         r.I32(b.quick_target) && r.Text(b.ip_filter) && r.Text(b.quick_value);
}

bool ReadReportFilter(Reader& r, ReportFilter& f) {
  uint32_t conditions = 0;
  if (!r.I32(f.match_mode) || !r.Text(f.name) || !r.Count(conditions, kMinConditionBytes)) {
    return false;
  }
  f.conditions.resize(conditions);
  for (FilterCondition& c : f.conditions) {
    if (!r.I32(c.target) || !r.I32(c.operation) || !r.Text(c.value)) return false;
  }
  return true;
}

Error Damaged(std::string_view what) { return Error{0, std::string(what)}; }

}  // namespace

std::string EncodeWorkspaceFile(const WorkspaceSettings& s, uint32_t padding_seed) {
  const SettingsBlockBytes block = EncodeSettingsBlock(s.block, padding_seed);
  std::string out(block.begin(), block.end());
  Writer w(out);

  w.U32(static_cast<uint32_t>(s.resource_masks.size()));
  for (const ResourceMask& m : s.resource_masks) {
    w.U32(m.request_class);
    w.I32(m.group);
    w.Text(m.mask);
  }
  w.Text(s.last_import_folder);
  w.U32(static_cast<uint32_t>(s.log_filters.size()));
  for (const LogFilter& f : s.log_filters) WriteLogFilter(w, f);

  const FilterBarState& b = s.filter_bar;
  const bool selection_valid =
      std::any_of(s.report_filters.begin(), s.report_filters.end(),
                  [&](const ReportFilter& f) { return f.name == b.selected_filter; });
  w.I32(b.show_non_visit);
  w.I32(b.time_interval);
  w.I32(b.custom_weeks);
  w.Text(selection_valid ? std::string_view(b.selected_filter) : std::string_view());
  w.I32(b.filter_mode);
  w.I32(b.quick_operation);
  w.I32(b.quick_target);
  w.Text(b.ip_filter);
  w.Text(b.quick_value);

  w.U32(static_cast<uint32_t>(s.report_filters.size()));
  for (const ReportFilter& f : s.report_filters) {
    w.I32(f.match_mode);
    w.Text(f.name);
    w.U32(static_cast<uint32_t>(f.conditions.size()));
    for (const FilterCondition& c : f.conditions) {
      w.I32(c.target);
      w.I32(c.operation);
      w.Text(c.value);
    }
  }
  return out;
}

Result<WorkspaceSettings> DecodeWorkspaceFile(std::span<const uint8_t> bytes) {
  if (bytes.size() < sf::kBlockSize) return Damaged("shorter than the settings block");
  Result<SettingsBlock> block = DecodeSettingsBlock(bytes.first<sf::kBlockSize>());
  if (!block.ok()) return block.error();

  WorkspaceSettings s;
  s.block = std::move(block).value();
  Reader r(bytes.subspan(sf::kBlockSize));

  uint32_t count = 0;
  if (!r.Count(count, kMinMaskBytes)) return Damaged("resource mask count");
  s.resource_masks.resize(count);
  for (ResourceMask& m : s.resource_masks) {
    if (!r.U32(m.request_class) || !r.I32(m.group) || !r.Text(m.mask)) {
      return Damaged("resource mask");
    }
  }
  if (!r.Text(s.last_import_folder)) return Damaged("last import folder");

  if (!r.Count(count, kMinLogFilterBytes)) return Damaged("log filter count");
  s.log_filters.resize(count);
  for (LogFilter& f : s.log_filters) {
    if (!ReadLogFilter(r, f)) return Damaged("log filter");
  }
  if (!ReadFilterBar(r, s.filter_bar)) return Damaged("filter bar state");

  if (!r.Count(count, kMinReportFilterBytes)) return Damaged("report filter count");
  s.report_filters.resize(count);
  for (ReportFilter& f : s.report_filters) {
    if (!ReadReportFilter(r, f)) return Damaged("report filter");
  }
  return s;
}

}  // namespace velmora
